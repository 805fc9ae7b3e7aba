#include "search/dialogs.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/datamodule.h"
#include "app/formlayout.h"
#include "app/localtexts.h"
#include "search/codeformat.h"

namespace st::search {

TfrmTreeParam::TfrmTreeParam(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmTreeParam"));
    resize(520, 360);
    st::app::ApplyLayout(this, QStringLiteral("TfrmTreeParam"));
}

void FormatCodeEdit(QLineEdit* edit, int mask) {
    const int s0 = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    const int s1 = s0 + int(edit->selectedText().size());
    const CodeEdit out = FormatCodeText({edit->text(), s0, s1}, mask);
    if (out.text == edit->text()) return;
    edit->setText(out.text);
    edit->setSelection(out.s0, out.s1 - out.s0);
}

void ShowBoxActive(QLineEdit* box, bool active) {
    QPalette p = box->palette();
    p.setColor(QPalette::Text, active ? QColor(Qt::black) : QColor(128, 128, 128));
    box->setPalette(p);
}

TfrmZEDCode::TfrmZEDCode(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmZEDCode"));
    setFixedSize(330, 120);
    rbuUKT = new QRadioButton(this);
    rbuUKT->setObjectName(QStringLiteral("rbuUKT"));
    rbuUKT->setGeometry(8, 12, 110, 21);
    rbuUKT->setChecked(true);
    ediUKT = new QLineEdit(this);
    ediUKT->setObjectName(QStringLiteral("ediUKT"));
    ediUKT->setGeometry(120, 12, 200, 21);
    chbExact = new QCheckBox(this);
    chbExact->setObjectName(QStringLiteral("chbExact"));
    chbExact->setGeometry(120, 44, 17, 21);
    lblExact = new QLabel(this);
    lblExact->setObjectName(QStringLiteral("lblExact"));
    lblExact->setGeometry(140, 44, 180, 21);
    // The TN ZED row exists but is hidden: the dialog searches UKT ZED codes.
    rbuTN = new QRadioButton(this);
    rbuTN->setObjectName(QStringLiteral("rbuTN"));
    rbuTN->setGeometry(8, 44, 17, 21);
    rbuTN->hide();
    lblTN = new QLabel(this);
    lblTN->setObjectName(QStringLiteral("lblTN"));
    lblTN->hide();
    ediTN = new QLineEdit(this);
    ediTN->setObjectName(QStringLiteral("ediTN"));
    ediTN->hide();
    btnOk = new QPushButton(this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnOk->setEnabled(false);
    btnOk->setGeometry(120, 82, 96, 28);
    btnCancel = new QPushButton(this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(224, 82, 96, 28);
    connect(btnOk, &QPushButton::clicked, this, [this] { done(resultOk); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { done(resultCancel); });
    connect(rbuUKT, &QRadioButton::toggled, this, [this] { rbuUKTClick(); });
    connect(rbuTN, &QRadioButton::toggled, this, [this] { rbuUKTClick(); });
    connect(ediUKT, &QLineEdit::textChanged, this, [this] { ediUKTChange(); });
    connect(ediTN, &QLineEdit::textChanged, this, [this] { ediTNChange(); });
    for (QWidget* w : std::initializer_list<QWidget*>{ediUKT, chbExact, ediTN})
        w->installEventFilter(this);
    st::app::ApplyLayout(this, QStringLiteral("TfrmZEDCode"));
    FormCreate();
}

void TfrmZEDCode::FormCreate() {
    const auto* dm = st::app::TdmMain::instance();
    static const st::app::WordTable none;
    const int lang = dm ? dm->languageNumber() : 0;
    captionUKT_ = st::app::ComposeText(st::app::TextId::zedCaptionUKT, lang, none);
    captionTN_ = st::app::ComposeText(st::app::TextId::zedCaptionTN, lang, none);
}

void TfrmZEDCode::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    rbuUKTClick();
}

bool TfrmZEDCode::eventFilter(QObject* watched, QEvent* e) {
    // Entering a box (or the exact box) selects its radio button.
    if (e->type() == QEvent::FocusIn) {
        if (watched == ediUKT || watched == chbExact) rbuUKT->setChecked(true);
        if (watched == ediTN) rbuTN->setChecked(true);
    }
    return QDialog::eventFilter(watched, e);
}

void TfrmZEDCode::rbuUKTClick() {
    ShowBoxActive(ediUKT, rbuUKT->isChecked());
    ShowBoxActive(ediTN, rbuTN->isChecked());
    if (rbuUKT->isChecked())
        ediUKTChange();
    else
        ediTNChange();
}

void TfrmZEDCode::ediUKTChange() {
    if (flWork) return;
    flWork = true;
    FormatCodeEdit(ediUKT, kTNMask);
    flWork = false;
    btnOk->setEnabled(!ediUKT->text().isEmpty());
}

void TfrmZEDCode::ediTNChange() {
    btnOk->setEnabled(!ediTN->text().trimmed().isEmpty());
}

}  // namespace st::search
