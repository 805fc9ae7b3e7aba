#pragma once
#include <QDialog>
#include <QList>

#include "app/edition.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QCheckBox;
class QScrollArea;
class QWidget;

namespace st::tree {
class TfamTreeV;
}

namespace st::search {

// The list selector: which lists take part, and what to show in them.
// The list check boxes and the choice handling come with the selector work.
class TfrmSelector : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmSelector(const st::app::EditionSwitches& ed = st::app::kEdition,
                          QWidget* parent = nullptr);

    static constexpr int resultOk = 1;
    static constexpr int resultCancel = 2;

    // Start-up set-up, sent by the main window once the database is open.
    void WMDeferredStart();
    void rbuCurrClick();
    void ediStringChange();
    void ediZEDChange();
    // The tree whose lists the dialog shows.
    void setTree(st::tree::TfamTreeV* tree) { tree_ = tree; }
    // Lists hidden at start-up, as read from the settings file.
    QList<int> excludedLists() const { return excluded_; }

    QScrollArea* scbLists;
    QWidget* pnlLists;
    QRadioButton* rbuAll;
    QRadioButton* rbuCurr;
    QLabel* lblCurr;
    QRadioButton* rbuString;
    QLineEdit* ediString;
    QRadioButton* rbuZED;
    QLineEdit* ediZED;
    QCheckBox* chbExact;
    QPushButton* btnOk;
    QPushButton* btnCancel;
    bool flWork = false;

  protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    st::app::EditionSwitches ed_;
    QLabel* lblZED_ = nullptr;
    QLabel* lblExact_ = nullptr;
    QList<int> excluded_;
    st::tree::TfamTreeV* tree_ = nullptr;
};

}  // namespace st::search
