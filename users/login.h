#pragma once
#include <QDialog>

#include "app/edition.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QMenuBar;

namespace st::users {

// The login window shown at start-up. In this build it offers only the
// anonymous start; the login fields come with the users work.
class TfrmLogin : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmLogin(const st::app::EditionSwitches& ed = st::app::kEdition,
                       QWidget* parent = nullptr);
    void FormCreate();
    void SetLocalTexts();

    // Results of the modal showing.
    static constexpr int resultOk = 1;
    static constexpr int resultCancel = 2;

    void btnAnonymousClick();
    void btnCancelClick();

    QLabel* lblProgName;
    QLabel* lblLogin;
    QLabel* lblPassword;
    QLineEdit* txtLogin;
    QLineEdit* txtPwd;
    QPushButton* btnLogin;
    QPushButton* btnCancel;
    QPushButton* btnAnonymous;
    QMenuBar* menu;
    QString text_TypeIt, text_Incorrect;

  signals:
    void aboutRequested();

  private:
    st::app::EditionSwitches ed_;
};

}  // namespace st::users
