#include "search/selector.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>

#include "app/datamodule.h"
#include "app/formlayout.h"
#include "app/inifile.h"
#include "app/settings.h"
#include "search/codeformat.h"
#include "search/dialogs.h"
#include "search/searchrun.h"
#include "tree/treev.h"

namespace st::search {

namespace {
// A control with its caption label just to its right, placed as the original
// dialog placed them, so the label works as the control's caption.
QLabel* labelRightOf(QWidget* parent, QWidget* control, const char* name) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(control->x() + control->width() + 2, control->y(), 200, control->height());
    return l;
}
}  // namespace

TfrmSelector::TfrmSelector(const st::app::EditionSwitches& ed, QWidget* parent)
    : QDialog(parent), ed_(ed) {
    setObjectName(QStringLiteral("frmSelector"));
    setFixedSize(440, 460);
    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("pnlBevel"));
    bevel->setFrameShape(QFrame::StyledPanel);
    bevel->setGeometry(8, 8, 424, 270);
    scbLists = new QScrollArea(bevel);
    scbLists->setObjectName(QStringLiteral("scbLists"));
    scbLists->setGeometry(2, 2, 420, 266);
    scbLists->setWidgetResizable(true);
    pnlLists = new QWidget;
    pnlLists->setObjectName(QStringLiteral("pnlLists"));
    scbLists->setWidget(pnlLists);

    auto radio = [this](const char* name, int y) {
        auto* r = new QRadioButton(this);
        r->setObjectName(QString::fromLatin1(name));
        r->setGeometry(12, y, 17, 21);
        return r;
    };
    rbuAll = radio("rbuAll", 288);
    labelRightOf(this, rbuAll, "lblAll");
    rbuCurr = radio("rbuCurr", 312);
    lblCurr = labelRightOf(this, rbuCurr, "lblCurr");
    rbuString = radio("rbuString", 336);
    labelRightOf(this, rbuString, "lblString");
    ediString = new QLineEdit(this);
    ediString->setObjectName(QStringLiteral("ediString"));
    ediString->setGeometry(200, 336, 232, 21);
    rbuZED = radio("rbuZED", 360);
    lblZED_ = labelRightOf(this, rbuZED, "lblZED");
    ediZED = new QLineEdit(this);
    ediZED->setObjectName(QStringLiteral("ediZED"));
    ediZED->setGeometry(200, 360, 232, 21);
    chbExact = new QCheckBox(this);
    chbExact->setObjectName(QStringLiteral("chbExact"));
    chbExact->setGeometry(200, 386, 17, 21);
    chbExact->setFocusPolicy(Qt::ClickFocus);
    lblExact_ = labelRightOf(this, chbExact, "lblExact");

    btnOk = new QPushButton(this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnOk->setGeometry(180, 420, 150, 28);
    btnCancel = new QPushButton(this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(336, 420, 96, 28);
    connect(btnOk, &QPushButton::clicked, this, [this] { done(resultOk); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { done(resultCancel); });
    rbuAll->setChecked(true);
    for (QRadioButton* r : {rbuAll, rbuCurr, rbuString, rbuZED})
        connect(r, &QRadioButton::toggled, this, [this](bool on) {
            if (on) rbuCurrClick();
        });
    connect(ediString, &QLineEdit::textChanged, this, [this] { ediStringChange(); });
    connect(ediZED, &QLineEdit::textChanged, this, [this] { ediZEDChange(); });
    for (QWidget* w : std::initializer_list<QWidget*>{ediString, ediZED, chbExact})
        w->installEventFilter(this);
    st::app::ApplyLayout(this, QStringLiteral("TfrmSelector"));
}

void TfrmSelector::WMDeferredStart() {
    setEnabled(true);
    if (auto* dm = st::app::TdmMain::instance()) dm->OpenBases();
    excluded_ = st::app::ReadExcludedLists(st::app::IniFile::current());
    if (!tree_) return;
    st::search::ApplyExcludedLists(tree_->liHeads, excluded_);
    if (!excluded_.isEmpty()) tree_->Make_liVisibles();
    tree_->BuildRevisionScreen(pnlLists);
    if (!ed_.showCustomsCodes)
        for (QWidget* w :
             std::initializer_list<QWidget*>{rbuZED, lblZED_, ediZED, chbExact, lblExact_})
            w->hide();
}

void TfrmSelector::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    flWork = false;
    rbuCurrClick();
}

bool TfrmSelector::eventFilter(QObject* watched, QEvent* e) {
    // Entering a box selects its mode; the exact box belongs to the code mode.
    if (e->type() == QEvent::FocusIn) {
        if (watched == ediString) rbuString->setChecked(true);
        if (watched == ediZED || watched == chbExact) rbuZED->setChecked(true);
    }
    return QDialog::eventFilter(watched, e);
}

void TfrmSelector::rbuCurrClick() {
    ShowBoxActive(ediString, rbuString->isChecked());
    ShowBoxActive(ediZED, rbuZED->isChecked());
    if (rbuZED->isChecked())
        ediZEDChange();
    else if (rbuString->isChecked())
        ediStringChange();
    else
        btnOk->setEnabled(true);
}

void TfrmSelector::ediStringChange() {
    if (rbuString->isChecked()) btnOk->setEnabled(!ediString->text().trimmed().isEmpty());
}

void TfrmSelector::ediZEDChange() {
    if (!flWork) {
        flWork = true;
        FormatCodeEdit(ediZED, kTNMask);
        flWork = false;
    }
    if (rbuZED->isChecked()) btnOk->setEnabled(!ediZED->text().isEmpty());
}

}  // namespace st::search
