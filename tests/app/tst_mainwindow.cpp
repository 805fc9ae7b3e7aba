#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "app/application.h"
#include "app/datamodule.h"
#include "app/messages.h"
#include "app/searchresults.h"
#include "db/query.h"
#include "detail/nameshower.h"
#include "detail/synonshow.h"
#include "search/dialogs.h"
#include "search/selector.h"
#include "text/arshower.h"
#include "text/richview.h"
#include "tools/builder.h"
#include "tree/treev.h"

using namespace st::app;

namespace {
const char* kFixture = R"({"entries": [
  {"kind": "list", "id": 10, "title": "Перелік", "after": "LISTSTRIP",
   "synonymKinds": [{"number": 2, "name": "UKT", "inherit": 1},
                    {"number": 5, "name": "Refs", "inherit": 0, "referList": 30}],
   "children": [
    {"id": 11, "short": "1A001", "title": "Насоси відцентрові", "text": "Насоси для рідин",
     "synonyms": [{"kind": 2, "text": "8413 70 30 00"}, {"kind": 5, "text": "X1; X2"}]},
    {"id": 12, "short": "1A002", "title": "Лазери",
     "synonyms": [{"kind": 2, "text": "9013"}], "children": [
      {"id": 13, "title": "a) лазерні діоди", "text": "pump laser"}]},
    {"id": 14, "short": "1A003", "title": "Zurich pumps",
     "synonyms": [{"kind": 2, "text": "8413"}]}]},
  {"kind": "list", "id": 30, "title": "Other", "children": [
    {"id": 31, "short": "X1", "title": "First"}, {"id": 32, "short": "X2", "title": "Second"},
    {"id": 33, "short": "X3", "title": "Third"}]}
]})";
}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString oldCwd;
    std::unique_ptr<TdmMain> dm;
    std::unique_ptr<TfrmSearchResults> w;
    std::unique_ptr<st::search::TfrmZEDCode> zed;

    int selectedId() const {
        const int n = w->trView->selectedNode();
        return n < 0 ? -1 : std::abs(w->trView->model()->node(n).data);
    }
    QString shape() const {
        QStringList out;
        for (int i = 0; i < w->trView->model()->count(); ++i)
            out << QString::number(w->trView->model()->node(i).data);
        return out.join(u' ');
    }
    void settle() { QTRY_VERIFY(!w->ashPrevi->isComposing()); }
    void search(const QString& text) {
        w->Edit1->setText(text);
        w->btSearchClick();
        settle();
    }

  private slots:
    void initTestCase() {
        st::tools::BuildDatabaseFromText(kFixture, dir.filePath("m.db"));
        QFile ini(dir.filePath("SearchTool.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(
            "[Names]\nDB_Name=m.db\n[ParamSet01]\ntop_max=1\ndown_step_0=1\ntext_step_0=1\n"
            "[ParamSet02]\ntop_max=0\ntext_step_0=0\n");
        ini.close();
        oldCwd = QDir::currentPath();
        QDir::setCurrent(dir.path());
        SetMessageHook([](const QString& m) { QFAIL(qPrintable(m)); });
        dm = std::make_unique<TdmMain>();
        w = std::make_unique<TfrmSearchResults>();
        zed = std::make_unique<st::search::TfrmZEDCode>();
        w->setZEDDialog(zed.get());
        dm->addBaseOpener([this] { w->OpenBases(); });
        dm->OpenBases();
        w->resize(1000, 600);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void cleanupTestCase() {
        w.reset();
        zed.reset();
        dm.reset();
        QDir::setCurrent(oldCwd);
    }

    void emptySearchLoadsEverything() {
        const int items = w->LeftHistory->count();
        search("   ");
        QVERIFY(w->windowTitle().endsWith(w->text_tit_Entire));
        QVERIFY(w->HiliShabs.isEmpty());
        QCOMPARE(w->LeftHistory->count(), items + 1);
        QCOMPARE(w->LeftHistory->itemText(0), w->text_hist_Entire);
        QCOMPARE(shape(), QString("10 11 12 13 14 30 31 32 33"));
        QCOMPARE(selectedId(), 10);  // the first hit is selected and shown
        QCOMPARE(w->ashPrevi->id_shown, 10);
    }

    void quickSearchFindsAndMarks() {
        search(u"насос%"_qs);
        QCOMPARE(shape(), QString("-10 11"));
        QCOMPARE(w->HiliShabs, QStringList{"HACOC"});
        QCOMPARE(w->windowTitle(), dm->prgAbbr + w->text_tit_Search + u"насос%"_qs);
        QCOMPARE(w->LeftHistory->itemText(0), w->text_hist_Search + u"насос%"_qs);
        QCOMPARE(selectedId(), 11);
        // The composed text marks the hits, and the step buttons walk them.
        QVERIFY(w->ashPrevi->thlFound.founkvo >= 2);
        w->BtnLast->click();
        const int last = w->ashPrevi->redText->selStart();
        w->BtnFirst->click();
        QVERIFY(w->ashPrevi->redText->selStart() < last);
        // The accent-free form: a typed "Zürich" finds a stored "Zurich".
        search(u"Zürich"_qs);
        QCOMPARE(shape(), QString("-10 14"));
    }

    void listModeTabRerunsWithoutHistory() {
        search("pump");
        QCOMPARE(shape(), QString("-10 -12 13 14"));
        const int items = w->LeftHistory->count();
        w->TabControl2->setCurrentIndex(0);  // "Повний текст"
        QCOMPARE(w->limode, 1);
        QCOMPARE(shape(), QString("-10 -11 -12 13 14 -30 -31 -32 -33"));
        QCOMPARE(w->LeftHistory->count(), items);
        w->TabControl2->setCurrentIndex(1);
        QCOMPARE(shape(), QString("-10 -12 13 14"));
        QCOMPARE(w->LeftHistory->count(), items);
    }

    void viewedEntries() {
        search("   ");
        w->RightHistory->clear();
        w->trView->selectNode(w->trView->GetNodeByID(11));
        QCOMPARE(w->RightHistory->itemText(0), w->text_hist_Right1 + "1A001" + w->text_hist_Right2);
        w->trView->selectNode(w->trView->GetNodeByID(13));  // no short code: its node number
        QCOMPARE(w->RightHistory->itemText(0),
                 w->text_hist_Right1 + u"Лазери.a."_qs + w->text_hist_Right2);
        w->trView->selectNode(w->trView->GetNodeByID(11));  // seen again: selected, not added
        QCOMPARE(w->RightHistory->count(), 2);
        QCOMPARE(w->RightHistory->currentIndex(), 1);
        w->RightHistoryChange(0);  // choosing an item selects its node
        QCOMPARE(selectedId(), 13);
        QCOMPARE(w->RightHistory->count(), 2);
    }

    void historyRecall() {
        search("pump");
        search(u"насос"_qs);
        // Item 1 is the search for "pump".
        w->LeftHistoryChange(1);
        settle();
        QCOMPARE(w->Edit1->text(), QString("pump"));
        QCOMPARE(w->HiliShabs, QStringList{"PUMP"});
        QCOMPARE(w->windowTitle(), dm->prgAbbr + " - " + w->text_hist_Search + "pump");
        QCOMPARE(shape(), QString("-10 -12 13 14"));
        QVERIFY(w->btSearch->isEnabled());
        QCOMPARE(w->queEccLike.param("oti1").toString(), QString("%PUMP%"));
    }

    void searchBoxStates() {
        w->SetSearchTitle("Entries with custom code 8401");
        QCOMPARE(w->Edit1->text(), QString("<<Entries with custom code 8401>>"));
        QVERIFY(!w->btSearch->isEnabled() && !w->btnSearchNew->isEnabled());
        QVERIFY(w->Edit1->font().bold());
        const int items = w->LeftHistory->count();
        QTest::keyClick(w->Edit1, Qt::Key_Return);  // disabled: nothing runs
        QCOMPARE(w->LeftHistory->count(), items);
        QTest::keyClick(w->Edit1, Qt::Key_A);  // the first keystroke re-enables
        QVERIFY(w->btSearch->isEnabled() && w->btnSearchNew->isEnabled());
        QVERIFY(!w->Edit1->font().bold());
        w->Edit1->setText("pump");
        w->Edit1->setFocus();
        QTest::keyClick(w->Edit1, Qt::Key_Return);
        settle();
        QCOMPARE(w->LeftHistory->count(), items + 1);
    }

    void listStripFollowsTheList() {
        search("   ");
        w->trView->selectNode(w->trView->GetNodeByID(11));
        QCOMPARE(w->fnsTitle->redData->plainText(), QString("LISTSTRIP"));
        w->fnsTitle->redData->replaceSelection("x");  // within the list nothing reloads
        w->trView->selectNode(w->trView->GetNodeByID(14));
        QVERIFY(w->fnsTitle->redData->plainText().contains("x"));
    }

    void customsCodeSearches() {
        w->ShowUKTSearch("8413 70 30 00", true);
        settle();
        QCOMPARE(shape(), QString("-10 11"));
        QCOMPARE(w->HiliShabs, QStringList{"8413 70 30 00"});
        QCOMPARE(w->Edit1->text(), QString("<<Entries with custom code 8413 70 30 00>>"));
        QVERIFY(!w->btSearch->isEnabled());
        const QString exactSql = w->queAdvan.sql();
        // Broad: the heading's code and every code beginning with the typed one.
        w->ShowUKTSearch("8413 70", false);
        settle();
        QCOMPARE(shape(), QString("-10 11 14"));
        QCOMPARE(w->HiliShabs, (QStringList{"8413 70", "@$@$8413 70"}));
        // In the code panel the shorter code that contains the searched one is marked.
        w->trView->selectNode(w->trView->GetNodeByID(14));
        QTextCursor code(w->sshPrevi->redData->document());
        code.setPosition(2);
        QCOMPARE(code.charFormat().foreground().color(), QColor(255, 0, 128));
        // Recalling the exact search restores its query text and its caption.
        w->LeftHistoryChange(1);
        settle();
        QCOMPARE(w->queAdvan.sql(), exactSql);
        QCOMPARE(shape(), QString("-10 11"));
        QCOMPARE(w->Edit1->text(), QString("<<Entries with custom code 8413 70 30 00>>"));
        QVERIFY(!w->btSearch->isEnabled());
        QCOMPARE(w->HiliShabs, QStringList{"8413 70 30 00"});
    }

    void synonymPanel() {
        search("   ");
        w->trView->selectNode(w->trView->GetNodeByID(11));
        QVERIFY(w->Panel7->isVisibleTo(w.get()));
        QCOMPARE(w->sshPrevi->redData->plainText().trimmed(), QString("8413 70 30 00"));
        QVERIFY(w->sshPrevi->sydShown > 0);
        QVERIFY(!w->pnlCustom->isVisibleTo(w.get()));  // kind 2 refers to no list
        QCOMPARE(w->sshPrevi->tbcNames->count(), 2);   // a tab per kind of the list
        QVERIFY(w->sshPrevi->tbcNames->isVisibleTo(w.get()));
        QCOMPARE(w->sshPrevi->tbcNames->tabText(w->sshPrevi->tbcNames->currentIndex()),
                 QString("UKT"));
        // No own code: the nearest ancestor's, inherited.
        w->trView->selectNode(w->trView->GetNodeByID(13));
        QCOMPARE(w->sshPrevi->redData->plainText().trimmed(), QString("9013"));
        QCOMPARE(w->sshPrevi->sydShown, -1);
        QVERIFY(w->sshPrevi->sydClosest > 0);
        QVERIFY(!w->sshPrevi->btnDelete->isEnabled());
        // Asked for an entry that is not the selected node, only the list root is tried.
        w->trView->selectNode(w->trView->GetNodeByID(11));
        w->sshPrevi->FillBox(13, true);
        QVERIFY(w->sshPrevi->redData->plainText().trimmed().isEmpty());
        QCOMPARE(w->sshPrevi->sydClosest, -1);
        // The other list has no kinds: the preview goes away.
        w->trView->selectNode(w->trView->GetNodeByID(31));
        QVERIFY(!w->Panel7->isVisibleTo(w.get()));
        w->trView->selectNode(w->trView->GetNodeByID(14));
        QVERIFY(w->Panel7->isVisibleTo(w.get()));
    }

    void savingAKind2Code() {
        search("   ");
        w->trView->selectNode(w->trView->GetNodeByID(13));
        w->sshPrevi->btnEditClick();
        QVERIFY(w->sshPrevi->redData->plainText().isEmpty());  // never the inherited text
        w->sshPrevi->redData->replaceSelection("9013100000");
        w->sshPrevi->btnSaveClick();
        st::db::Query q(dm->connection(), "select TEXT, Plain_Text from SYNONYM where ENTRY_ID=13");
        q.open();
        QCOMPARE(q.field(0).toString(), QString("9013100000"));
        QCOMPARE(q.field(1).toString(), QString("/9013 10 00 00/"));
        QVERIFY(w->sshPrevi->sydShown > 0);
        w->sshPrevi->btnDeleteClick();
        QCOMPARE(w->sshPrevi->redData->plainText().trimmed(), QString("9013"));  // inherited again
    }

    void crossReference() {
        search("   ");
        w->trView->selectNode(w->trView->GetNodeByID(11));
        w->sshPrevi->tbcNamesChange(1);  // "Refs"
        QVERIFY(w->pnlCustom->isVisibleTo(w.get()));
        w->btnRefferer->click();
        settle();
        QCOMPARE(shape(), QString("-30 31 32"));
        QCOMPARE(w->HiliShabs, (QStringList{"X1", "X2"}));
        QVERIFY(w->Edit1->text().startsWith("<<<<Search for Refs referring to 1A001>>"));
        w->sshPrevi->tbcNamesChange(0);
    }

    void selectorRepeatsTheLastSearch() {
        st::search::TfrmSelector sel;
        sel.setTree(w->trView);
        w->setSelector(&sel);
        search("pump");
        const QString before = shape();
        const int items = w->LeftHistory->count();
        bool currChosen = false;
        QTimer::singleShot(0, this, [&] {
            currChosen = sel.rbuCurr->isChecked() && sel.rbuCurr->isEnabled();
            sel.btnOk->click();
        });
        w->btnSelectorClick();
        settle();
        QVERIFY(currChosen);
        QCOMPARE(shape(), before);
        QCOMPARE(w->LeftHistory->count(), items);  // no new history item
        QCOMPARE(sel.ediString->text(), QString("pump"));
        w->setSelector(nullptr);
    }

    // Last, as it rewrites the synonyms.
    void synonymChainsAndSaves() {
        st::db::Database* db = dm->connection();
        db->exec(
            "insert into SYNONYM (SYNONYM_ID, ENTRY_ID, SYN_NUMBER, TEXT, PARENT_ID) values "
            "(500, 0, 2, '8414 11', 9999);"
            "update SYNONYM set PARENT_ID=500 where ENTRY_ID=14 and SYN_NUMBER=2");
        search("   ");
        w->trView->selectNode(w->trView->GetNodeByID(14));
        // The chain goes on a new line in dark grey and ends at the missing row.
        QCOMPARE(w->sshPrevi->redData->plainText().trimmed(), QString("8413\n8414 11"));
        QTextCursor c(w->sshPrevi->redData->document());
        c.setPosition(w->sshPrevi->redData->plainText().indexOf("8414") + 1);
        QCOMPARE(c.charFormat().foreground().color(), QColor(48, 48, 48));
        // A rich kind saved from an empty editor stores NULL.
        w->sshPrevi->tbcNamesChange(1);
        w->sshPrevi->btnEditClick();
        w->sshPrevi->btnSaveClick();
        st::db::Query q(db, "select TEXT is null from SYNONYM where ENTRY_ID=14 and SYN_NUMBER=5");
        q.open();
        QVERIFY(q.field(0).toBool());
        q.close();
        // The first row of an empty table gets the key 1.
        db->exec("delete from SYNONYM");
        w->sshPrevi->tbcNamesChange(0);
        w->sshPrevi->btnEditClick();
        w->sshPrevi->redData->replaceSelection("8401");
        w->sshPrevi->btnSaveClick();
        QCOMPARE(w->sshPrevi->sydShown, 1);
    }

    void rightPanelAndPages() {
        search("   ");
        w->chkQuickView->setChecked(false);
        QVERIFY(!w->pnlRight->isVisible());
        w->trView->selectNode(w->trView->GetNodeByID(14));
        settle();
        QVERIFY(w->ashPrevi->id_shown != 14);  // silent while hidden
        w->chkQuickView->setChecked(true);
        settle();
        QCOMPARE(w->ashPrevi->id_shown, 14);  // brought up to date
        w->pgcTextPict->setCurrentWidget(w->tshText2);
        settle();
        QCOMPARE(w->ashPrevi->rulesGot, QString("ParamSet02"));
        QCOMPARE(w->pnlText->parentWidget(), w->tshText2);
        QCOMPARE(w->ashPrevi->id_shown, 14);
        w->pgcTextPict->setCurrentWidget(w->tshText);
        settle();
        QCOMPARE(w->ashPrevi->rulesGot, QString("ParamSet01"));
        QCOMPARE(w->pnlText->parentWidget(), w->tshText);
    }
};

int main(int argc, char** argv) {
    st::app::Application app(argc, argv);
    TestMainWindow t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_mainwindow.moc"
