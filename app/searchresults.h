#pragma once
#include <QEvent>
#include <QWidget>

#include "app/edition.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTabBar;
class QTabWidget;
class QTextEdit;
class QTreeWidget;

namespace st::search {
class TfrmSelector;
}

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

    void FormCreate();
    void SetLocalTexts();
    void setSelector(st::search::TfrmSelector* selector) { selector_ = selector; }
    // Wires the viewers to the tree once the database is open.
    void OpenBases();
    void ShowMe();
    void WMDeferredStart();
    void ShowSelectorResults();
    void btCloseClick();

    bool basesWired() const { return wired_; }

    // Top row.
    QWidget* pnlTopLine;
    QWidget* trButtons;
    QPushButton* btDetails;
    QCheckBox* chkQuickView;
    QLabel* lblQuickView;
    QPushButton* btClose;
    // Left panel.
    QSplitter* Splitter1;
    QWidget* pnlLeft;
    QComboBox* LeftHistory;
    QTabBar* TabControl2;
    QTreeWidget* trView;
    QPushButton *BtnFirstInList, *BtnPreviousInList, *BtnNextInList, *BtnLastInList;
    QTextEdit* fnsTitle;
    // Right panel.
    QWidget* pnlRight;
    QComboBox* RightHistory;
    QTabWidget* pgcTextPict;
    QWidget *tshText, *tshText2, *tshPict, *tshDodat;
    QTextEdit* ashPrevi;
    QPushButton *BtnFirst, *BtnPrevious, *BtnNext, *BtnLast;
    QSplitter* Splitter4;
    QWidget* Panel7;
    QTextEdit* sshPrevi;
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

    int limode = 2;
    int id_shown = -1;
    int fig_eccn_shown = -2;

  protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

  private:
    EditionSwitches ed_;
    st::search::TfrmSelector* selector_ = nullptr;
    bool first_show = true;
    bool wired_ = false;
};

}  // namespace st::app
