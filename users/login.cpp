#include "users/login.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

#include "app/datamodule.h"
#include "app/formlayout.h"
#include "app/localtexts.h"

namespace st::users {

using st::app::TdmMain;

TfrmLogin::TfrmLogin(const st::app::EditionSwitches& ed, QWidget* parent)
    : QDialog(parent), ed_(ed) {
    setObjectName(QStringLiteral("frmLogin"));
    auto* grid = new QGridLayout(this);
    menu = new QMenuBar(this);
    QAction* about = menu->addAction(QString());
    about->setObjectName(QStringLiteral("About"));
    connect(about, &QAction::triggered, this, &TfrmLogin::aboutRequested);
    grid->setMenuBar(menu);

    lblProgName = new QLabel(this);
    lblProgName->setObjectName(QStringLiteral("lblProgName"));
    lblProgName->setWordWrap(true);
    QFont big = lblProgName->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    big.setItalic(true);
    lblProgName->setFont(big);
    lblProgName->setStyleSheet(QStringLiteral("color: rgb(0,0,128);"));
    grid->addWidget(lblProgName, 0, 0, 1, 4);

    lblLogin = new QLabel(this);
    lblLogin->setObjectName(QStringLiteral("lblLogin"));
    txtLogin = new QLineEdit(this);
    txtLogin->setObjectName(QStringLiteral("txtLogin"));
    lblPassword = new QLabel(this);
    lblPassword->setObjectName(QStringLiteral("lblPassword"));
    txtPwd = new QLineEdit(this);
    txtPwd->setObjectName(QStringLiteral("txtPwd"));
    txtPwd->setEchoMode(QLineEdit::Password);
    grid->addWidget(lblLogin, 1, 0);
    grid->addWidget(txtLogin, 1, 1, 1, 3);
    grid->addWidget(lblPassword, 2, 0);
    grid->addWidget(txtPwd, 2, 1, 1, 3);

    btnLogin = new QPushButton(this);
    btnLogin->setObjectName(QStringLiteral("btnLogin"));
    btnLogin->setDefault(true);
    btnCancel = new QPushButton(this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    grid->addWidget(btnLogin, 3, 2);
    grid->addWidget(btnCancel, 3, 3);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmLogin::btnCancelClick);

    btnAnonymous = new QPushButton(this);
    btnAnonymous->setObjectName(QStringLiteral("btnAnonymous"));
    btnAnonymous->setMinimumHeight(32);
    grid->addWidget(btnAnonymous, 4, 0, 1, 4);
    connect(btnAnonymous, &QPushButton::clicked, this, &TfrmLogin::btnAnonymousClick);

    resize(441, 148);
    FormCreate();
}

void TfrmLogin::FormCreate() {
    st::app::ApplyLayout(this, QStringLiteral("TfrmLogin"));
    SetLocalTexts();
    btnAnonymous->setVisible(ed_.showAnonymousStart);
    for (QWidget* w : std::initializer_list<QWidget*>{lblLogin, lblPassword, txtLogin, txtPwd,
                                                      btnLogin, btnCancel})
        w->setVisible(ed_.showLoginFields);
}

void TfrmLogin::SetLocalTexts() {
    TdmMain* dm = TdmMain::instance();
    if (!dm) return;
    const int lang = dm->languageNumber();
    text_TypeIt = st::app::ComposeText(st::app::TextId::typeIt, lang, dm->name_list);
    text_Incorrect = st::app::ComposeText(st::app::TextId::incorrect, lang, dm->name_list);
    QApplication::setApplicationDisplayName(dm->prgName);
    setWindowTitle(dm->prgName);
    lblProgName->setText(dm->prgLabl);
    btnAnonymous->setText(dm->prgName);
}

void TfrmLogin::btnAnonymousClick() {
    if (TdmMain* dm = TdmMain::instance()) dm->StartAnonymous();
    done(resultOk);
}

void TfrmLogin::btnCancelClick() {
    done(resultCancel);
}

}  // namespace st::users
