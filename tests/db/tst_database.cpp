#include <sqlite3.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "db/connstring.h"
#include "db/database.h"
#include "db/jetsql.h"
#include "db/query.h"
#include "db/schema.h"
#include "db/tablecursor.h"
#include "db/unicode.h"
#include "tools/builder.h"

using namespace st::db;

namespace {

// Two lists under a group; Cyrillic titles; synonyms on two entries.
const char* kFixture = R"({
  "experts": [{"id": 7, "login": "Олена", "password": "Pw", "name": "O"}],
  "entries": [
    {"kind": "group", "id": 1, "title": "Група", "children": [
      {"kind": "list", "id": 10, "title": "Перелік 2024",
       "synonymKinds": [{"number": 2, "name": "УКТ ЗЕД", "inherit": 1}],
       "children": [
        {"id": 11, "short": "1A001", "title": "Насоси для рідин", "text": "Відцентрові pumps",
         "synonyms": [{"kind": 2, "text": "8413 70 30 00"}, {"kind": 0, "text": "NP1"}]},
        {"id": 15, "short": "1A002", "title": "ЛАЗЕРИ", "children": [
          {"id": 16, "short": "1A002.a", "title": "Лазери Q-switched"}]}]},
      {"kind": "list", "id": 20, "title": "Перелік 2026", "children": [
        {"id": 21, "short": "1A001", "title": "Насоси", "synonyms": [{"kind": 2, "text": "8413"}]}]}
    ]}
  ]
})";

}  // namespace

class TestDatabase : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<Database> db;
    QString dbPath() const { return dir.filePath("fixture.db"); }

    QVariantList column(const QString& sql, const QVariantMap& params = {}) {
        Query q(db.get(), sql);
        for (auto it = params.begin(); it != params.end(); ++it) q.setParam(it.key(), it.value());
        QVariantList out;
        for (q.open(); !q.eof(); q.next()) out << q.field(0);
        return out;
    }

  private slots:
    void initTestCase() {
        st::tools::BuildDatabaseFromText(kFixture, dbPath());
        db = Database::open(dbPath());
    }

    void openNeverCreates() {
        const QString missing = dir.filePath("missing.db");
        QVERIFY_THROWS_EXCEPTION(DbError, Database::open(missing));
        QVERIFY(!QFile::exists(missing));
    }

    void openRejectsWhatIsNoDatabase() {
        QFile junk(dir.filePath("junk.db"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'x'));
        junk.close();
        QVERIFY_THROWS_EXCEPTION(DbError, Database::open(junk.fileName()));
        // An SQLite file without our tables is refused with a clear text.
        {
            auto other = Database::create(dir.filePath("other.db"));
            other->exec("drop table List_Entries");
        }
        try {
            Database::open(dir.filePath("other.db"));
            QFAIL("opened a file without List_Entries");
        } catch (const DbError& e) {
            QVERIFY(e.text().contains("List_Entries"));
        }
    }

    void unicodeLike_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("match");
        QTest::newRow("cyrillic case") << "%насос%"
                                       << "НАСОСИ" << true;
        QTest::newRow("ukrainian letters") << "%ЇЖАК"
                                           << "їжак" << true;
        QTest::newRow("underscore one char") << "л_зер"
                                             << "ЛАЗЕР" << true;
        QTest::newRow("underscore not two") << "л_р"
                                            << "лазер" << false;
        QTest::newRow("percent empty") << "%%"
                                       << "" << true;
        QTest::newRow("anchored") << "азер"
                                  << "лазер" << false;
        QTest::newRow("backtracking") << "%a%b%c"
                                      << "aXbYbZc" << true;
        QTest::newRow("greek") << "%ΣΊΓΜΑ%"
                               << "σίγμα" << true;
    }
    void unicodeLike() {
        QFETCH(QString, pattern);
        QFETCH(QString, value);
        QFETCH(bool, match);
        QCOMPARE(LikeMatch(pattern, value), match);
        Query q(db.get(), "select :v like :p as m");
        q.setParam("v", value);
        q.setParam("p", pattern);
        q.open();
        QCOMPARE(q.field("M").toBool(), match);
    }

    void likeOverColumns() {
        QCOMPARE(column("select Entry_ID from List_Entries where List_Title like :p order by 1",
                        {{"p", "%насос%"}}),
                 (QVariantList{11, 21}));
        QCOMPARE(column("select Entry_ID from List_Entries where List_Title like '%лазери%' "
                        "order by Sort_list,Sort_Num"),
                 (QVariantList{15, 16}));
    }

    void caseBlindEquality_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariantList>("ids");
        QTest::newRow("param") << "select Entry_ID from List_Entries where List_Title = :t"
                               << QVariantList{15};
        QTest::newRow("literal") << "select Entry_ID from List_Entries where List_Title='лазери'"
                                 << QVariantList{15};
        QTest::newRow("literal left") << "select Entry_ID from List_Entries where 'Лазери' = "
                                         "List_Title"
                                      << QVariantList{15};
        QTest::newRow("not equal")
            << "select Entry_ID from List_Entries where Revision_ID=10 and List_Title<>:t "
               "order by Sort_Num"
            << QVariantList{10, 11, 16};
        QTest::newRow("jet double quotes")
            << "select Entry_ID from List_Entries where List_Title = \"ЛАЗЕРИ\""
            << QVariantList{15};
    }
    void caseBlindEquality() {
        QFETCH(QString, sql);
        QFETCH(QVariantList, ids);
        QCOMPARE(column(sql, {{"t", "лазери"}}), ids);
    }

    void integerEqualityStaysExact() {
        QCOMPARE(column("select List_Title from List_Entries where Entry_ID=:id", {{"id", 16}}),
                 (QVariantList{"Лазери Q-switched"}));
        QVERIFY(TranslateJet("Entry_ID=:id", [](const QString&) {
                    return false;
                }).indexOf("COLLATE") < 0);
    }

    void ampersandConcatenates() {
        QCOMPARE(column("select 'a' & Entry_Short & 'b' from List_Entries where Entry_ID=11"),
                 (QVariantList{"a1A001b"}));
        // The cross-reference form: a literal list of codes against each short code.
        QCOMPARE(column("select Entry_ID from List_Entries where Revision_id=10 and "
                        "(';1A002.a;1A001' like '%;'&Entry_Short&'%') and (Entry_Short<>'') "
                        "order by Sort_list,Sort_Num"),
                 (QVariantList{11, 15, 16}));
        // An ampersand inside a literal stays an ampersand.
        QCOMPARE(column("select 'R&D'"), (QVariantList{"R&D"}));
    }

    void fieldInsideInList() {
        // "0,Entry_id" lets list heads and rows without a list through the filter.
        QCOMPARE(column("select Entry_id from List_entries where Revision_id in (0,Entry_id) "
                        "order by Sort_list,Sort_Num"),
                 (QVariantList{1, 10, 20}));
        QCOMPARE(column("select Entry_id from List_entries where Revision_id in (-153)"),
                 QVariantList{});
    }

    void joinsAndSubqueries() {
        QCOMPARE(column("select le.Entry_Short from List_Entries le Inner join SYN_NAME sna on "
                        "le.Revision_ID=sna.REVISION_ID where le.ENTRY_ID=11 and sna.SYN_NUMBER=2"),
                 (QVariantList{"1A001"}));
        QCOMPARE(
            column("select Entry_id from List_entries where (Entry_ID in (select Entry_ID "
                   "from SYNONYM where SYN_NUMBER=2 and Plain_Text like '%/8413 nn nn nn/%'))"),
            (QVariantList{21}));
        QCOMPARE(column("select count(*) from List_Entries a, SYNONYM b where a.Entry_ID = "
                        "b.ENTRY_ID and a.Parent_ID is NULL"),
                 (QVariantList{0}));
    }

    void queriesAreReusedWithNewTextAndParameters() {
        Query q(db.get(),
                "select Entry_ID from List_Entries where Parent_ID=:pap order by Sort_Num");
        q.setParam("pap", 10);
        q.open();
        QCOMPARE(q.field("Entry_ID").toInt(), 11);
        q.setParam(":PAP", 15);  // a new value closes nothing by itself; the next open uses it
        q.open();
        QCOMPARE(q.field("Entry_ID").toInt(), 16);
        q.next();
        QVERIFY(q.eof());
        q.close();
        q.clearSQL();
        q.addSQL("select count(*)");
        q.addSQL("from List_Entries");
        q.open();
        QCOMPARE(q.field(0).toInt(), 7);
    }

    void queryErrorsAreClear() {
        Query q(db.get(), "select * from List_Entries where Entry_ID=:missing");
        QVERIFY_THROWS_EXCEPTION(DbError, q.open());
        QVERIFY(!q.isOpen());
        q.setSQL("select nonsense from nowhere");
        QVERIFY_THROWS_EXCEPTION(DbError, q.open());
        q.setSQL("select Entry_ID from List_Entries");
        q.open();
        QVERIFY_THROWS_EXCEPTION(DbError, q.field("No_Such_Field"));
        QCOMPARE(q.field("ENTRY_id").toInt(), 1);  // any case
    }

    void keyedSeeks_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("found");
        QTest::addColumn<bool>("exact");
        QTest::newRow("at a key") << 15 << 15 << true;
        QTest::newRow("between keys") << 12 << 15 << false;
        QTest::newRow("before the first") << -5 << 1 << false;
        QTest::newRow("past the last") << 99 << 0 << false;
    }
    void keyedSeeks() {
        QFETCH(int, key);
        QFETCH(int, found);
        QFETCH(bool, exact);
        TableCursor t(db.get(), "list_entries", "PRIMARYKEY");
        t.open();
        QCOMPARE(t.seek(key), found != 0);
        if (found) QCOMPARE(t.field("entry_id").toInt(), found);
        QCOMPARE(t.findKey({key}), exact);
    }

    void twoColumnSeekAndWalk() {
        TableCursor t(db.get(), "SYNONYM", "SYN_SEARCH");
        t.open();
        QVERIFY(t.seek(QVariantList{11, 1}));  // between kinds 0 and 2 of entry 11
        QCOMPARE(t.field("SYN_NUMBER").toInt(), 2);
        QVERIFY(t.seek(QVariantList{11}));
        QCOMPARE(t.field("SYN_NUMBER").toInt(), 0);
        t.next();
        QCOMPARE(t.field("SYN_NUMBER").toInt(), 2);
        t.next();
        QCOMPARE(t.field("ENTRY_ID").toInt(), 21);
        t.next();
        QVERIFY(t.eof());
    }

    void seekIsRightWithoutTheIndex() {
        // A file made elsewhere may lack our indexes: seeks still find the rows.
        QTemporaryDir d;
        QFile::copy(dbPath(), d.filePath("bare.db"));
        auto bare = Database::open(d.filePath("bare.db"));
        bare->exec("drop index SYNONYM_SYN_SEARCH");
        TableCursor t(bare.get(), "SYNONYM", "SYN_SEARCH");
        QVERIFY(t.seek(QVariantList{21, 0}));
        QCOMPARE(t.field("TEXT").toString(), QString("8413"));
    }

    void editInsertDelete() {
        QTemporaryDir d;
        QFile::copy(dbPath(), d.filePath("w.db"));
        auto w = Database::open(d.filePath("w.db"));
        TableCursor t(w.get(), "SYNONYM", "PrimaryKey");
        t.open();
        // Insert: the database assigns the key.
        t.insert();
        t.setField("entry_id", 16);
        t.setField("SYN_NUMBER", 3);
        t.setField("Plain_Text", " 9013200000 ");
        t.post();
        const int newKey = t.field("SYNONYM_ID").toInt();
        QVERIFY(newKey > 0);
        QCOMPARE(t.field("ENTRY_ID").toInt(), 16);
        // Edit and post.
        QVERIFY(t.findKey({newKey}));
        t.edit();
        t.setField("plain_text", " 9013 ");
        QCOMPARE(t.field("Plain_Text").toString(), QString(" 9013 "));  // the edit buffer
        t.post();
        TableCursor again(w.get(), "SYNONYM");
        QVERIFY(again.findKey({newKey}));
        QCOMPARE(again.field("Plain_Text").toString(), QString(" 9013 "));
        // Cancel drops the change.
        again.edit();
        again.setField("Plain_Text", "x");
        again.cancel();
        QCOMPARE(again.field("Plain_Text").toString(), QString(" 9013 "));
        // Delete.
        again.remove();
        QVERIFY(!TableCursor(w.get(), "SYNONYM").findKey({newKey}));
        QVERIFY_THROWS_EXCEPTION(DbError, again.setField("Plain_Text", "x"));
    }

    void unknownIndexAndTableAreErrors() {
        TableCursor a(db.get(), "List_Entries", "NoSuchIndex");
        QVERIFY_THROWS_EXCEPTION(DbError, a.open());
        TableCursor b(db.get(), "PictureOrigins", "PrimaryKey");
        QTemporaryDir d;
        auto bare = Database::create(d.filePath("b.db"));
        bare->exec("drop table PictureOrigins");
        b.setDatabase(bare.get());
        QVERIFY_THROWS_EXCEPTION(DbError, b.open());
    }

    void optionalSchemaIsDetected() {
        QCOMPARE(DetectOptionalSchema(*db).referRevision, true);
        QTemporaryDir d;
        auto old = Database::create(d.filePath("old.db"));
        old->exec(
            "drop table PictureOrigins; drop table LIST_RICH_TEXT;"
            "alter table SYN_NAME drop column Refer_Revision_ID;"
            "alter table expert drop column can_Edit_Pictures;"
            "alter table List_pictures drop column PictureOrigin_ID;");
        const OptionalSchema o = DetectOptionalSchema(*old);
        QVERIFY(!o.pictureOrigins && !o.referRevision && !o.canEditPictures && !o.pictureOriginId &&
                !o.richTextTable);
        QVERIFY(o.richAfterTable);
    }

    void immediateTransactionsDoNotLoseKeys() {
        // Two connections take new keys as last + 1 in turn; none is duplicated.
        QTemporaryDir d;
        QFile::copy(dbPath(), d.filePath("c.db"));
        auto a = Database::open(d.filePath("c.db"));
        auto b = Database::open(d.filePath("c.db"));
        QSet<qint64> keys;
        for (int i = 0; i < 20; ++i) {
            Database& c = (i % 2) ? *a : *b;
            Transaction tr(c);
            const qint64 k = NextKey(c, "Comments", "comment_id");
            c.exec(QStringLiteral("insert into Comments (comment_id, entry_id) values (%1, 11)")
                       .arg(k));
            tr.commit();
            keys.insert(k);
        }
        QCOMPARE(keys.size(), 20);
        // A second writer waits for the first: a held transaction blocks it.
        Transaction held(*a);
        sqlite3_busy_timeout(b->handle(), 50);
        QVERIFY_THROWS_EXCEPTION(DbError, { Transaction second(*b); });
    }

    void resolveDbPath_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::newRow("bare name") << "lists.db"
                                   << "/w/lists.db";
        QTest::newRow("absolute") << "/db/lists.db"
                                  << "/db/lists.db";
        QTest::newRow("relative with folder") << "db/lists.db"
                                              << "db/lists.db";
        QTest::newRow("windows drive") << "D:\\db\\lists.mdb"
                                       << "D:\\db\\lists.mdb";
        QTest::newRow("windows relative") << "db\\lists.mdb"
                                          << "db\\lists.mdb";
    }
    void resolveDbPath() {
        QFETCH(QString, name);
        QFETCH(QString, path);
        QCOMPARE(ResolveDbPath(name, "/w"), path);
    }

    void dataSourceRewrite_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("middle") << "Provider=P;Data Source=old.db;Persist Security Info=False"
                                << "Provider=P;Data Source=/w/new.db;Persist Security Info=False";
        QTest::newRow("last item") << "Provider=P;Data Source=C:\\old.mdb"
                                   << "Provider=P;Data Source=/w/new.db";
        QTest::newRow("lower-case key kept") << "provider=P;data source=x;y=1"
                                             << "provider=P;data source=/w/new.db;y=1";
        QTest::newRow("none") << "Provider=P"
                              << "Provider=P;Data Source=/w/new.db";
        QTest::newRow("empty value") << "Data Source=;x=1"
                                     << "Data Source=/w/new.db;x=1";
    }
    void dataSourceRewrite() {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QCOMPARE(ReplaceDataSource(before, "/w/new.db"), after);
        QCOMPARE(DataSourceOf(after), QString("/w/new.db"));
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
