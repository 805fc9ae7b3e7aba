#pragma once
#include <QString>
#include <QStringList>
#include <functional>

#include "db/tablecursor.h"
#include "text/texthighlighter.h"
#include "tree/viewerframe.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTabBar;

namespace st::text {
class TRichView;
}

namespace st::detail {

// One kind of synonym text of the selected entry (customs codes, reasons for
// control, references to other lists), with a tab per kind of its list or,
// tabless, for a preferred kind; inherited from an ancestor where the kind
// says so; editable through its edit row.
class TfrmSynonShow : public st::tree::TfamViewer {
    Q_OBJECT
  public:
    explicit TfrmSynonShow(QWidget* parent = nullptr);

    void SetPapaValue(st::tree::TfamTreeV* cpa) override;
    void MakeTabless(QLabel* lbNewCap);
    void FillBox(int nid, bool freget) override;
    void ShowSelf();
    void HideSelf();
    void SetEditMode();
    void SetViewMode();
    void tbcNamesChange(int index);
    void btnEditClick();
    void btnSaveClick();
    void btnCancelClick();
    void btnDeleteClick();
    void setPatterns(QStringList* shabs) { thlFound.shabs = shabs; }

    QTabBar* tbcNames;
    st::text::TRichView* redData;
    QWidget* pnlEdit;
    QPushButton *btnEdit, *btnDelete, *btnSave, *btnCancel;
    QMenu* pmeCopy;
    QAction *icrCopy, *icrSelectall;
    st::db::TableCursor tblSynName;
    st::db::TableCursor tblSynon;

    bool isShown = true;
    int idShown = -12;
    int ridShown = -1;
    int naidReal = -1;
    bool isTabless = false;
    int sydShown = -12;
    int sydClosest = -1;
    std::function<void()> MakeInvisible, MakeVisible;
    QString nameShown;
    int naidShown = 2;
    quint32 naidAllowed = 0;  // bit k: kind k is acceptable
    st::text::cTextHighLighter thlFound;
    QLabel* lbCaption = nullptr;
    QWidget* bt2Action = nullptr;

  private:
    int selectedCode() const;
    void applyWordBreak(int kind);
    bool loadKinds(st::tree::TLRevsInfo& head, int rid);
    void appendText(const QVariant& text, const QColor& colour, const QColor& hit, int id2,
                    int kind);
};

}  // namespace st::detail
