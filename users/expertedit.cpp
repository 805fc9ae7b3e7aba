#include "users/expertedit.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/datamodule.h"
#include "app/formlayout.h"
#include "app/localtexts.h"

namespace st::users {

TfrmExpertEdit::TfrmExpertEdit(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmExpertEdit"));
    auto* v = new QVBoxLayout(this);
    lblHeading = new QLabel(this);
    lblHeading->setObjectName(QStringLiteral("lblHeading"));
    QFont f = lblHeading->font();
    f.setBold(true);
    lblHeading->setFont(f);
    v->addWidget(lblHeading);
    auto* form = new QFormLayout;
    auto addRow = [&](const char* labelName, const char* editName) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(labelName));
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(editName));
        form->addRow(l, e);
        return e;
    };
    txtLogin = addRow("lblLogin", "txtLogin");
    txtLogin->setReadOnly(true);
    txtPwd = addRow("lblPwd", "txtPwd");
    txtPwd->setEchoMode(QLineEdit::Password);
    txtName = addRow("lblName", "txtName");
    v->addLayout(form);
    auto* row = new QHBoxLayout;
    row->addStretch();
    btnOk = new QPushButton(this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = new QPushButton(this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    row->addWidget(btnOk);
    row->addWidget(btnCancel);
    v->addLayout(row);
    setTabOrder(txtName, txtPwd);
    FormCreate();
}

void TfrmExpertEdit::FormCreate() {
    st::app::ApplyLayout(this, QStringLiteral("TfrmExpertEdit"));
    if (auto* dm = st::app::TdmMain::instance())
        setWindowTitle(dm->prgName + st::app::ComposeText(st::app::TextId::expertTitle,
                                                          dm->languageNumber(), dm->name_list));
}

TfrmUpdatePath::TfrmUpdatePath(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmUpdatePath"));
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    auto* v = new QVBoxLayout(this);
    lblUpdatePath = new QLabel(this);
    lblUpdatePath->setObjectName(QStringLiteral("lblUpdatePath"));
    lblUpdatePath->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
    lblUpdatePath->setCursor(Qt::PointingHandCursor);
    v->addWidget(lblUpdatePath);
    Button2 = new QPushButton(this);
    Button2->setObjectName(QStringLiteral("Button2"));
    connect(Button2, &QPushButton::clicked, this, &QDialog::accept);
    v->addWidget(Button2, 0, Qt::AlignRight);
    st::app::ApplyLayout(this, QStringLiteral("TfrmUpdatePath"));
}

}  // namespace st::users
