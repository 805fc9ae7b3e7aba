#pragma once
#include <QString>

#include "tree/viewerframe.h"

namespace st::text {
class TRichView;
}

namespace st::detail {

// Shows one rich field of the list root of the selected entry; it changes
// only when the selection moves into another list.
class TfamNameShower : public st::tree::TfamViewer {
    Q_OBJECT
  public:
    explicit TfamNameShower(QWidget* parent = nullptr);
    void FillBox(int id, bool freget) override;

    st::text::TRichView* redData;
    int rpoShown = -1;
    QString FieldName = QStringLiteral("Rich_After");
};

}  // namespace st::detail
