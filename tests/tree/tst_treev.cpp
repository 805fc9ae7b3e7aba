#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include "db/database.h"
#include "tools/builder.h"
#include "tree/treebutt.h"
#include "tree/treev.h"

using namespace st::tree;
using st::db::Database;
using st::db::Query;

namespace {

// A group with two lists; entry 14 is four levels below its list head; 99 has
// a parent that does not exist.
const char* kFixture = R"({"entries": [
  {"kind": "group", "id": 1, "title": "Група", "children": [
    {"kind": "list", "id": 10, "title": "Перелік А", "children": [
      {"id": 11, "title": "1 Ядерні матеріали", "children": [
        {"id": 12, "title": "1.A Обладнання", "children": [
          {"id": 13, "title": "1.A.1 Насоси та насосні агрегати",
           "pictures": [{"file": "p.bmp", "title": "x"}],
           "children": [{"id": 14, "title": "1.A.1.a Відцентрові насоси"}]},
          {"id": 15, "title": "1.A.2 Лазери"}]}]}]},
    {"kind": "list", "id": 20, "title": "Перелік Б", "children": [
      {"id": 21, "title": "Насоси Б"}]}]}
]})";

const QString kEntryColumns = QStringLiteral(
    "select Entry_id, List_Title, Parent_id, Entry_type, Revision_id, Picture_key "
    "from List_entries ");

// Node summary in pre-order: data@level, e.g. "-1@0 -10@1 14@5".
QString shape(const TfamTreeV& t) {
    QStringList out;
    for (int i = 0; i < t.model()->count(); ++i)
        out << QStringLiteral("%1@%2").arg(t.model()->node(i).data).arg(t.model()->node(i).level);
    return out.join(u' ');
}

// Every recorder writes to one log, so the order of calls shows.
QStringList g_log;
struct Recorder {
    QStringList& calls = g_log;
    QString name;
    void FillBox(int nid, bool freget) {
        calls << QStringLiteral("%1:%2:%3").arg(name).arg(nid).arg(freget);
    }
    void Other(int nid, bool) { calls << QStringLiteral("%1-other:%2").arg(name).arg(nid); }
};

}  // namespace

class TestTreeV : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<Database> db;

    std::unique_ptr<TfamTreeV> frame() {
        auto t = std::make_unique<TfamTreeV>();
        t->SetDatabase(db.get());
        t->qrySelectAll.setSQL(
            "select Entry_id, List_Title, Parent_id, Entry_type, Picture_key, Revision_id\n"
            "from List_entries\nwhere Revision_id in (-153)\norder by Sort_list,Sort_Num");
        t->FillHeads();
        t->OpenTable();
        return t;
    }
    void fill(TfamTreeV& t, Query& q, const QString& where) {
        q.setDatabase(db.get());
        q.setSQL(kEntryColumns + where + " order by Sort_list,Sort_Num");
        q.open();
        t.FillTree1(q, laxAlways);
    }
    void showAll(TfamTreeV& t) {
        t.ChangeSQL(t.qrySelectAll);
        t.qrySelectAll.open();
        t.FillTree1(t.qrySelectAll, laxNo);
    }

  private slots:
    void initTestCase() {
        QImage(4, 4, QImage::Format_RGB32).save(dir.filePath("p.bmp"));
        st::tools::BuildDatabaseFromText(kFixture, dir.filePath("t.db"), QDir(dir.path()));
        db = Database::open(dir.filePath("t.db"));
        db->exec(
            "insert into List_Entries (Entry_ID, Parent_ID, Revision_ID, List_Title, "
            "Sort_list, Sort_Num) values (99, 555, 10, 'Сирота', 1, 50)");
    }

    void changeSQL_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("quick-search filter line")
            << "where (Revision_id in (Revision_id)) and x"
            << "where (Revision_id in (0,Entry_id,1,10,20)) and x";
        QTest::newRow("qualified")
            << "a.Revision_id in (-153) or Revision_id in (-153)"
            << "a.Revision_id in (0,Entry_id,1,10,20) or Revision_id in (-153)";
        QTest::newRow("other case") << "revision_id in (-153)"
                                    << "revision_id in (-153)";
        QTest::newRow("no closing") << "Revision_id in (-153"
                                    << "Revision_id in (-153";
        QTest::newRow("none") << "select 1"
                              << "select 1";
    }
    void changeSQL() {
        QFETCH(QString, before);
        QFETCH(QString, after);
        auto t = frame();
        QCOMPARE(t->ChangeSQL(before), after);
    }

    void visibleListsText() {
        auto t = frame();
        QCOMPARE(t->liHeads.size(), 3);
        QCOMPARE(t->liHeads[0].typ, quint8(0));
        QCOMPARE(t->liHeads[1].typ, quint8(1));
        for (TLRevsInfo& h : t->liHeads) h.fshow = false;
        t->Make_liVisibles();
        QCOMPARE(t->liVisibles, QString("0,Entry_id"));
        t->liShowHeads = false;
        t->Make_liVisibles();
        QCOMPARE(t->liVisibles, QString("-153"));
        // Reloading the heads keeps each one's visibility.
        t->liShowHeads = true;
        t->liHeads[2].fshow = true;
        t->FillHeads();
        QCOMPARE(t->liVisibles, QString("0,Entry_id,20"));
    }

    void filteredTrees_data() {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("shape");
        QTest::newRow("deep hit with its context") << "where Entry_ID=14"
                                                   << "-1@0 -10@1 -11@2 -12@3 -13@4 14@5";
        QTest::newRow("two hits share a path") << "where Entry_ID in (13,15)"
                                               << "-1@0 -10@1 -11@2 -12@3 13@4 15@4";
        QTest::newRow("hit and its ancestor") << "where Entry_ID in (12,14)"
                                              << "-1@0 -10@1 -11@2 12@3 -13@4 14@5";
        QTest::newRow("parent missing: at the root") << "where Entry_ID=99"
                                                     << "99@0";
        QTest::newRow("two lists") << "where Entry_ID in (15,21)"
                                   << "-1@0 -10@1 -11@2 -12@3 15@4 -20@1 21@2";
        QTest::newRow("nothing") << "where Entry_ID=-5"
                                 << "0@0";
    }
    void filteredTrees() {
        QFETCH(QString, where);
        QFETCH(QString, shape);
        auto t = frame();
        Query q;
        fill(*t, q, where);
        QCOMPARE(::shape(*t), shape);
    }

    void emptyResultSaysSo() {
        auto t = frame();
        Recorder r{g_log, "v"};
        t->addShower(proArShower::of(&r, &Recorder::FillBox));
        t->setLanguageNumber(5);
        Query q;
        fill(*t, q, "where 1=0");
        QCOMPARE(t->model()->node(0).caption, QString("Nenalezeno zadanie"));
        QCOMPARE(r.calls.last(), QString("v:-1:0"));
    }

    void pictureMarkersAndHiddenHeads() {
        auto t = frame();
        t->liHeads[2].fshow = false;  // list 20 hidden
        t->Make_liVisibles();
        showAll(*t);
        QCOMPARE(::shape(*t), QString("1@0 10@1 11@2 12@3 13@4 14@5 15@4 -20@1 99@0"));
        QCOMPARE(t->model()->node(4).state, quint8(2));  // a hit with pictures
        QCOMPARE(t->model()->node(7).state, quint8(1));  // the hidden head's cross
        QCOMPARE(t->liHeads[2].trPosition, 7);
        QCOMPARE(t->liMaxLev, 1);
        QVERIFY(t->FullShown);
        Query q;
        fill(*t, q, "where Entry_ID=14");
        QCOMPARE(t->model()->node(4).state, quint8(3));  // context with pictures
        QVERIFY(!t->FullShown);
    }

    void reselectsOnlyTheShownEntry() {
        auto t = frame();
        Recorder r{g_log, "v"};
        t->addShower(proArShower::of(&r, &Recorder::FillBox));
        t->ShowEntry(14, false);
        r.calls.clear();
        Query q;
        fill(*t, q, "where Entry_ID in (13,14)");
        QCOMPARE(std::abs(t->model()->node(t->selectedNode()).data), 14);
        QCOMPARE(r.calls, QStringList{"v:14:0"});  // announced once, after the fill
        fill(*t, q, "where Entry_ID=15");
        QCOMPARE(t->selectedNode(), -1);
        QCOMPARE(r.calls.last(), QString("v:-1:0"));
    }

    void wholeListLoadsOnce() {
        auto t = frame();
        showAll(*t);
        const int nodes = t->model()->count();
        t->model()->setNodeData(0, 12345);  // a mark that a reload would wipe
        t->FillTree1(t->qrySelectAll, laxNo);
        QCOMPARE(t->model()->count(), nodes);
        QCOMPARE(t->model()->node(0).data, 12345);
    }

    void fullModeMarking() {
        auto t = frame();
        Query q(db.get(), kEntryColumns + "where Entry_ID in (13,15) order by Sort_list,Sort_Num");
        t->FillTree0(q, laxAuto);
        QCOMPARE(::shape(*t), QString("-1@0 -10@1 -11@2 -12@3 13@4 -14@5 15@4 -20@1 -21@2 -99@0"));
        // A row that is not in the tree stops the matching: 21 stays unmarked.
        t->liHeads[1].fshow = false;
        t->GetRevisionVisibility();  // no screen: only the filter and FullShown
        QVERIFY(!t->FullShown);
        Query q2(db.get(), kEntryColumns + "where Entry_ID in (13,21) order by Sort_list,Sort_Num");
        t->FillTree0(q2, laxAuto);
        QCOMPARE(::shape(*t), QString("-1@0 -10@1 -20@1 -21@2"));
    }

    void headOfAnEntry() {
        auto t = frame();
        Query q;
        fill(*t, q, "where Entry_ID in (14,21)");
        QCOMPARE(t->FindHeadRec(21, false), 2);  // through the cursor
        t->selectNode(t->GetNodeByID(14));
        QCOMPARE(t->FindHeadRec(14, true), 1);  // through the selected node
        QCOMPARE(t->liSaved_id, 14);
        t->liSaved_po = 7;
        QCOMPARE(t->FindHeadRec(14, false), 7);  // the cache answers
        QCOMPARE(t->FindHeadRec(0, false), -1);
        QCOMPARE(t->FindHeadRec(4242, false), -1);
        t->UpdateHeadsFromTree();
        QCOMPARE(t->liHeads[1].trPosition, 1);
    }

    void countedCursor() {
        TfamTreeV t;
        t.SetDatabase(db.get());
        t.OpenTable();
        t.OpenTable();
        t.CloseTable();
        QCOMPARE(t.lckEntries, 1);
        QVERIFY(t.tblEntries.isOpen());
        t.CloseTable();
        QCOMPARE(t.lckEntries, 0);
        QVERIFY(t.tblEntries.isOpen());  // open again, fresh
        QVERIFY(t.tblEntries.eof());
    }

    void registry() {
        TfamTreeV t;
        Recorder a{g_log, "a"}, b{g_log, "b"}, c{g_log, "c"};
        QStringList log;
        g_log.clear();
        auto logAll = [&] {
            log = g_log;
            g_log.clear();
        };
        t.ShowEntry(5, false);
        t.addShower(proArShower::of(&a, &Recorder::FillBox));
        t.addShower(proArShower::of(&a, &Recorder::FillBox));  // the same: no second call
        t.addShower(proArShower::of(&b, &Recorder::FillBox));  // another object: another
        t.addShower(proArShower::of(&a, &Recorder::Other));    // another method: another
        QCOMPARE(t.kvShower(), 3);
        logAll();
        QCOMPARE(log, (QStringList{"a:5:0", "b:5:0", "a-other:5"}));
        t.silentShower(proArShower::of(&b, &Recorder::FillBox));
        t.ShowEntry(6, true);
        logAll();
        QCOMPARE(log, (QStringList{"a:6:1", "a-other:6"}));
        t.NotifyAll(-1, false);  // reaches the silent one too
        logAll();
        QCOMPARE(log, (QStringList{"a:-1:0", "b:-1:0", "a-other:-1"}));
        t.addShower(proArShower::of(&b, &Recorder::FillBox));  // re-activated: called at once
        logAll();
        QCOMPARE(log, (QStringList{"b:-1:0"}));
        t.isBlockShow = true;
        t.ShowEntry(9, false);
        QCOMPARE(t.id_shown, -1);
        logAll();
        QVERIFY(log.isEmpty());
        t.isBlockShow = false;
        t.removeShower(proArShower::of(&a, &Recorder::FillBox));
        QVERIFY(!t.isRegisteredShower(proArShower::of(&a, &Recorder::FillBox)));
        QVERIFY(t.isRegisteredShower(proArShower::of(&b, &Recorder::FillBox)));
        t.ShowEntry(3, false);
        logAll();
        QCOMPARE(log, (QStringList{"b:3:0", "a-other:3"}));  // order kept
        // Registering during an announcement does not reach the new one then.
        Recorder late{g_log, "late"};
        t.addShower(proArShower::of(&c, std::function<void(int, bool)>([&](int nid, bool) {
            if (nid == 4 && !t.isRegisteredShower(proArShower::of(&late, &Recorder::FillBox)))
                t.liShower.append({proArShower::of(&late, &Recorder::FillBox), true});
        })));
        g_log.clear();
        t.ShowEntry(4, false);
        QVERIFY(!g_log.contains("late:4:0"));
        g_log.clear();
        t.ShowEntry(5, false);
        QVERIFY(g_log.contains("late:5:0"));
    }

    void hitNavigation() {
        auto t = frame();
        Query q(db.get(),
                kEntryColumns + "where Entry_ID in (12,14,21) order by Sort_list,Sort_Num");
        t->FillTree0(q, laxAuto);
        t->trList->collapseAll();
        auto selected = [&] { return std::abs(t->model()->node(t->selectedNode()).data); };
        t->MarkNext();  // nothing selected: the last hit
        QCOMPARE(selected(), 21);
        t->MarkNext();  // at the last: stays
        QCOMPARE(selected(), 21);
        t->MarkPrevious();
        QCOMPARE(selected(), 14);  // collapsed or not
        QVERIFY(t->trList->isExpanded(t->model()->indexOfNode(t->GetNodeByID(13))));
        t->MarkFirst();
        QCOMPARE(selected(), 12);
        t->MarkPrevious();
        QCOMPARE(selected(), 12);
        t->MarkLast();
        QCOMPARE(selected(), 21);
        t->selectNode(-1);
        t->trList->selectionModel()->clearCurrentIndex();
        t->MarkPrevious();  // nothing selected: the first hit
        QCOMPARE(selected(), 12);
        QCOMPARE(t->GetNodeByID(14), 5);
        QCOMPARE(t->GetNodeByID(777), -1);
    }

    void pictureFlags() {
        QTemporaryDir d;
        QFile::copy(dir.filePath("t.db"), d.filePath("w.db"));
        auto w = Database::open(d.filePath("w.db"));
        TfamTreeV t;
        t.SetDatabase(w.get());
        auto key = [&](int id) {
            Query q(
                w.get(),
                QStringLiteral("select Picture_key from List_Entries where Entry_ID=%1").arg(id));
            q.open();
            return q.field(0).toInt();
        };
        QCOMPARE(key(13), 1);
        QCOMPARE(key(12), 2);
        t.MarkHavingPictures(14);
        QCOMPARE(key(14), 1);
        QCOMPARE(key(13), 1);  // the climb stops at the first marked ancestor
        t.MarkNoPictures(13);  // its child still has pictures
        QCOMPARE(key(13), 2);
        QCOMPARE(key(12), 2);
        t.MarkNoPictures(14);
        QCOMPARE(key(14), 0);
        QCOMPARE(key(13), 0);
        QCOMPARE(key(12), 0);
        QCOMPARE(key(10), 0);
        QCOMPARE(key(1), 0);
        t.MarkHavingPictures(15);
        QCOMPARE(key(15), 1);
        QCOMPARE(key(1), 2);
    }

    void levelButtons() {
        auto t = frame();
        showAll(*t);
        TfamTreeButt bar;
        bar.RegisterMe(t.get());
        t->selectNode(t->GetNodeByID(14));  // level 5
        bar.ShowLevel(2);
        QCOMPARE(std::abs(t->model()->node(t->selectedNode()).data), 10);
        QVERIFY(t->trList->isExpanded(t->model()->indexOfNode(0)));
        QVERIFY(!t->trList->isExpanded(t->model()->indexOfNode(1)));
        QVERIFY(!t->showExpanded);
        bar.btnLevelAll->click();
        QVERIFY(t->showExpanded);
        QVERIFY(t->trList->isExpanded(t->model()->indexOfNode(4)));
        bar.ShowLevel(1);
        QCOMPARE(std::abs(t->model()->node(t->selectedNode()).data), 1);
        t->trList->selectionModel()->clearCurrentIndex();
        bar.btnGrandCollapse->click();
        bar.btnGrandExpand->click();  // no selection: nothing
        QVERIFY(!t->trList->isExpanded(t->model()->indexOfNode(0)));
    }

    void revisionScreen() {
        auto t = frame();
        QWidget screen;
        screen.resize(300, 400);
        t->BuildRevisionScreen(&screen);
        auto* group = qobject_cast<QGroupBox*>(t->liHeads[0].chbAsker);
        auto* listA = qobject_cast<QCheckBox*>(t->liHeads[1].chbAsker);
        auto* listB = qobject_cast<QCheckBox*>(t->liHeads[2].chbAsker);
        QVERIFY(group && listA && listB);
        QCOMPARE(listA->parentWidget()->parentWidget(), group);  // nested in its group
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        QVERIFY(group->height() > 2 * listA->height());  // the group holds its two lists
        // A list after the group stands below it, not over it.
        QVERIFY(listB->mapTo(&screen, QPoint()).y() > listA->mapTo(&screen, QPoint()).y());
        QCOMPARE(listA->text(), QString("Перелік А"));
        listA->setChecked(false);
        t->GetRevisionVisibility();
        QVERIFY(t->liHeads[0].fshow);  // one list of the group still ticked
        QCOMPARE(t->liVisibles, QString("0,Entry_id,1,20"));
        listB->setChecked(false);
        t->GetRevisionVisibility();
        QVERIFY(!t->liHeads[0].fshow);
        // Rebuilding shows the flags and loses the old controls.
        t->BuildRevisionScreen(&screen);
        QVERIFY(!qobject_cast<QCheckBox*>(t->liHeads[1].chbAsker)->isChecked());
    }

    void elevenNestedGroups() {
        // Groups nested eleven deep: the eleventh is placed inside the tenth
        // but not pushed, so the list inside it lands at the top level.
        QString json = R"({"entries": [)";
        for (int i = 1; i <= 11; ++i)
            json += QStringLiteral(R"({"kind": "group", "id": %1, "title": "G%1", "children": [)")
                        .arg(i);
        json += R"({"kind": "list", "id": 100, "title": "L"})";
        for (int i = 1; i <= 11; ++i) json += "]}";
        json += "]}";
        QTemporaryDir d;
        st::tools::BuildDatabaseFromText(json.toUtf8(), d.filePath("g.db"));
        auto g = Database::open(d.filePath("g.db"));
        TfamTreeV t;
        t.SetDatabase(g.get());
        t.FillHeads();
        QWidget screen;
        screen.resize(300, 400);
        t.BuildRevisionScreen(&screen);
        QWidget* g10 = t.liHeads[9].chbAsker;
        QCOMPARE(t.liHeads[10].chbAsker->parentWidget(), g10);
        QCOMPARE(t.liHeads[11].chbAsker->parentWidget()->parentWidget(), &screen);
    }

    void captionHitsAndDrawing() {
        auto t = frame();
        const QStringList patterns = {"HACOC"};  // comparison form of "насос"
        t->shabs = &patterns;
        QCOMPARE(t->captionHits(u"Насоси та насосні агрегати"_qs),
                 (QList<std::pair<int, int>>{{0, 5}, {10, 5}}));
        Query q;
        fill(*t, q, "where Entry_ID in (13,21)");
        t->FoundColor = QColor(255, 0, 128);
        t->resize(400, 300);
        t->show();
        QVERIFY(QTest::qWaitForWindowExposed(t.get()));
        const QImage shot = t->grab().toImage();
        int found = 0, grey = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                if (c.red() > 200 && c.green() < 80 && c.blue() > 60 && c.blue() < 200) ++found;
                if (c.red() == c.green() && c.green() == c.blue() && c.red() > 90 && c.red() < 160)
                    ++grey;
            }
        QVERIFY(found > 20);  // the hit words in the found colour
        QVERIFY(grey > 20);   // the grey context nodes
        if (qEnvironmentVariableIsSet("ST_SHOT")) shot.save(qEnvironmentVariable("ST_SHOT"));
    }
};

QTEST_MAIN(TestTreeV)
#include "tst_treev.moc"
