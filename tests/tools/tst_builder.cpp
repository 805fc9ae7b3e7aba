#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "db/database.h"
#include "db/query.h"
#include "tools/builder.h"

using namespace st::tools;
using st::db::Database;
using st::db::Query;

namespace {
const char* kSource = R"({
  "entries": [
    {"kind": "list", "id": 50, "title": "Лист", "law": "Закон про «контроль»",
     "synonymKinds": [{"number": 5, "name": "Посилання", "inherit": 0, "referList": 90}],
     "children": [
      {"key": "t-laser", "type": 2, "title": "«Лазер»", "text": "Прилад, що випромінює"},
      {"short": "6A005", "title": "Лазери та laser systems", "text": "Перший абзац\nДругий: лазер",
       "after": "Примітка про лазер",
       "terms": [{"term": "t-laser", "word": "лазер"}],
       "synonyms": [{"kind": 2, "text": "9013 20 00 00; 9013.10"}, {"kind": 3, "text": "9013200000"}],
       "children": [
        {"short": "6A005.a", "children": [
          {"short": "6A005.a.1", "pictures": [{"file": "pic.jpg", "title": "Схема", "caption": "Опис"}]}]}]}]},
    {"kind": "list", "id": 90, "title": "Інший"}
  ]
})";

QVariant one(Database& db, const QString& sql) {
    Query q(&db, sql);
    q.open();
    return q.field(0);
}
}  // namespace

class TestBuilder : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

  private slots:
    void initTestCase() {
        QFile pic(dir.filePath("pic.jpg"));
        QVERIFY(pic.open(QIODevice::WriteOnly));
        pic.write("\xFF\xD8\xFF\xE0 not really a jpeg");
    }

    void buildsTheSchemaAndRows() {
        const QString path = dir.filePath("b.db");
        BuildDatabaseFromText(kSource, path, QDir(dir.path()));
        auto db = Database::open(path);
        QCOMPARE(one(*db, "select count(*) from List_Entries").toInt(), 6);
        // Ids in document order skip the explicit ones; every entry knows its list.
        QCOMPARE(one(*db,
                     "select group_concat(Entry_ID || ':' || Revision_ID || ':' || "
                     "coalesce(Parent_ID, 0), ' ') from (select * from List_Entries order by "
                     "Sort_list, Sort_Num)")
                     .toString(),
                 QString("50:50:0 1:50:50 2:50:50 3:50:2 4:50:3 90:90:0"));
        QCOMPARE(one(*db, "select Plain_Title from List_Entries where Entry_ID=2").toString(),
                 QString(" ЛAЗEPИ TA LASER SYSTEMS "));
        QVERIFY(one(*db, "select Rich_Text from List_Entries where Entry_ID=50")
                    .toByteArray()
                    .startsWith("{\\rtf1"));
        // The picture marker: 1 on the entry, 2 on each ancestor.
        QCOMPARE(one(*db,
                     "select group_concat(Picture_key, '') from (select Picture_key from "
                     "List_Entries order by Sort_list, Sort_Num)")
                     .toString(),
                 QString("202210"));
        QCOMPARE(one(*db, "select PictureExt from List_pictures").toString(), QString(".JPG"));
    }

    void codesAndTermsInTheirStoredForm() {
        const QString path = dir.filePath("c.db");
        BuildDatabaseFromText(kSource, path, QDir(dir.path()));
        auto db = Database::open(path);
        QCOMPARE(one(*db, "select Plain_Text from SYNONYM where SYN_NUMBER=2").toString(),
                 QString("/9013 20 00 00/9013 10 nn nn/"));
        QCOMPARE(one(*db, "select TEXT from SYNONYM where SYN_NUMBER=2").toString(),
                 QString("9013 20 00 00; 9013.10"));
        QCOMPARE(one(*db, "select Plain_Text from SYNONYM where SYN_NUMBER=3").toString(),
                 QString(" 9013200000 "));
        // "лазер" at 1-based positions in the title, the text (paragraph end counts one) and after.
        QCOMPARE(one(*db, "select Position from Term_In_List where Entry_ID=2").toString(),
                 QString("i,1,5;T,22,5;A,14,5"));
        QCOMPARE(one(*db, "select Term_ID from Term_In_List").toInt(), 1);
        QCOMPARE(one(*db, "select Refer_Revision_ID from SYN_NAME").toInt(), 90);
    }

    void badSourcesAreRefusedWithoutAFile_data() {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QString>("message");
        QTest::newRow("not json") << QByteArray("{") << "JSON";
        QTest::newRow("unknown key") << QByteArray(R"({"entries":[{"titel":"x"}]})") << "titel";
        QTest::newRow("duplicate id")
            << QByteArray(R"({"entries":[{"id":3},{"id":3}]})") << "used twice";
        QTest::newRow("unknown term")
            << QByteArray(R"({"entries":[{"title":"a","terms":[{"term":"no","word":"a"}]}]})")
            << "no entry has the key";
        QTest::newRow("word not in text")
            << QByteArray(
                   R"({"entries":[{"key":"k"},{"title":"a","terms":[{"term":"k","word":"z"}]}]})")
            << "occurs in no text";
        QTest::newRow("missing picture")
            << QByteArray(R"({"entries":[{"pictures":[{"file":"none.bmp"}]}]})") << "cannot read";
    }
    void badSourcesAreRefusedWithoutAFile() {
        QFETCH(QByteArray, source);
        QFETCH(QString, message);
        const QString path = dir.filePath("bad.db");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("previous");
        old.close();
        try {
            BuildDatabaseFromText(source, path, QDir(dir.path()));
            QFAIL("a bad source was accepted");
        } catch (const BuildError& e) {
            QVERIFY2(e.text().contains(message), qPrintable(e.text()));
        }
        QFile kept(path);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("previous"));  // the old file is untouched
        QVERIFY(!QFile::exists(path + ".building"));
    }

    void demoSourceBuilds() {
        const QString path = dir.filePath("demo.db");
        BuildDatabaseFromFile(ST_SOURCE_DIR "/demo/demo.json", path);
        auto db = Database::open(path);
        QVERIFY(one(*db, "select count(*) from List_Entries").toInt() >= 300);
        QVERIFY(one(*db, "select count(*) from SYN_NAME").toInt() > 0);
        // Every list head has synonym kinds.
        QCOMPARE(one(*db,
                     "select count(*) from List_Entries where Revision_ID=Entry_ID and "
                     "Revision_ID not in (select REVISION_ID from SYN_NAME)")
                     .toInt(),
                 0);
    }
};

QTEST_GUILESS_MAIN(TestBuilder)
#include "tst_builder.moc"
