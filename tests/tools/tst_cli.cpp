// The command-line companion, run as a program on fixture databases, and
// compared with the desktop program's own search path.
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/datamodule.h"
#include "app/messages.h"
#include "app/searchresults.h"
#include "search/dialogs.h"
#include "text/arshower.h"
#include "tools/builder.h"
#include "tree/treev.h"

namespace {

const QString kCli = QStringLiteral(ST_BIN_DIR "/searchtool-cli");

// Two lists and a list that the settings exclude.
const char* kFixture = R"({"entries": [
  {"kind": "list", "id": 10, "title": "Перелік",
   "synonymKinds": [{"number": 2, "name": "UKT", "inherit": 1}],
   "children": [
    {"id": 11, "short": "1A001", "title": "Насоси відцентрові", "text": "Насоси для рідин",
     "synonyms": [{"kind": 2, "text": "8413 70 30 00"}]},
    {"id": 12, "short": "1A002", "title": "Лазери",
     "synonyms": [{"kind": 2, "text": "9013"}], "children": [
      {"id": 13, "title": "a) лазерні діоди", "text": "pump laser"},
      {"id": 15, "title": "b) інші", "children": [
        {"id": 16, "title": "1. heat exchanger pumps", "text": "Zürich"}]}]},
    {"id": 14, "short": "1A003", "title": "Zurich pumps",
     "synonyms": [{"kind": 2, "text": "8413"}]}]},
  {"kind": "list", "id": 30, "title": "Other",
   "synonymKinds": [{"number": 2, "name": "UKT", "inherit": 1}],
   "children": [
    {"id": 31, "short": "X1", "title": "First pump", "synonyms": [{"kind": 2, "text": "8413 11 00 00"}]},
    {"id": 32, "short": "X2", "title": "Second"}]},
  {"kind": "list", "id": 50, "title": "Hidden", "children": [
    {"id": 51, "short": "H1", "title": "Hidden pump"}]},
  {"kind": "group", "id": 60, "title": "Group", "children": [
    {"kind": "list", "id": 61, "title": "Inner", "children": [
      {"id": 62, "short": "G1", "title": "Grouped valve"}]}]}
]})";

struct Run {
    int status = -1;
    QString out, err;
};

}  // namespace

class TestCli : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString oldCwd;

    Run cli(const QStringList& args, const QByteArray& input = {}) {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(kCli, args);
        if (!p.waitForStarted()) return {};
        if (!input.isEmpty()) p.write(input);
        p.closeWriteChannel();
        if (!p.waitForFinished(30000)) {
            p.kill();
            return {};
        }
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    QJsonObject json(const QStringList& args) {
        const Run r = cli(QStringList{"--json"} + args);
        return QJsonDocument::fromJson(r.out.toUtf8()).object();
    }
    // "+id/level" for hits, "-id/level" for context, in order.
    static QString shapeOf(const QJsonArray& nodes) {
        QStringList s;
        for (const QJsonValue& v : nodes) {
            const QJsonObject o = v.toObject();
            s << QStringLiteral("%1%2/%3")
                     .arg(o["hit"].toBool() ? "+" : "-")
                     .arg(o["entry_id"].toInt())
                     .arg(o["depth"].toInt());
        }
        return s.join(u' ');
    }
    static QString shapeOf(const st::tree::EntryTreeModel* m) {
        QStringList s;
        for (int i = 0; i < m->count(); ++i) {
            const int d = m->node(i).data;
            s << QStringLiteral("%1%2/%3")
                     .arg(d > 0 ? "+" : "-")
                     .arg(std::abs(d))
                     .arg(m->node(i).level);
        }
        return s.join(u' ');
    }
    void writeFile(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // The main window on the fixture, with the excluded list hidden as the
    // selector hides it at start-up: the tree shape a search gives there.
    QString desktopShape(const std::function<void(st::app::TfrmSearchResults&)>& search) {
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(dir.path());
        st::app::SetMessageHook([](const QString& m) { QFAIL(qPrintable(m)); });
        st::app::TdmMain dm;
        st::app::TfrmSearchResults w;
        st::search::TfrmZEDCode zed;
        w.setZEDDialog(&zed);
        dm.addBaseOpener([&w] { w.OpenBases(); });
        dm.OpenBases();
        for (st::tree::TLRevsInfo& h : w.trView->liHeads) h.fshow = h.rev_id != 50;
        w.trView->Make_liVisibles();
        search(w);
        const bool composed = QTest::qWaitFor([&] { return !w.ashPrevi->isComposing(); });
        QDir::setCurrent(cwd);
        return composed ? shapeOf(w.trView->model()) : QStringLiteral("composition never ended");
    }
    QByteArray hashOf(const QString& name) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::ReadOnly)) return {};
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
    }

  private slots:
    void initTestCase() {
        QVERIFY(QFile::exists(kCli));
        st::tools::BuildDatabaseFromText(kFixture, dir.filePath("c.db"));
        writeFile("SearchTool.ini",
                  "[Names]\nDB_Name=c.db\n[Excluded]\nList_1=50\n"
                  "[ParamSet01]\ntop_max=2\ndown_step_0=1\ntext_step_0=1\n"
                  "[ParamSet02]\ntop_max=0\ntext_step_0=0\n");
        writeFile("other.ini", "[Names]\nDB_Name=c.db\n");
        writeFile("noname.ini", "[Names]\nLanguage=ENU\n");
        writeFile("garbage.db", QByteArray(4096, 'x'));
        writeFile("access.mdb",
                  QByteArray("\0\1\0\0Standard Jet DB\0", 20) + QByteArray(2000, '\0'));
        writeFile("plain.txt", "not rich text");
        writeFile("e.rtf",
                  "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Hello {\\b bold} w\\u246?rld\\par}");
        writeFile("items.txt", "8413\nнасос%\n\nno such thing\n8413 70 30 00\n9999 99\n");
    }

    // Each command's main path, its errors and its exit status.
    void commands_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("inOut");
        QTest::addColumn<QString>("inErr");
        QTest::newRow("help") << QStringList{"--help"} << 0 << "screen FILE"
                              << "";
        QTest::newRow("command help") << QStringList{"search", "--help"} << 0 << "--full"
                                      << "";
        QTest::newRow("no command") << QStringList{} << 2 << ""
                                    << "usage:";
        QTest::newRow("unknown command") << QStringList{"frob"} << 2 << ""
                                         << "unknown command";
        QTest::newRow("unknown option") << QStringList{"search", "--x", "a"} << 2 << ""
                                        << "unknown option --x";
        QTest::newRow("option without value") << QStringList{"search", "a", "--lists"} << 2 << ""
                                              << "needs a value";
        QTest::newRow("lists") << QStringList{"lists"} << 0 << "hidden"
                               << "";
        QTest::newRow("search hit") << QStringList{"search", u"насос"_qs} << 0 << "* 1A001"
                                    << "";
        QTest::newRow("search context")
            << QStringList{"search", "exchanger"} << 0 << "[1A002 Лазери]"
            << "";
        QTest::newRow("text after --") << QStringList{"search", "--", "-laser"} << 1 << "0 hits"
                                       << "";
        QTest::newRow("search nothing") << QStringList{"search", "qqqzzz"} << 1 << "0 hits"
                                        << "";
        QTest::newRow("excluded list") << QStringList{"search", "Hidden pump"} << 1 << ""
                                       << "";
        QTest::newRow("--lists") << QStringList{"search", "--lists", "50", "Hidden pump"} << 0
                                 << "* H1"
                                 << "";
        QTest::newRow("--lists, a group")
            << QStringList{"search", "--lists", "60", "valve"} << 0 << "* G1"
            << "";
        QTest::newRow("--lists, another list")
            << QStringList{"search", "--lists", "10", "valve"} << 1 << ""
            << "";
        QTest::newRow("--lists unknown") << QStringList{"search", "--lists", "77", "a"} << 2 << ""
                                         << "no list head has the id 77";
        QTest::newRow("code") << QStringList{"code", "8413"} << 0 << "* 1A003"
                              << "";
        QTest::newRow("code typed without blanks")
            << QStringList{"code", "8413703000"} << 0 << "* 1A001"
            << "";
        QTest::newRow("code tn") << QStringList{"code", "--tn", "8413"} << 1 << ""
                                 << "";
        QTest::newRow("hostile exact code")
            << QStringList{"code", "--exact", "8413' or '1'='1"} << 1 << ""
            << "";
        QTest::newRow("hostile code 2")
            << QStringList{"code", "'); drop table SYNONYM; --"} << 1 << ""
            << "";
        QTest::newRow("show") << QStringList{"show", "13"} << 0 << "pump laser"
                              << "";
        QTest::newRow("show rtf") << QStringList{"show", "--format", "rtf", "13"} << 0 << "{\\rtf1"
                                  << "";
        QTest::newRow("show other rules")
            << QStringList{"show", "--rules", "ParamSet02", "13"} << 0 << "pump laser"
            << "";
        QTest::newRow("show bad format") << QStringList{"show", "--format", "pdf", "13"} << 2 << ""
                                         << "neither text nor rtf";
        QTest::newRow("show bad rules") << QStringList{"show", "--rules", "Nope", "13"} << 2 << ""
                                        << "no section [Nope]";
        QTest::newRow("show no entry") << QStringList{"show", "999"} << 1 << ""
                                       << "no entry";
        QTest::newRow("show not an id") << QStringList{"show", "abc"} << 2 << ""
                                        << "not an entry id";
        QTest::newRow("entry") << QStringList{"entry", "11"} << 0 << "[UKT] 8413 70 30 00"
                               << "";
        QTest::newRow("entry missing") << QStringList{"entry", "999"} << 1 << ""
                                       << "no entry";
        QTest::newRow("rtf2txt") << QStringList{"rtf2txt", "e.rtf"} << 0 << u"Hello bold wörld"_qs
                                 << "";
        QTest::newRow("rtf2txt not rtf") << QStringList{"rtf2txt", "plain.txt"} << 2 << ""
                                         << "not an RTF file";
        QTest::newRow("missing database") << QStringList{"--db", "nowhere.db", "lists"} << 2 << ""
                                          << "database file not found";
        QTest::newRow("not a database") << QStringList{"--db", "garbage.db", "lists"} << 2 << ""
                                        << "cannot read the database";
        QTest::newRow("access database") << QStringList{"--db", "access.mdb", "lists"} << 2 << ""
                                         << "searchtool-import";
        QTest::newRow("missing ini") << QStringList{"--ini", "none.ini", "lists"} << 2 << ""
                                     << "settings file not found";
        QTest::newRow("ini without DB_Name")
            << QStringList{"--ini", "noname.ini", "lists"} << 2 << ""
            << "DB_Name is not set";
        QTest::newRow("--ini: nothing excluded")
            << QStringList{"--ini", "other.ini", "search", "Hidden pump"} << 0 << "* H1"
            << "";
        QTest::newRow("screen missing file") << QStringList{"screen", "none.txt"} << 2 << ""
                                             << "cannot read none.txt";
    }
    void commands() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, inOut);
        QFETCH(QString, inErr);
        const Run r = cli(args);
        QVERIFY2(r.out.contains(inOut), qPrintable(r.out));
        QVERIFY2(r.err.contains(inErr), qPrintable(r.err));
        if (inErr.isEmpty()) QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        QCOMPARE(r.status, status);
    }

    void jsonDocument() {
        const QJsonObject o = json({"search", "pump"});
        QCOMPARE(o["asked"].toObject()["command"].toString(), QString("search"));
        QCOMPARE(o["asked"].toObject()["arguments"].toArray().first().toString(), QString("pump"));
        QVERIFY(o["database"].toString().endsWith("c.db"));
        QVERIFY(!o["time"].toString().isEmpty());
        QCOMPARE(o["lists"].toArray(), (QJsonArray{10, 30, 60, 61}));
        QCOMPARE(o["hits"].toInt(), 4);
        const QJsonObject first = o["results"].toArray().first().toObject();
        QCOMPARE(first["entry_id"].toInt(), 10);
        QCOMPARE(first["hit"].toBool(), false);
        QCOMPARE(first["list_id"].toInt(), 10);
        QCOMPARE(first["title"].toString(), u"Перелік"_qs);
        const QJsonObject lists = json({"lists"});
        QCOMPARE(lists["results"].toArray().size(), 5);
        QCOMPARE(lists["results"].toArray()[3].toObject()["kind"].toString(), QString("group"));
        QCOMPARE(lists["results"].toArray()[2].toObject()["visible"].toBool(), false);
        QCOMPARE(lists["results"].toArray()[0].toObject()["kind"].toString(), QString("list"));
    }

    void showMarksContextAndHits() {
        const Run r = cli({"show", "--highlight", "laser", "13"});
        QCOMPARE(r.status, 0);
        // The entry's own lines have no prefix; its parent's title is context.
        QVERIFY2(r.out.contains(u"\n«laser»"_qs) || r.out.contains(u"pump «laser»"_qs),
                 qPrintable(r.out));
        QVERIFY2(r.out.contains(u"| Лазери"_qs), qPrintable(r.out));
        const QStringList lines = r.out.split(u'\n');
        QVERIFY(lines.contains(u"a) лазерні діоди"_qs));
        const QJsonObject o = json({"show", "--highlight", "laser", "13"});
        QCOMPARE(o["hit_ranges"].toArray().size(), 1);
        QVERIFY(!o["own_ranges"].toArray().isEmpty());
    }

    void screenMixedFile_data() {
        QTest::addColumn<QString>("format");
        QTest::newRow("text") << "";
        QTest::newRow("csv") << "--csv";
        QTest::newRow("json") << "--json";
        QTest::newRow("stdin") << "-";
    }
    void screenMixedFile() {
        QFETCH(QString, format);
        QStringList args{"screen"};
        QByteArray input;
        if (format == u"-") {
            args << "-";
            QFile f(dir.filePath("items.txt"));
            QVERIFY(f.open(QIODevice::ReadOnly));
            input = f.readAll();
        } else {
            if (!format.isEmpty()) args << format;
            args << "items.txt";
        }
        const Run r = cli(args, input);
        QCOMPARE(r.status, 0);
        if (format == u"--json") {
            const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
            const QJsonArray rows = o["results"].toArray();
            QCOMPARE(rows.size(), 5);  // the empty line is no item
            QCOMPARE(rows[0].toObject()["type"].toString(), QString("code"));
            QCOMPARE(rows[0].toObject()["hits"].toInt(), 3);  // 11 (8413 70 30 00), 14, 31
            QCOMPARE(rows[1].toObject()["type"].toString(), QString("text"));
            QCOMPARE(rows[2].toObject()["line"].toInt(), 4);
            QCOMPARE(rows[2].toObject()["hits"].toInt(), 0);
            QCOMPARE(
                rows[3].toObject()["entries"].toArray().first().toObject()["short_code"].toString(),
                QString("1A001"));
            QCOMPARE(rows[4].toObject()["hits"].toInt(), 0);
            QCOMPARE(o["summary"].toObject()["without_hits"].toInt(), 2);
            QCOMPARE(o["summary"].toObject()["empty_lines_skipped"].toInt(), 1);
        } else if (format == u"--csv") {
            const QStringList rows = r.out.trimmed().split(u'\n');
            QCOMPARE(rows.size(), 6);  // header and five items
            QCOMPARE(rows[0], QString("line,input,type,hits,entries"));
            QVERIFY(rows[1].startsWith("1,8413,code,3,11:1A001;14:1A003;31:X1"));
            QCOMPARE(rows[3], QString("4,no such thing,text,0,"));
            QVERIFY2(r.err.startsWith("5 items, 3 with hits, 2 without"), qPrintable(r.err));
        } else {
            QVERIFY(r.out.contains("line 4 (text) no such thing: nothing found"));
            QVERIFY(r.out.contains("line 6 (code) 9999 99: nothing found"));
            QVERIFY(r.out.contains("5 items, 3 with hits, 2 without"));
        }
    }

    void screenNothingFound() {
        writeFile("none.txt", "qqqzzz\n0000\n");
        const Run r = cli({"screen", "none.txt"});
        QCOMPARE(r.status, 1);
        QVERIFY(r.out.contains("2 items, 0 with hits"));
    }

    // Nothing the companion does writes the database or the settings.
    void neverWrites() {
        const QByteArray db = hashOf("c.db"), ini = hashOf("SearchTool.ini");
        const QStringList before = QDir(dir.path()).entryList(QDir::Files);
        for (const QStringList& args :
             {QStringList{"search", "pump"}, QStringList{"show", "13"}, QStringList{"entry", "11"},
              QStringList{"screen", "items.txt"}, QStringList{"code", "8413"}})
            QVERIFY(cli(args).status == 0);
        QCOMPARE(hashOf("c.db"), db);
        QCOMPARE(hashOf("SearchTool.ini"), ini);
        QStringList after = QDir(dir.path()).entryList(QDir::Files);
        after.removeAll("c.db-shm");  // readers of a WAL file share its index
        after.removeAll("c.db-wal");
        QStringList expected = before;
        expected.removeAll("c.db-shm");
        expected.removeAll("c.db-wal");
        QCOMPARE(after, expected);
    }

    // The same entries, order, hits and context as the main window's search.
    void sameAsDesktop_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("full");
        for (const char* t : {"pump", "насос%", "%heat%exchanger", "Zürich", "zurich", "   ",
                              "1A00_", "qqqzzz", "%%heat%%", "л%з"}) {
            QTest::newRow(qPrintable(QStringLiteral("filtered %1").arg(QString::fromUtf8(t))))
                << QString::fromUtf8(t) << false;
            QTest::newRow(qPrintable(QStringLiteral("full %1").arg(QString::fromUtf8(t))))
                << QString::fromUtf8(t) << true;
        }
    }
    void sameAsDesktop() {
        QFETCH(QString, text);
        QFETCH(bool, full);
        QStringList args{"search"};
        if (full) args << "--full";
        const QJsonObject o = json(args << text);
        const QString desktop = desktopShape([&](st::app::TfrmSearchResults& w) {
            w.TabControl2->setCurrentIndex(full ? 0 : 1);
            w.Edit1->setText(text);
            w.btSearchClick();
        });
        // Nothing found: the filtered tree holds only the "nothing found" line.
        const bool none = o["hits"].toInt() == 0 && !full;
        QCOMPARE(none ? QStringLiteral("-0/0") : shapeOf(o["results"].toArray()), desktop);
    }

    void sameCodeSearchAsDesktop_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("exact");
        QTest::newRow("8413") << "8413" << false;
        QTest::newRow("8413 exact") << "8413" << true;
        QTest::newRow("full code") << "8413 70 30 00" << false;
        QTest::newRow("hostile") << "84' or ''='" << false;
    }
    void sameCodeSearchAsDesktop() {
        QFETCH(QString, code);
        QFETCH(bool, exact);
        QStringList args{"code"};
        if (exact) args << "--exact";
        const QJsonObject o = json(args << code);
        const QString desktop =
            desktopShape([&](st::app::TfrmSearchResults& w) { w.ShowUKTSearch(code, exact); });
        const bool none = o["hits"].toInt() == 0;
        QCOMPARE(none ? QStringLiteral("-0/0") : shapeOf(o["results"].toArray()), desktop);
    }
};

QTEST_MAIN(TestCli)
#include "tst_cli.moc"
