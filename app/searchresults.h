#pragma once
#include <QEvent>
#include <QStringList>
#include <QWidget>

#include "app/edition.h"
#include "db/query.h"
#include "search/quicksearch.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTabBar;
class QTabWidget;

namespace st::search {
class TfrmSelector;
class TfrmZEDCode;
}  // namespace st::search
namespace st::tree {
class TfamTreeV;
class TfamTreeButt;
}  // namespace st::tree
namespace st::text {
class TfamArShower;
class TRichView;
}  // namespace st::text
namespace st::detail {
class TfamNameShower;
class TfrmSynonShow;
}  // namespace st::detail

namespace st::app {

// Posted to the main window by start-up: open the database once the window
// is on screen, then let the user choose the lists.
constexpr int WM_DEFERREDSTART = 1158;
constexpr int WM_LOGINSTATE = 1157;
class DeferredStartEvent : public QEvent {
  public:
    static QEvent::Type eventType() { return QEvent::Type(QEvent::User + WM_DEFERREDSTART); }
    DeferredStartEvent() : QEvent(eventType()) {}
};

// The main window: tree on the left, composed text, pictures and codes on
// the right, buttons at the top, the search row at the bottom.
class TfrmSearchResults : public QWidget {
    Q_OBJECT
  public:
    explicit TfrmSearchResults(const EditionSwitches& ed = kEdition, QWidget* parent = nullptr);
    ~TfrmSearchResults() override;

    void FormCreate();
    void SetLocalTexts();
    void setSelector(st::search::TfrmSelector* selector) { selector_ = selector; }
    void setDetailWindow(QWidget* detail) { detail_ = detail; }
    void setZEDDialog(st::search::TfrmZEDCode* zed) { zed_ = zed; }
    // Wires the viewers to the tree once the database is open.
    void OpenBases();
    void ShowMe();
    void WMDeferredStart();
    void ShowSelectorResults();
    void btnSelectorClick();
    void btCloseClick();
    bool basesWired() const { return wired_; }

    // Right panel and its pages.
    void chkQuickViewClick();
    void pgcTextPictChanging(int leaving);
    void pgcTextPictChange();
    void sshPreviShow();
    void sshPreviHide();

    // Quick search, loading and history.
    void btSearchClick();
    void search_tree(const QString& search_str);
    void FillTree(st::db::Query& queEcc);
    void reFillTree(st::db::Query& queEcc);
    void SetSearchTitle(const QString& s);
    void TabControl2Change(int index);
    void Edit1Change();
    void btDetailsClick();
    // Customs-code searches.
    void btnZEDClick();
    void ShowZEDSearch();
    void ShowUKTSearch(const QString& st2, bool exact);
    // The entries of the referred list that a synonym names.
    void ShowReferal(int syid, bool isNew);
    void btnTestCustomClick();
    void ShowViewedEntry(int nid, bool freget);
    void AddViewedEntry(int node, int nid);
    void RightHistoryChange(int index);
    QString MakeNodeNumber(int node) const;
    void PushHistory(st::db::Query& query, const QString& caption);
    void RestoreHistory(int index);
    void LeftHistoryChange(int index);

    // Top row.
    QWidget* pnlTopLine;
    st::tree::TfamTreeButt* trButtons;
    QPushButton* btDetails;
    QCheckBox* chkQuickView;
    QLabel* lblQuickView;
    QPushButton* btClose;
    // Left panel.
    QSplitter* Splitter1;
    QWidget* pnlLeft;
    QComboBox* LeftHistory;
    QTabBar* TabControl2;
    st::tree::TfamTreeV* trView;
    QPushButton *BtnFirstInList, *BtnPreviousInList, *BtnNextInList, *BtnLastInList;
    st::detail::TfamNameShower* fnsTitle;
    // Right panel.
    QWidget* pnlRight;
    QComboBox* RightHistory;
    QTabWidget* pgcTextPict;
    QWidget *tshText, *tshText2, *tshPict, *tshDodat;
    QWidget* pnlText;  // the text viewer and its step buttons, moved between the text pages
    st::text::TfamArShower* ashPrevi;
    QPushButton *BtnFirst, *BtnPrevious, *BtnNext, *BtnLast;
    QSplitter* Splitter4;
    QWidget* Panel7;
    st::detail::TfrmSynonShow* sshPrevi;
    QWidget* pnlCustom;
    QPushButton* btnRefferer;
    // Bottom row.
    QLabel* lblSearch;
    QLineEdit* Edit1;
    QPushButton* btSearch;
    QPushButton* btnSearchNew;
    QWidget* pnlZED;
    QPushButton* btnZED;
    QWidget* pnlSelector;
    QPushButton* btnSelector;
    QPushButton* btnAdvancedSearch;

    // Searches.
    st::db::Query queEccLike;
    st::db::Query queAdvan;
    st::db::Query qryWork;
    QStringList HiliShabs;
    st::search::SearchHistory history;
    int limode = 2;
    st::db::Query* dsWork = nullptr;
    int id_shown = -1;
    int fig_eccn_shown = -2;
    bool isDefault() const { return searchDefault_; }

    // Composed texts.
    QString text_tit_Entire, text_hist_Entire, text_tit_Search, text_hist_Search, text_hist_Right1,
        text_hist_Right2;

  protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

  private:
    void setCaption(const QString& caption);
    void setSearchBoxTyped(bool typed);
    QWidget* textViewerOf(int page) const;

    EditionSwitches ed_;
    st::search::TfrmSelector* selector_ = nullptr;
    QWidget* detail_ = nullptr;
    st::search::TfrmZEDCode* zed_ = nullptr;
    bool first_show = true;
    bool wired_ = false;
    bool searchDefault_ = false;
    int currentPage_ = 0;
};

}  // namespace st::app
