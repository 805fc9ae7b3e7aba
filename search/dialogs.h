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

// The customs-code search dialog (filled by the customs-code work).
class TfrmZEDCode : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmZEDCode(QWidget* parent = nullptr);
    QRadioButton* rbuUKT;
    QLineEdit* ediUKT;
    QCheckBox* chbExact;
    QPushButton* btnOk;
    QPushButton* btnCancel;
    bool flWork = false;
};

}  // namespace st::search
