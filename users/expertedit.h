#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace st::users {

// Dialog that creates an expert account (filled by the users work).
class TfrmExpertEdit : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmExpertEdit(QWidget* parent = nullptr);
    void FormCreate();

    QLabel* lblHeading;
    QLineEdit* txtLogin;
    QLineEdit* txtPwd;
    QLineEdit* txtName;
    QPushButton* btnOk;
    QPushButton* btnCancel;
};

// The contact dialog reached from the login window.
class TfrmUpdatePath : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmUpdatePath(QWidget* parent = nullptr);
    QLabel* lblUpdatePath;
    QPushButton* Button2;
};

}  // namespace st::users
