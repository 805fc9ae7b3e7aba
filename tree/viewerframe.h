#pragma once
#include <QWidget>

#include "tree/treev.h"

namespace st::tree {

// The attach convention of the frames that follow the tree: SetPapaValue
// attaches without registering; RegisterMe attaches and registers FillBox,
// active from the start. Owners silence and re-add the registration as the
// frame is hidden and shown.
class TfamViewer : public QWidget {
    Q_OBJECT
  public:
    using QWidget::QWidget;

    virtual void SetPapaValue(TfamTreeV* cpa) { papa = cpa; }
    void RegisterMe(TfamTreeV* cpa) {
        SetPapaValue(cpa);
        cpa->addShower(shower());
    }
    proArShower shower() { return proArShower::of(this, &TfamViewer::FillBox); }

    // Shows entry nid (<= 0: nothing); does nothing for the entry already
    // shown unless freget.
    virtual void FillBox(int nid, bool freget) = 0;

    TfamTreeV* papa = nullptr;
};

}  // namespace st::tree
