#include "app/searchresults.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/datamodule.h"
#include "app/formlayout.h"
#include "app/messages.h"
#include "search/selector.h"

namespace st::app {

namespace {

template <class W>
W* named(QWidget* parent, const char* name) {
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QWidget* hitButtons(QWidget* parent, QBoxLayout* box, QPushButton** first, QPushButton** prev,
                    QPushButton** next, QPushButton** last, const char* names[4]) {
    QPushButton** targets[4] = {first, prev, next, last};
    for (int i = 0; i < 4; ++i) {
        *targets[i] = named<QPushButton>(parent, names[i]);
        (*targets[i])->setFixedWidth(28);
        box->addWidget(*targets[i]);
    }
    return parent;
}

}  // namespace

TfrmSearchResults::TfrmSearchResults(const EditionSwitches& ed, QWidget* parent)
    : QWidget(parent), ed_(ed) {
    setObjectName(QStringLiteral("frmSearchResults"));
    setMinimumHeight(294);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(2, 2, 2, 2);
    root->setSpacing(2);

    pnlTopLine = named<QWidget>(this, "pnlTopLine");
    pnlTopLine->setFixedHeight(23);
    auto* top = new QHBoxLayout(pnlTopLine);
    top->setContentsMargins(0, 0, 0, 0);
    trButtons = named<QWidget>(pnlTopLine, "trButtons");
    trButtons->setFixedWidth(120);
    top->addWidget(trButtons);
    btDetails = named<QPushButton>(pnlTopLine, "btDetails");
    top->addWidget(btDetails);
    chkQuickView = named<QCheckBox>(pnlTopLine, "chkQuickView");
    chkQuickView->setChecked(true);
    top->addWidget(chkQuickView);
    lblQuickView = named<QLabel>(pnlTopLine, "lblQuickView");
    top->addWidget(lblQuickView);
    top->addStretch();
    btClose = named<QPushButton>(pnlTopLine, "btClose");
    top->addWidget(btClose);
    root->addWidget(pnlTopLine);

    Splitter1 = named<QSplitter>(this, "Splitter1");
    Splitter1->setOrientation(Qt::Horizontal);
    pnlLeft = named<QWidget>(Splitter1, "pnlLeft");
    pnlLeft->setMinimumWidth(56);
    auto* left = new QVBoxLayout(pnlLeft);
    left->setContentsMargins(0, 0, 0, 0);
    LeftHistory = named<QComboBox>(pnlLeft, "LeftHistory");
    left->addWidget(LeftHistory);
    TabControl2 = named<QTabBar>(pnlLeft, "TabControl2");
    TabControl2->addTab(QString());
    TabControl2->addTab(QString());
    TabControl2->setCurrentIndex(1);
    left->addWidget(TabControl2);
    auto* treeRow = new QHBoxLayout;
    trView = named<QTreeWidget>(pnlLeft, "trView");
    trView->setHeaderHidden(true);
    treeRow->addWidget(trView);
    auto* treeButtons = new QVBoxLayout;
    const char* listNames[4] = {"BtnFirstInList", "BtnPreviousInList", "BtnNextInList",
                                "BtnLastInList"};
    hitButtons(pnlLeft, treeButtons, &BtnFirstInList, &BtnPreviousInList, &BtnNextInList,
               &BtnLastInList, listNames);
    treeButtons->addStretch();
    treeRow->addLayout(treeButtons);
    left->addLayout(treeRow);
    fnsTitle = named<QTextEdit>(pnlLeft, "fnsTitle");
    fnsTitle->setReadOnly(true);
    fnsTitle->setFixedHeight(24);
    fnsTitle->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    left->addWidget(fnsTitle);

    pnlRight = named<QWidget>(Splitter1, "pnlRight");
    pnlRight->setMinimumWidth(60);
    auto* right = new QVBoxLayout(pnlRight);
    right->setContentsMargins(0, 0, 0, 0);
    RightHistory = named<QComboBox>(pnlRight, "RightHistory");
    right->addWidget(RightHistory);
    Splitter4 = named<QSplitter>(pnlRight, "Splitter4");
    Splitter4->setOrientation(Qt::Vertical);
    pgcTextPict = named<QTabWidget>(Splitter4, "pgcTextPict");
    tshText = named<QWidget>(nullptr, "tshText");
    auto* textPage = new QVBoxLayout(tshText);
    ashPrevi = named<QTextEdit>(tshText, "ashPrevi");
    ashPrevi->setReadOnly(true);
    textPage->addWidget(ashPrevi);
    auto* textButtons = new QHBoxLayout;
    const char* textNames[4] = {"BtnFirst", "BtnPrevious", "BtnNext", "BtnLast"};
    hitButtons(tshText, textButtons, &BtnFirst, &BtnPrevious, &BtnNext, &BtnLast, textNames);
    textButtons->addStretch();
    textPage->addLayout(textButtons);
    tshText2 = named<QWidget>(nullptr, "tshText2");
    tshPict = named<QWidget>(nullptr, "tshPict");
    tshDodat = named<QWidget>(nullptr, "tshDodat");
    pgcTextPict->addTab(tshText, QString());
    pgcTextPict->addTab(tshText2, QString());
    pgcTextPict->addTab(tshPict, QString());
    pgcTextPict->addTab(tshDodat, QString());
    Panel7 = named<QWidget>(Splitter4, "Panel7");
    auto* preview = new QVBoxLayout(Panel7);
    preview->setContentsMargins(0, 0, 0, 0);
    sshPrevi = named<QTextEdit>(Panel7, "sshPrevi");
    sshPrevi->setReadOnly(true);
    preview->addWidget(sshPrevi);
    btnRefferer = named<QPushButton>(Panel7, "btnRefferer");
    btnRefferer->setFlat(true);
    preview->addWidget(btnRefferer);
    right->addWidget(Splitter4);
    Splitter1->addWidget(pnlLeft);
    Splitter1->addWidget(pnlRight);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setSizes({600, 300});
    root->addWidget(Splitter1, 1);

    auto* bottomPanel = named<QWidget>(this, "pnlBottom");
    bottomPanel->setFixedHeight(30);
    bottomPanel->setMinimumWidth(565);
    auto* bottom = new QHBoxLayout(bottomPanel);
    bottom->setContentsMargins(0, 0, 0, 0);
    lblSearch = named<QLabel>(bottomPanel, "lblSearch");
    bottom->addWidget(lblSearch);
    Edit1 = named<QLineEdit>(bottomPanel, "Edit1");
    QFont bold = Edit1->font();
    bold.setBold(true);
    Edit1->setFont(bold);
    bottom->addWidget(Edit1, 1);
    btSearch = named<QPushButton>(bottomPanel, "btSearch");
    btSearch->setDefault(true);
    btSearch->setEnabled(false);
    bottom->addWidget(btSearch);
    btnSearchNew = named<QPushButton>(bottomPanel, "btnSearchNew");
    btnSearchNew->setEnabled(false);
    bottom->addWidget(btnSearchNew);
    pnlZED = named<QWidget>(bottomPanel, "pnlZED");
    auto* zed = new QHBoxLayout(pnlZED);
    zed->setContentsMargins(0, 0, 0, 0);
    btnZED = named<QPushButton>(pnlZED, "btnZED");
    zed->addWidget(btnZED);
    bottom->addWidget(pnlZED);
    pnlSelector = named<QWidget>(bottomPanel, "pnlSelector");
    auto* sel = new QHBoxLayout(pnlSelector);
    sel->setContentsMargins(0, 0, 0, 0);
    btnSelector = named<QPushButton>(pnlSelector, "btnSelector");
    sel->addWidget(btnSelector);
    pnlSelector->hide();
    bottom->addWidget(pnlSelector);
    btnAdvancedSearch = named<QPushButton>(bottomPanel, "btnAdvancedSearch");
    bottom->addWidget(btnAdvancedSearch);
    root->addWidget(bottomPanel);

    connect(btClose, &QPushButton::clicked, this, &TfrmSearchResults::btCloseClick);
    connect(chkQuickView, &QCheckBox::toggled, pnlRight, &QWidget::setVisible);
    connect(Edit1, &QLineEdit::textEdited, this, [this] {
        btSearch->setEnabled(true);
        btnSearchNew->setEnabled(true);
    });
    resize(900, 600);
    FormCreate();
}

void TfrmSearchResults::FormCreate() {
    ApplyLayout(this, QStringLiteral("TfrmSearchResults"));
    SetLocalTexts();
    pnlZED->setVisible(ed_.showCustomsCodes);
    const int dodat = pgcTextPict->indexOf(tshDodat);
    pgcTextPict->setTabVisible(dodat, ed_.showComments);
    const int pict = pgcTextPict->indexOf(tshPict);
    if (ed_.picturesOnly) {
        for (int i = 0; i < pgcTextPict->count(); ++i) pgcTextPict->setTabVisible(i, i == pict);
        pgcTextPict->tabBar()->hide();
        pgcTextPict->setCurrentIndex(pict);
    } else {
        pgcTextPict->setTabVisible(pict, ed_.showPictures);
        pgcTextPict->setCurrentIndex(pgcTextPict->indexOf(tshText));
    }
}

void TfrmSearchResults::SetLocalTexts() {
    if (auto* dm = TdmMain::instance()) {
        setWindowTitle(dm->prgAbbr);
    }
}

void TfrmSearchResults::OpenBases() {
    wired_ = true;
}

void TfrmSearchResults::ShowMe() {
    if (first_show) {
        first_show = false;
        showMaximized();
        Edit1->selectAll();
        return;
    }
    show();
    raise();
    activateWindow();
}

bool TfrmSearchResults::event(QEvent* e) {
    if (e->type() == DeferredStartEvent::eventType()) {
        WMDeferredStart();
        return true;
    }
    return QWidget::event(e);
}

void TfrmSearchResults::WMDeferredStart() {
    setEnabled(true);
    if (auto* dm = TdmMain::instance()) dm->OpenBases();
    if (Flags().terminated || !selector_) return;
    selector_->WMDeferredStart();
    selector_->rbuCurr->setEnabled(false);
    selector_->lblCurr->setEnabled(false);
    if (!selector_->ediString->text().isEmpty()) {
        selector_->rbuString->setChecked(true);
        selector_->btnOk->setFocus();
    } else {
        selector_->rbuAll->setChecked(true);
        selector_->rbuAll->setFocus();
    }
    if (selector_->exec() == st::search::TfrmSelector::resultOk) ShowSelectorResults();
}

void TfrmSearchResults::ShowSelectorResults() {}

void TfrmSearchResults::btCloseClick() {
    close();
}

void TfrmSearchResults::closeEvent(QCloseEvent* e) {
    // Closing the main window ends the program; nothing is saved.
    e->accept();
    RequestTermination();
}

}  // namespace st::app
