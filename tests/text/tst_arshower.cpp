#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include "db/database.h"
#include "text/arshower.h"
#include "text/richview.h"
#include "tools/builder.h"
#include "tree/treev.h"

using namespace st::text;
using st::db::Database;

namespace {

// The worked example: P with S1, E, S2; E's child C1 has a child of its own.
// Words are Latin capitals so that their comparison form is themselves.
const char* kFixture = R"({"entries": [
  {"kind": "list", "id": 1, "title": "LIST", "children": [
    {"id": 2, "title": "PT", "text": "PX", "after": "PA", "children": [
      {"id": 3, "title": "SAT", "text": "SAX"},
      {"id": 4, "title": "ET", "text": "EX WORD LINK", "after": "EA",
       "terms": [{"term": "t", "word": "LINK"}, {"term": "t", "word": "WORD"}],
       "children": [
        {"id": 5, "title": "CAT", "text": "CAX", "after": "CAA", "children": [
          {"id": 6, "title": "CBT"}]},
        {"id": 7, "type": 1, "title": "HEADA"},
        {"id": 8, "type": 1, "title": "HEADB"},
        {"id": 9, "title": "CCT"}]},
      {"id": 10, "title": "SBT", "text": "SBX WORD"},
      {"id": 11, "type": 2, "title": "ALONE", "text": "ALONEX"}]},
    {"id": 20, "type": 1, "title": "HEADING", "text": "HTX", "after": "HTA", "children": [
      {"id": 21, "title": "UNDER", "text": "UX"}]},
    {"key": "t", "id": 30, "type": 2, "title": "TERM", "text": "definition"}]}
]})";

QString tokens(const TfamArShower& a) {
    // The document as its words and dots, in order.
    QString t = a.redText->plainText();
    t.replace(QStringLiteral("< . . . >"), QStringLiteral("<E>"));
    t.replace(QStringLiteral(". . ."), QStringLiteral("<D>"));
    return t.simplified();
}

QColor colourAt(const TfamArShower& a, const QString& word, int nth = 0) {
    const QString t = a.redText->plainText();
    int at = -1;
    for (int i = 0; i <= nth; ++i) at = t.indexOf(word, at + 1);
    QTextCursor c(a.redText->document());
    c.setPosition(at + 1);
    return c.charFormat().foreground().color();
}

}  // namespace

class TestArShower : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<Database> db;
    QString ini;

    void writeIni(const QByteArray& text) {
        QFile f(ini);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    struct Rig {
        st::tree::TfamTreeV tree;
        TfamArShower shower;
        QStringList patterns;
    };
    std::unique_ptr<Rig> rig(const QString& section) {
        auto r = std::make_unique<Rig>();
        r->tree.SetDatabase(db.get());
        r->shower.RegisterMe(&r->tree, false);
        r->shower.setPatterns(&r->patterns);
        r->shower.ReadRules(section, ini);
        r->shower.resize(500, 300);
        return r;
    }
    void compose(Rig& r, int id) {
        r.shower.FillBox(id, true);
        QVERIFY(r.shower.isComposing());
        QTRY_VERIFY(!r.shower.isComposing());
    }

  private slots:
    void initTestCase() {
        st::tools::BuildDatabaseFromText(kFixture, dir.filePath("c.db"));
        db = Database::open(dir.filePath("c.db"));
        ini = dir.filePath("SearchTool.ini");
        writeIni(
            "[Worked]\ntop_max=1\ndown_step_0=1\ntext_step_0=1\nafte_step_0=1\n"
            "down_step_1=1\ntext_step_1=0\nafte_step_1=0\n"
            "[Zero]\ntop_max=0\ndown_step_0=1\ntext_step_0=0\nafte_step_0=0\n"
            "[Deep]\ntop_max=20\ndown_step_0=2\ntext_step_0=2\nafte_step_0=2\n"
            "down_step_1=1\ntext_step_1=0\nafte_step_1=0\ndown_step_2=1\ntext_step_2=0\n"
            "[S]\ntop_max=1\ndown_step_1=1\ntext_step_1=0\n");
    }

    void workedExample() {
        auto r = rig("Worked");
        compose(*r, 4);
        QCOMPARE(tokens(r->shower),
                 QString("PT PX SAT <E> ET EX WORD LINK CAT CAX <E> CAA <E> CCT EA SBT <E> PA"));
        // Own zones black, context dark grey, dots grey.
        QCOMPARE(colourAt(r->shower, "ET"), colours::own);
        QCOMPARE(colourAt(r->shower, "EA"), colours::own);
        QCOMPARE(colourAt(r->shower, "PX"), colours::context);
        QCOMPARE(colourAt(r->shower, "CAX"), colours::context);
        QCOMPARE(colourAt(r->shower, "< . . . >"), colours::context);
    }

    void placementRecordsDescribeTheDocument() {
        auto r = rig("Worked");
        compose(*r, 4);
        const QString t = r->shower.redText->plainText();
        QStringList seen;
        for (const Placement_Item& it : r->shower.items) {
            if (it.isTitle) seen << t.mid(it.spTitle, it.epTitle - it.spTitle).trimmed();
            if (it.isText) seen << t.mid(it.spText, it.epText - it.spText).trimmed();
            if (it.isAfte) seen << t.mid(it.spAfte, it.epAfte - it.spAfte).trimmed();
        }
        QCOMPARE(seen.join(u' '), QString("PT PX PA SAT ET EX WORD LINK EA SBT CAT CAX CAA CCT"));
        QCOMPARE(r->shower.kvite, int(r->shower.items.size()));
    }

    void levelZeroOnly() {
        auto r = rig("Zero");
        compose(*r, 4);
        // The entry, its ordinary children by title with dots where they
        // hold more, headings as one dots snippet, then its after-text.
        QCOMPARE(tokens(r->shower), QString("ET EX WORD LINK CAT <E> CCT EA"));
        QCOMPARE(colourAt(r->shower, "CAT"), colours::context);
        QCOMPARE(colourAt(r->shower, "ET"), colours::own);
    }

    void standaloneEntry() {
        auto r = rig("Worked");
        compose(*r, 11);
        QCOMPARE(tokens(r->shower), QString("ALONEX"));
        QCOMPARE(colourAt(r->shower, "ALONEX"), colours::own);
    }

    void headingAboveTheFirstHeading() {
        // Entry 21 under the type-1 heading 20: the heading is the first
        // heading of the ladder, so it shows as configured for its level.
        auto r = rig("Deep");
        compose(*r, 21);
        QVERIFY2(tokens(r->shower).contains("HEADING HTX"), qPrintable(tokens(r->shower)));
        QVERIFY(tokens(r->shower).contains("UNDER UX"));
    }

    void hitsAndTermLinks() {
        auto r = rig("Worked");
        r->patterns = {"WORD", "CAX", "PX"};
        compose(*r, 4);
        QCOMPARE(colourAt(r->shower, "WORD"), colours::hitOwn);    // in the shown entry
        QCOMPARE(colourAt(r->shower, "CAX"), colours::hitOther);   // in a child
        QCOMPARE(colourAt(r->shower, "PX"), colours::hitOther);    // in the parent
        QCOMPARE(colourAt(r->shower, "LINK"), colours::termLink);  // a term link
        // WORD is a term link too, and the hit colour wins.
        QCOMPARE(r->shower.thlFound.founkvo, 3);
        // Hits are placed and sorted by document position.
        int last = -1;
        const QString t = r->shower.redText->plainText();
        for (int i = 0; i < r->shower.thlFound.founkvo; ++i) {
            const HiliCoo& h = r->shower.thlFound.founHil[i];
            QVERIFY(h.scrpos > last);
            last = h.scrpos;
            QVERIFY(r->patterns.contains(t.mid(h.scrpos, h.len)));
        }
    }

    void newSelectionRestarts() {
        auto r = rig("Worked");
        r->shower.show();
        int shows = 0;
        QStringList shown;
        r->shower.prcPostShow = [&](TfamArShower* a) {
            ++shows;
            shown << tokens(*a);
        };
        bool switched = false;
        connect(r->shower.redText->document(), &QTextDocument::contentsChange, this, [&] {
            if (switched) return;
            switched = true;
            // Arrives while the first composition lets events run.
            QTimer::singleShot(0, this, [&] {
                QVERIFY(r->shower.isComposing());
                QVERIFY(!r->shower.redText->isVisible());  // the backdrop shows
                r->shower.FillBox(10, false);
            });
        });
        r->shower.FillBox(4, false);
        QTRY_COMPARE(shows, 1);
        QVERIFY(switched);
        QCOMPARE(r->shower.id_shown, 10);
        QVERIFY(shown.first().contains("SBT SBX WORD"));
        QCOMPARE(colourAt(r->shower, "SBT"), colours::own);
        QVERIFY(r->shower.redText->isVisible());
    }

    void rulesSectionSwitch() {
        auto r = rig("Worked");
        compose(*r, 4);
        const QString worked = tokens(r->shower);
        r->shower.ReadRules("Worked", ini);  // in force: nothing
        QCOMPARE(r->shower.id_shown, 4);
        r->shower.ReadRules("Zero", ini);
        QCOMPARE(r->shower.id_shown, -1);
        r->shower.FillBox(4, false);  // the same entry is composed again
        QTRY_VERIFY(!r->shower.isComposing() && tokens(r->shower) != worked);
        QCOMPARE(tokens(r->shower), QString("ET EX WORD LINK CAT <E> CCT EA"));
    }

    void scrollsToTheShownEntry() {
        QString json = R"({"entries": [{"kind": "list", "id": 1, "title": "L", "children": [)";
        for (int i = 0; i < 60; ++i)
            json +=
                QStringLiteral(R"({"id": %1, "title": "SIB%1", "text": "TEXT %1"},)").arg(i + 100);
        json += R"({"id": 999, "title": "LAST"}]}]})";
        QTemporaryDir d;
        st::tools::BuildDatabaseFromText(json.toUtf8(), d.filePath("s.db"));
        auto sdb = Database::open(d.filePath("s.db"));
        st::tree::TfamTreeV tree;
        tree.SetDatabase(sdb.get());
        TfamArShower a;
        a.RegisterMe(&tree, false);
        a.ReadRules("S", ini);
        a.resize(400, 200);
        a.show();
        QVERIFY(QTest::qWaitForWindowExposed(&a));
        for (int target : {130, 999}) {
            a.FillBox(target, true);
            QTRY_VERIFY(!a.isComposing());
            const Placement_Item* item = nullptr;
            for (const Placement_Item& it : a.items)
                if (it.id == target) item = &it;
            QVERIFY(item);
            const int y = a.redText->charPosition(item->spTitle).y();
            if (target == 130)
                QCOMPARE(y, 10);  // 10 pixels below the top
            else
                QCOMPARE(a.redText->scrollPosition(),
                         a.redText->scrollRange());  // not past the end
        }
    }

    void separateTables() {
        QTemporaryDir d;
        QFile::copy(dir.filePath("c.db"), d.filePath("p.db"));
        auto pdb = Database::open(d.filePath("p.db"));
        pdb->exec("insert into LIST_RICH_TEXT values (4, '{\\rtf1 APARTTEXT\\par}')");
        st::tree::TfamTreeV tree;
        tree.SetDatabase(pdb.get());
        TfamArShower a;
        a.RegisterMe(&tree, true);
        a.ReadRules("Zero", ini);
        a.FillBox(4, true);
        QTRY_VERIFY(!a.isComposing());
        QVERIFY2(tokens(a).startsWith("ET APARTTEXT"), qPrintable(tokens(a)));
        QVERIFY(!tokens(a).contains("WORD"));  // the body comes from the separate table
    }

    void databaseErrorLeavesTheFrameReady() {
        QTemporaryDir d;
        QFile::copy(dir.filePath("c.db"), d.filePath("e.db"));
        auto edb = Database::open(d.filePath("e.db"));
        st::tree::TfamTreeV tree;
        tree.SetDatabase(edb.get());
        TfamArShower a;
        a.RegisterMe(&tree, false);
        a.ReadRules("Worked", ini);
        edb->exec("drop table Term_In_List");
        a.FillBox(4, true);
        QTRY_VERIFY(!a.isComposing());
        QVERIFY(a.redText->plainText().isEmpty());
        edb->exec("create table Term_In_List (Entry_ID integer, Term_ID integer, Position text)");
        a.FillBox(4, true);
        QTRY_VERIFY(!a.isComposing() && !a.redText->plainText().isEmpty());
    }

    void unknownEntryGivesAnEmptyDocument() {
        auto r = rig("Worked");
        compose(*r, 4242);
        QVERIFY(r->shower.redText->plainText().isEmpty());
        compose(*r, -1);
        QVERIFY(r->shower.redText->plainText().isEmpty());
    }
};

QTEST_MAIN(TestArShower)
#include "tst_arshower.moc"
