#include "search/dialogs.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/formlayout.h"

namespace st::search {

TfrmTreeParam::TfrmTreeParam(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmTreeParam"));
    resize(520, 360);
    st::app::ApplyLayout(this, QStringLiteral("TfrmTreeParam"));
}

TfrmZEDCode::TfrmZEDCode(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmZEDCode"));
    setFixedSize(330, 120);
    rbuUKT = new QRadioButton(this);
    rbuUKT->setObjectName(QStringLiteral("rbuUKT"));
    rbuUKT->setGeometry(8, 12, 80, 21);
    rbuUKT->setChecked(true);
    ediUKT = new QLineEdit(this);
    ediUKT->setObjectName(QStringLiteral("ediUKT"));
    ediUKT->setGeometry(96, 12, 224, 21);
    chbExact = new QCheckBox(this);
    chbExact->setObjectName(QStringLiteral("chbExact"));
    chbExact->setGeometry(96, 44, 17, 21);
    auto* lblExact = new QLabel(this);
    lblExact->setObjectName(QStringLiteral("lblExact"));
    lblExact->setGeometry(116, 44, 200, 21);
    btnOk = new QPushButton(this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnOk->setGeometry(120, 82, 96, 28);
    btnCancel = new QPushButton(this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(224, 82, 96, 28);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    st::app::ApplyLayout(this, QStringLiteral("TfrmZEDCode"));
}

}  // namespace st::search
