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
#include <QTreeView>
#include <QVBoxLayout>

#include "app/datamodule.h"
#include "app/formlayout.h"
#include "app/inifile.h"
#include "app/localtexts.h"
#include "app/messages.h"
#include "app/settings.h"
#include "detail/nameshower.h"
#include "detail/synonshow.h"
#include "search/codeformat.h"
#include "search/dialogs.h"
#include "search/searchrun.h"
#include "search/selector.h"
#include "text/arshower.h"
#include "text/fold.h"
#include "text/richfields.h"
#include "text/richview.h"
#include "text/rtfreader.h"
#include "tree/treebutt.h"
#include "tree/treev.h"

namespace st::app {

namespace {

template <class W>
W* named(QWidget* parent, const char* name) {
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

// Four step buttons in a row or a column.
// The four step buttons of a row, made and stored in place.
void stepButtons(QWidget* parent, QBoxLayout* box,
                 std::initializer_list<std::pair<QPushButton**, const char*>> buttons) {
    for (const auto& [out, name] : buttons) {
        *out = named<QPushButton>(parent, name);
        (*out)->setFixedWidth(30);
        (*out)->setFocusPolicy(Qt::NoFocus);
        box->addWidget(*out);
    }
}

// The query is left closed on every way out of a search.
struct QueryCloser {
    st::db::Query& q;
    ~QueryCloser() { q.close(); }
};

}  // namespace

TfrmSearchResults::TfrmSearchResults(const EditionSwitches& ed, QWidget* parent)
    : QWidget(parent), queEccLike(nullptr, st::search::kQuickSearchSQL), ed_(ed) {
    setObjectName(QStringLiteral("frmSearchResults"));
    setMinimumHeight(294);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(2, 2, 2, 2);
    root->setSpacing(2);

    pnlTopLine = named<QWidget>(this, "pnlTopLine");
    pnlTopLine->setFixedHeight(25);
    auto* top = new QHBoxLayout(pnlTopLine);
    top->setContentsMargins(0, 0, 0, 0);
    trButtons = new st::tree::TfamTreeButt(pnlTopLine);
    trButtons->setObjectName(QStringLiteral("trButtons"));
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
    Splitter1->setChildrenCollapsible(false);
    pnlLeft = named<QWidget>(Splitter1, "pnlLeft");
    pnlLeft->setMinimumWidth(56);
    auto* left = new QVBoxLayout(pnlLeft);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(2);
    LeftHistory = named<QComboBox>(pnlLeft, "LeftHistory");
    left->addWidget(LeftHistory);
    TabControl2 = named<QTabBar>(pnlLeft, "TabControl2");
    TabControl2->addTab(QString());
    TabControl2->addTab(QString());
    TabControl2->setExpanding(false);
    TabControl2->setDrawBase(false);
    left->addWidget(TabControl2);
    auto* treeRow = new QHBoxLayout;
    trView = new st::tree::TfamTreeV(pnlLeft);
    trView->setObjectName(QStringLiteral("trView"));
    trView->showExpanded = true;
    treeRow->addWidget(trView, 1);
    auto* treeButtons = new QVBoxLayout;
    stepButtons(pnlLeft, treeButtons,
                {{&BtnFirstInList, "BtnFirstInList"},
                 {&BtnPreviousInList, "BtnPreviousInList"},
                 {&BtnNextInList, "BtnNextInList"},
                 {&BtnLastInList, "BtnLastInList"}});
    treeButtons->addStretch();
    treeRow->addLayout(treeButtons);
    left->addLayout(treeRow, 1);
    fnsTitle = new st::detail::TfamNameShower(pnlLeft);
    fnsTitle->setObjectName(QStringLiteral("fnsTitle"));
    fnsTitle->setFixedHeight(26);
    fnsTitle->redData->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fnsTitle->redData->setLineWrapMode(QTextEdit::NoWrap);
    left->addWidget(fnsTitle);

    pnlRight = named<QWidget>(Splitter1, "pnlRight");
    pnlRight->setMinimumWidth(60);
    auto* right = new QVBoxLayout(pnlRight);
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(2);
    RightHistory = named<QComboBox>(pnlRight, "RightHistory");
    right->addWidget(RightHistory);
    Splitter4 = named<QSplitter>(pnlRight, "Splitter4");
    Splitter4->setOrientation(Qt::Vertical);
    pgcTextPict = named<QTabWidget>(Splitter4, "pgcTextPict");
    tshText = named<QWidget>(nullptr, "tshText");
    tshText2 = named<QWidget>(nullptr, "tshText2");
    for (QWidget* page : {tshText, tshText2}) new QVBoxLayout(page);
    pnlText = named<QWidget>(tshText, "pnlText");
    auto* textBox = new QVBoxLayout(pnlText);
    textBox->setContentsMargins(0, 0, 0, 0);
    ashPrevi = new st::text::TfamArShower(pnlText);
    ashPrevi->setObjectName(QStringLiteral("ashPrevi"));
    textBox->addWidget(ashPrevi, 1);
    auto* textButtons = new QHBoxLayout;
    stepButtons(pnlText, textButtons,
                {{&BtnFirst, "BtnFirst"},
                 {&BtnPrevious, "BtnPrevious"},
                 {&BtnNext, "BtnNext"},
                 {&BtnLast, "BtnLast"}});
    textButtons->addStretch();
    textBox->addLayout(textButtons);
    tshText->layout()->setContentsMargins(2, 2, 2, 2);
    tshText2->layout()->setContentsMargins(2, 2, 2, 2);
    tshText->layout()->addWidget(pnlText);
    tshPict = named<QWidget>(nullptr, "tshPict");
    tshDodat = named<QWidget>(nullptr, "tshDodat");
    pgcTextPict->addTab(tshText, QString());
    pgcTextPict->addTab(tshText2, QString());
    pgcTextPict->addTab(tshPict, QString());
    pgcTextPict->addTab(tshDodat, QString());
    Panel7 = named<QWidget>(Splitter4, "Panel7");
    auto* preview = new QVBoxLayout(Panel7);
    preview->setContentsMargins(0, 0, 0, 0);
    sshPrevi = new st::detail::TfrmSynonShow(Panel7);
    sshPrevi->setObjectName(QStringLiteral("sshPrevi"));
    preview->addWidget(sshPrevi);
    pnlCustom = named<QWidget>(Panel7, "pnlCustom");
    auto* custom = new QHBoxLayout(pnlCustom);
    custom->setContentsMargins(0, 0, 0, 0);
    btnRefferer = named<QPushButton>(pnlCustom, "btnRefferer");
    btnRefferer->setFlat(true);
    custom->addWidget(btnRefferer);
    pnlCustom->hide();
    preview->addWidget(pnlCustom);
    Splitter4->setStretchFactor(0, 3);
    Splitter4->setStretchFactor(1, 1);
    right->addWidget(Splitter4, 1);
    Splitter1->addWidget(pnlLeft);
    Splitter1->addWidget(pnlRight);
    Splitter1->setStretchFactor(0, 2);
    Splitter1->setStretchFactor(1, 3);
    root->addWidget(Splitter1, 1);

    auto* bottomPanel = named<QWidget>(this, "pnlBottom");
    bottomPanel->setFixedHeight(30);
    bottomPanel->setMinimumWidth(565);
    auto* bottom = new QHBoxLayout(bottomPanel);
    bottom->setContentsMargins(0, 0, 0, 0);
    lblSearch = named<QLabel>(bottomPanel, "lblSearch");
    bottom->addWidget(lblSearch);
    Edit1 = named<QLineEdit>(bottomPanel, "Edit1");
    bottom->addWidget(Edit1, 1);
    lblSearch->setBuddy(Edit1);
    btSearch = named<QPushButton>(bottomPanel, "btSearch");
    bottom->addWidget(btSearch);
    btnSearchNew = named<QPushButton>(bottomPanel, "btnSearchNew");
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

    setTabOrder(trView->trList, ashPrevi->redText);
    setTabOrder(ashPrevi->redText, Edit1);

    connect(btClose, &QPushButton::clicked, this, &TfrmSearchResults::btCloseClick);
    connect(chkQuickView, &QCheckBox::toggled, this, [this] { chkQuickViewClick(); });
    connect(pgcTextPict, &QTabWidget::currentChanged, this, [this](int) {
        pgcTextPictChanging(currentPage_);
        currentPage_ = pgcTextPict->currentIndex();
        pgcTextPictChange();
    });
    connect(TabControl2, &QTabBar::currentChanged, this, [this](int i) { TabControl2Change(i); });
    connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    connect(Edit1, &QLineEdit::returnPressed, this, [this] {
        if (btSearch->isEnabled()) btSearchClick();
    });
    Edit1->installEventFilter(this);
    connect(btSearch, &QPushButton::clicked, this, &TfrmSearchResults::btSearchClick);
    connect(btDetails, &QPushButton::clicked, this, &TfrmSearchResults::btDetailsClick);
    connect(btnZED, &QPushButton::clicked, this, &TfrmSearchResults::btnZEDClick);
    connect(btnSelector, &QPushButton::clicked, this, &TfrmSearchResults::btnSelectorClick);
    connect(btnRefferer, &QPushButton::clicked, this, &TfrmSearchResults::btnTestCustomClick);
    connect(BtnFirst, &QPushButton::clicked, this, [this] { ashPrevi->thlFound.MarkFirst(); });
    connect(BtnPrevious, &QPushButton::clicked, this,
            [this] { ashPrevi->thlFound.MarkPrevious(); });
    connect(BtnNext, &QPushButton::clicked, this, [this] { ashPrevi->thlFound.MarkNext(); });
    connect(BtnLast, &QPushButton::clicked, this, [this] { ashPrevi->thlFound.MarkLast(); });
    connect(BtnFirstInList, &QPushButton::clicked, this, [this] { trView->MarkFirst(); });
    connect(BtnPreviousInList, &QPushButton::clicked, this, [this] { trView->MarkPrevious(); });
    connect(BtnNextInList, &QPushButton::clicked, this, [this] { trView->MarkNext(); });
    connect(BtnLastInList, &QPushButton::clicked, this, [this] { trView->MarkLast(); });
    connect(RightHistory, &QComboBox::activated, this, &TfrmSearchResults::RightHistoryChange);
    connect(LeftHistory, &QComboBox::activated, this, &TfrmSearchResults::LeftHistoryChange);
    resize(1000, 650);
    FormCreate();
}

TfrmSearchResults::~TfrmSearchResults() = default;

void TfrmSearchResults::FormCreate() {
    ApplyLayout(this, QStringLiteral("TfrmSearchResults"));
    SetLocalTexts();
    limode = 2;
    queEccLike.setUseSearchCache(true);
    dsWork = &trView->qrySelectAll;
    trView->qrySelectAll.setSQL(st::search::kWholeListSearchSQL);
    id_shown = -1;
    fig_eccn_shown = -2;
    trView->showExpanded = true;
    {
        const QSignalBlocker quiet(TabControl2);
        TabControl2->setCurrentIndex(1);
    }
    if (auto* dm = TdmMain::instance()) setWindowTitle(dm->prgName);
    const int dodat = pgcTextPict->indexOf(tshDodat);
    pgcTextPict->setTabVisible(dodat, ed_.showComments);
    const int pict = pgcTextPict->indexOf(tshPict);
    {
        const QSignalBlocker quiet(pgcTextPict);
        if (ed_.picturesOnly) {
            for (int i = 0; i < pgcTextPict->count(); ++i) pgcTextPict->setTabVisible(i, i == pict);
            pgcTextPict->tabBar()->hide();
            pgcTextPict->setCurrentIndex(pict);
        } else {
            pgcTextPict->setTabVisible(pict, ed_.showPictures);
            pgcTextPict->setCurrentIndex(pgcTextPict->indexOf(tshText));
        }
        currentPage_ = pgcTextPict->currentIndex();
    }
    pnlZED->setVisible(ed_.showCustomsCodes);
    // The initial state of the search box: its prompt, bold; no search yet.
    QFont bold = Edit1->font();
    bold.setBold(true);
    Edit1->setFont(bold);
    btSearch->setEnabled(false);
    btnSearchNew->setEnabled(false);
    sshPreviHide();  // the synonym panel asks for it when it has something
    sshPrevi->isShown = false;
}

void TfrmSearchResults::SetLocalTexts() {
    TdmMain* dm = TdmMain::instance();
    static const WordTable none;
    const WordTable& words = dm ? dm->name_list : none;
    const int lang = dm ? dm->languageNumber() : 0;
    text_tit_Entire = ComposeText(TextId::titEntire, lang, words);
    text_hist_Entire = ComposeText(TextId::histEntire, lang, words);
    text_tit_Search = ComposeText(TextId::titSearch, lang, words);
    text_hist_Search = ComposeText(TextId::histSearch, lang, words);
    text_hist_Right1 = ComposeText(TextId::histRight1, lang, words);
    text_hist_Right2 = ComposeText(TextId::histRight2, lang, words);
}

void TfrmSearchResults::setCaption(const QString& caption) {
    setWindowTitle(caption);
    QApplication::setApplicationDisplayName(caption);
}

// ---- wiring ---------------------------------------------------------------

void TfrmSearchResults::OpenBases() {
    TdmMain* dm = TdmMain::instance();
    st::db::Database* db = dm ? dm->connection() : nullptr;
    queEccLike.setDatabase(db);
    queAdvan.setDatabase(db);
    qryWork.setDatabase(db);
    trView->SetDatabase(db);
    if (dm) trView->setLanguageNumber(dm->languageNumber());
    trView->FillHeads();                             // 1
    trView->FoundColor = st::text::colours::hitOwn;  // 2
    trView->shabs = &HiliShabs;
    trButtons->RegisterMe(trView);                                                            // 3
    trView->addShower(st::tree::proArShower::of(this, &TfrmSearchResults::ShowViewedEntry));  // 4
    ashPrevi->ReadRules(QStringLiteral("ParamSet01"), IniFile::currentPath());                // 5
    ashPrevi->setPatterns(&HiliShabs);
    ashPrevi->SetPapaValue(trView, false);
    sshPrevi->MakeInvisible = [this] { sshPreviHide(); };  // 6
    sshPrevi->MakeVisible = [this] { sshPreviShow(); };
    sshPrevi->setPatterns(&HiliShabs);
    sshPrevi->SetPapaValue(trView);
    sshPrevi->bt2Action = pnlCustom;
    // 7 and 10: the notes and the pictures are wired by their own frames.
    fnsTitle->RegisterMe(trView);  // 8
    wired_ = true;
    chkQuickViewClick();  // 9
    trView->OpenTable();  // 11
}

QWidget* TfrmSearchResults::textViewerOf(int page) const {
    QWidget* w = pgcTextPict->widget(page);
    return (w == tshText || w == tshText2) ? ashPrevi : nullptr;
}

void TfrmSearchResults::chkQuickViewClick() {
    const bool on = chkQuickView->isChecked();
    pnlRight->setVisible(on);
    if (!wired_) return;
    if (on) {
        pgcTextPictChange();
        trView->addShower(sshPrevi->shower());
    } else {
        pgcTextPictChanging(pgcTextPict->currentIndex());
        trView->silentShower(sshPrevi->shower());
    }
}

void TfrmSearchResults::pgcTextPictChanging(int leaving) {
    if (!wired_) return;
    if (textViewerOf(leaving)) trView->silentShower(ashPrevi->shower());
}

void TfrmSearchResults::pgcTextPictChange() {
    if (!wired_) return;
    QWidget* page = pgcTextPict->currentWidget();
    if (page != tshText && page != tshText2) return;
    ashPrevi->ReadRules(
        page == tshText ? QStringLiteral("ParamSet01") : QStringLiteral("ParamSet02"),
        IniFile::currentPath());
    if (pnlText->parentWidget() != page) {
        pnlText->setParent(page);
        page->layout()->addWidget(pnlText);
        pnlText->show();
    }
    if (chkQuickView->isChecked()) trView->addShower(ashPrevi->shower());
}

void TfrmSearchResults::sshPreviShow() {
    Panel7->show();
    Splitter4->setSizes({Splitter4->height() * 3 / 4, Splitter4->height() / 4});
}

void TfrmSearchResults::sshPreviHide() {
    Panel7->hide();
}

// ---- start-up -------------------------------------------------------------

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

bool TfrmSearchResults::eventFilter(QObject* watched, QEvent* e) {
    // While the search box has the focus, "Пошук" is the default button.
    if (watched == Edit1 && (e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut)) {
        searchDefault_ = e->type() == QEvent::FocusIn;
        btSearch->setDefault(searchDefault_);
    }
    return QWidget::eventFilter(watched, e);
}

void TfrmSearchResults::WMDeferredStart() {
    setEnabled(true);
    if (auto* dm = TdmMain::instance()) dm->OpenBases();
    if (Flags().terminated || !selector_) return;
    selector_->setTree(trView);
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

void TfrmSearchResults::ShowSelectorResults() {
    trView->GetRevisionVisibility();
    if (selector_->rbuZED->isChecked())
        ShowUKTSearch(selector_->ediZED->text(), selector_->chbExact->isChecked());
    else if (selector_->rbuAll->isChecked())
        search_tree(QString());
    else if (selector_->rbuString->isChecked())
        search_tree(selector_->ediString->text());
    else if (selector_->rbuCurr->isChecked() && dsWork)
        FillTree(*dsWork);
}

void TfrmSearchResults::btnSelectorClick() {
    if (!selector_) return;
    trView->BuildRevisionScreen(selector_->pnlLists);
    if (btSearch->isEnabled()) selector_->ediString->setText(Edit1->text());
    selector_->rbuCurr->setEnabled(true);
    selector_->lblCurr->setEnabled(true);
    if (dsWork == &trView->qrySelectAll)
        selector_->rbuAll->setChecked(true);
    else
        selector_->rbuCurr->setChecked(true);
    if (selector_->exec() == st::search::TfrmSelector::resultOk) ShowSelectorResults();
}

void TfrmSearchResults::btCloseClick() {
    close();
}

void TfrmSearchResults::closeEvent(QCloseEvent* e) {
    // Closing the main window ends the program; nothing is saved.
    e->accept();
    RequestTermination();
}

// ---- the search box -------------------------------------------------------

void TfrmSearchResults::setSearchBoxTyped(bool typed) {
    QFont f = Edit1->font();
    f.setBold(!typed);
    Edit1->setFont(f);
    QPalette p = Edit1->palette();
    p.setColor(QPalette::Text, typed ? QColor(Qt::black) : QColor(Qt::red));
    Edit1->setPalette(p);
    btSearch->setEnabled(typed);
    btnSearchNew->setEnabled(typed);
}

void TfrmSearchResults::Edit1Change() {
    if (btSearch->isEnabled()) return;
    setSearchBoxTyped(true);
    btSearch->setDefault(true);
}

void TfrmSearchResults::SetSearchTitle(const QString& s) {
    Edit1->setText(QStringLiteral("<<") + s + QStringLiteral(">>"));
    setSearchBoxTyped(false);
    if (auto* dm = TdmMain::instance()) setCaption(dm->prgAbbr + QStringLiteral(" - ") + s);
}

// ---- quick search ---------------------------------------------------------

void TfrmSearchResults::btSearchClick() {
    Edit1->selectAll();
    const QString t = Edit1->text();
    const QString abbr = TdmMain::instance() ? TdmMain::instance()->prgAbbr : QString();
    if (t.trimmed().isEmpty()) {
        setCaption(abbr + text_tit_Entire);
        HiliShabs.clear();
        PushHistory(trView->qrySelectAll, text_hist_Entire);
        FillTree(trView->qrySelectAll);
        return;
    }
    queEccLike.close();
    st::search::BindQuickSearch(queEccLike, st::search::MakeQuickSearchForms(t));
    setCaption(abbr + text_tit_Search + t.trimmed());
    st::search::FillHiStarWords(HiliShabs, t, true);
    PushHistory(queEccLike, text_hist_Search + t.trimmed());
    FillTree(queEccLike);
}

void TfrmSearchResults::search_tree(const QString& search_str) {
    Edit1->setText(search_str);
    Edit1Change();  // text put in by the program counts as an edit
    btSearchClick();
    ShowMe();
}

void TfrmSearchResults::FillTree(st::db::Query& queEcc) {
    BusyCursor busy;
    QueryCloser closer{queEcc};
    RightHistory->clear();
    trView->NotifyAll(-1, false);
    reFillTree(queEcc);
    const int kept = trView->selectedNode();
    trView->MarkFirst();
    if (trView->selectedNode() == kept) trView->trListChange();
}

void TfrmSearchResults::reFillTree(st::db::Query& queEcc) {
    BusyCursor busy;
    QueryCloser closer{queEcc};
    dsWork = &queEcc;
    trView->ChangeSQL(queEcc);
    queEcc.open();
    const st::tree::TLAutoExpand rule =
        &queEcc == &trView->qrySelectAll ? st::tree::laxNo : st::tree::laxAuto;
    if (limode == 1)
        trView->FillTree0(queEcc, rule);
    else if (limode == 2)
        trView->FillTree1(queEcc, rule);
}

void TfrmSearchResults::TabControl2Change(int index) {
    limode = index + 1;
    RightHistory->clear();
    if (!wired_ || !dsWork) return;
    reFillTree(*dsWork);
    ShowViewedEntry(trView->id_shown, false);
}

void TfrmSearchResults::btnZEDClick() {
    if (zed_ && zed_->exec() == st::search::TfrmZEDCode::resultOk) ShowZEDSearch();
}

void TfrmSearchResults::ShowZEDSearch() {
    if (!zed_) return;
    if (zed_->rbuUKT->isChecked())
        return ShowUKTSearch(zed_->ediUKT->text(), zed_->chbExact->isChecked());
    const QString t = zed_->ediTN->text().trimmed();
    HiliShabs = {st::text::MakeSearchShab(t)};
    const QString caption = zed_->MakeTNCaption(t);
    SetSearchTitle(caption);
    queAdvan.close();
    queAdvan.setSQL(st::search::MakeTN_SQL(t));
    FillTree(queAdvan);
    PushHistory(queAdvan, caption);
}

void TfrmSearchResults::ShowUKTSearch(const QString& st2, bool exact) {
    if (selector_) {
        selector_->ediZED->setText(st2);
        selector_->chbExact->setChecked(exact);
    }
    if (zed_) {
        zed_->ediUKT->setText(st2);
        zed_->chbExact->setChecked(exact);
    }
    const QString shab = st::text::MakeSearchShab(st2);
    HiliShabs = exact ? QStringList{shab} : QStringList{shab, QStringLiteral("@$@$") + shab};
    const QString caption = zed_ ? zed_->MakeUKTCaption(st2) : st2;
    SetSearchTitle(caption);
    queAdvan.close();
    queAdvan.setSQL(st::search::MakeUKT_SQL(st2, exact));
    FillTree(queAdvan);
    PushHistory(queAdvan, caption);
}

void TfrmSearchResults::btnTestCustomClick() {
    if (sshPrevi->sydClosest >= 0) ShowReferal(sshPrevi->sydClosest, false);
}

void TfrmSearchResults::ShowReferal(int syid, bool isNew) {
    int entry = 0, kind = 2;
    QString text;
    qryWork.setSQL(
        QStringLiteral("select ENTRY_ID,SYN_NUMBER,TEXT from SYNONYM where SYNONYM_ID=") +
        QString::number(syid));
    qryWork.open();
    if (!qryWork.eof()) {
        entry = qryWork.field(0).toInt();
        kind = qryWork.field(1).toInt();
        // A rich text counts by its plain words.
        text = st::text::RtfPlainText(st::text::FieldBytes(qryWork.field(2)));
    }
    qryWork.close();
    const bool refer =
        qryWork.database() && TdmMain::OptionalSchemaOf(*qryWork.database()).referRevision;
    qryWork.setSQL(QStringLiteral("select le.Entry_Short,sna.NAME, %1 from List_Entries le Inner "
                                  "join SYN_NAME sna on le.Revision_ID=sna.REVISION_ID where "
                                  "le.ENTRY_ID=%2 and sna.SYN_NUMBER=%3")
                       .arg(refer ? QStringLiteral("sna.Refer_Revision_ID") : QStringLiteral("0"))
                       .arg(entry)
                       .arg(kind));
    QString code = QStringLiteral("Conrol list Entry"), name = QStringLiteral("Custom code");
    int referred = 0;
    qryWork.open();
    if (!qryWork.eof()) {
        code = qryWork.field(0).toString();
        name = qryWork.field(1).toString();
        referred = qryWork.field(2).toInt();
    }
    qryWork.close();
    const QString caption = QStringLiteral("<<Search for ") + name +
                            QStringLiteral(" referring to ") + code + QStringLiteral(">>");
    QString t = text;
    for (QChar& c : t)
        if (c.unicode() < 0x20 || c == u'"' || c == u'\'') c = u' ';
    HiliShabs.clear();
    for (const QString& piece : t.split(u';')) {
        const QString p = piece.trimmed();
        if (p.isEmpty()) continue;
        HiliShabs << p;
        const QString tight = QString(p).remove(u' ');
        if (tight != p) HiliShabs << tight;
    }
    const QString r = QString(t).remove(u' ');
    queAdvan.close();
    queAdvan.setSQL(
        QStringLiteral("select Entry_id, List_Title, Parent_id, Entry_type, Revision_id, "
                       "Picture_key\nfrom List_entries a\nwhere (Revision_id=") +
        QString::number(referred) + QStringLiteral(")\n and (';") + r +
        QStringLiteral("' like '%;'&Entry_Short&'%')\n and (Entry_Short<>'')\n order "
                       "by Sort_list,Sort_Num"));
    Edit1->setText(QStringLiteral("<<") + caption + QStringLiteral(">>"));
    setSearchBoxTyped(false);
    const QString abbr = TdmMain::instance() ? TdmMain::instance()->prgAbbr : QString();
    setCaption(abbr + QStringLiteral(" - ") + caption);
    for (st::tree::TLRevsInfo& head : trView->liHeads) {
        const bool show = head.rev_id == referred || (head.fshow && !isNew);
        if (head.fshow != show) {
            head.fshow = show;
            trView->FullShown = false;
        }
    }
    trView->Make_liVisibles();
    FillTree(queAdvan);
    PushHistory(queAdvan, caption);
}

void TfrmSearchResults::btDetailsClick() {
    if (!detail_) return;
    detail_->show();
    detail_->raise();
    detail_->activateWindow();
}

// ---- viewed entries -------------------------------------------------------

void TfrmSearchResults::ShowViewedEntry(int nid, bool) {
    RightHistory->setCurrentIndex(-1);
    const int node = trView->selectedNode();
    if (nid >= 0 && node >= 0 && std::abs(trView->model()->node(node).data) == nid)
        AddViewedEntry(node, nid);
}

void TfrmSearchResults::AddViewedEntry(int node, int nid) {
    const int at = RightHistory->findData(node);
    if (at >= 0) {
        RightHistory->setCurrentIndex(at);
        return;
    }
    QString code;
    trView->OpenTable();
    if (trView->tblEntries.findKey({nid}))
        code = trView->GetFieldText(QStringLiteral("Entry_Short"));
    trView->CloseTable();
    if (code.isEmpty()) code = MakeNodeNumber(node);
    RightHistory->insertItem(0, text_hist_Right1 + code + text_hist_Right2, node);
    RightHistory->setCurrentIndex(0);
}

void TfrmSearchResults::RightHistoryChange(int index) {
    if (index < 0 || RightHistory->count() == 0) return;
    trView->selectNode(RightHistory->itemData(index).toInt());
}

QString TfrmSearchResults::MakeNodeNumber(int node) const {
    QStringList captions;
    for (int n = node; n >= 0; n = trView->model()->node(n).parent)
        captions << trView->model()->node(n).caption;
    return st::search::MakeNodeNumber(captions);
}

// ---- history --------------------------------------------------------------

void TfrmSearchResults::PushHistory(st::db::Query& query, const QString& caption) {
    const int index =
        history.push(&query, &query == &queAdvan, Edit1->text(), !btSearch->isEnabled(), HiliShabs);
    LeftHistory->insertItem(0, caption, index);
    LeftHistory->setCurrentIndex(0);
}

void TfrmSearchResults::RestoreHistory(int index) {
    const int item = LeftHistory->itemData(index).toInt();
    const st::search::SaveHist& h =
        history.restore(item, history.SavedSearch[item].qrys == &queAdvan);
    Edit1->setText(h.nams);
    setSearchBoxTyped(!h.nona);
    HiliShabs = h.hilis;
    const QString abbr = TdmMain::instance() ? TdmMain::instance()->prgAbbr : QString();
    setCaption(abbr + QStringLiteral(" - ") + LeftHistory->itemText(index));
    FillTree(*h.qrys);
}

void TfrmSearchResults::LeftHistoryChange(int index) {
    if (index < 0 || LeftHistory->count() == 0) return;
    RestoreHistory(index);
}

}  // namespace st::app
