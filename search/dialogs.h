#pragma once
#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace st::search {

// The advanced search dialog (filled by the advanced-search work).
class TfrmTreeParam : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmTreeParam(QWidget* parent = nullptr);
};

// Reformats a code box as the user types, keeping the caret on its digits.
void FormatCodeEdit(QLineEdit* edit, int mask);
// A box of the chosen mode is written in black, the others in grey.
void ShowBoxActive(QLineEdit* box, bool active);

// The customs-code search dialog.
class TfrmZEDCode : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmZEDCode(QWidget* parent = nullptr);
    static constexpr int resultOk = 1;
    static constexpr int resultCancel = 2;

    void FormCreate();
    void rbuUKTClick();
    void ediUKTChange();
    void ediTNChange();
    QString MakeUKTCaption(const QString& sti) const { return captionUKT_ + sti; }
    QString MakeTNCaption(const QString& sti) const { return captionTN_ + sti; }

    QRadioButton* rbuUKT;
    QLineEdit* ediUKT;
    QCheckBox* chbExact;
    QLabel* lblExact;
    QRadioButton* rbuTN;
    QLineEdit* ediTN;
    QLabel* lblTN;
    QPushButton* btnOk;
    QPushButton* btnCancel;
    bool flWork = false;

  protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    QString captionUKT_, captionTN_;
};

}  // namespace st::search
