#include <signal.h>
#include <sqlite3.h>

#include <QBuffer>
#include <QDateTime>
#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <QtEndian>
#include <cmath>
#include <memory>

#include "db/connstring.h"
#include "db/database.h"
#include "db/tablecursor.h"
#include "text/codepage.h"
#include "tools/import/accessprobe.h"
#include "tools/import/accessreader.h"
#include "tools/import/importer.h"
#include "tools/import/jetvalues.h"
#include "tools/import/olepicture.h"

using namespace st::import;
using st::db::LooksLikeAccessFile;

namespace {

const QString kSamples = QStringLiteral(ST_SHARED_DIR "/mdb-samples");
const QString kTool = QStringLiteral(ST_BIN_DIR "/searchtool-import");
const char* kNull = "<NULL>";

QString sample(const QString& rel) {
    return kSamples + u'/' + rel;
}

QStringList allSamples() {
    QStringList out;
    QDirIterator it(kSamples, {"*.mdb", "*.accdb"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) out << it.next().mid(kSamples.size() + 1);
    out.sort();
    return out;
}

struct Run {
    int status = -1;
    bool crashed = false;
    QByteArray out, err;
};

Run run(const QString& program, const QStringList& args, const QStringList& env = {}) {
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const QString& kv : env) e.insert(kv.section(u'=', 0, 0), kv.section(u'=', 1));
    p.setProcessEnvironment(e);
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        r.crashed = true;
    }
    r.crashed |= p.exitStatus() == QProcess::CrashExit;
    r.status = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// ---- mdb-export's CSV ------------------------------------------------------

struct Field {
    QString text;
    bool quoted = false;
    bool isNull() const { return !quoted && text == QLatin1String(kNull); }
};
using Record = QList<Field>;

// Quoted fields double their quotes; -e writes \n, \r, \t and \\ inside them.
QList<Record> parseCsv(const QByteArray& bytes) {
    const QString s = QString::fromUtf8(bytes);
    QList<Record> out;
    Record rec;
    Field f;
    bool inQuotes = false, any = false;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (inQuotes) {
            if (c == u'"') {
                if (i + 1 < s.size() && s[i + 1] == u'"') {
                    f.text += u'"';
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else if (c == u'\\' && i + 1 < s.size()) {
                const QChar n = s[++i];
                f.text += n == u'n'   ? QChar(u'\n')
                          : n == u'r' ? QChar(u'\r')
                          : n == u't' ? QChar(u'\t')
                                      : n;
            } else {
                f.text += c;
            }
        } else if (c == u'"') {
            inQuotes = f.quoted = any = true;
        } else if (c == u',') {
            rec << f;
            f = Field();
            any = true;
        } else if (c == u'\n') {
            rec << f;
            out << rec;
            rec.clear();
            f = Field();
            any = false;
        } else {
            f.text += c;
            any = true;
        }
    }
    if (any) {
        rec << f;
        out << rec;
    }
    return out;
}

// ---- the output file -------------------------------------------------------

struct SqliteClose {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct StmtFinalize {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using SqlitePtr = std::unique_ptr<sqlite3, SqliteClose>;
using StmtPtr = std::unique_ptr<sqlite3_stmt, StmtFinalize>;

SqlitePtr openDb(const QString& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    return SqlitePtr(db);
}

StmtPtr prepare(sqlite3* db, const QString& sql) {
    sqlite3_stmt* st = nullptr;
    const QByteArray u = sql.toUtf8();
    if (sqlite3_prepare_v2(db, u.constData(), int(u.size()), &st, nullptr) != SQLITE_OK)
        qWarning("%s: %s", u.constData(), sqlite3_errmsg(db));
    return StmtPtr(st);
}

QStringList column(sqlite3* db, const QString& sql) {
    StmtPtr st = prepare(db, sql);
    QStringList out;
    while (st && sqlite3_step(st.get()) == SQLITE_ROW)
        out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
    return out;
}

QString quoted(const QString& name) {
    return st::db::QuoteIdentifier(name);
}

// "yyyy-MM-dd HH:mm:ss[.fff]" rounded to whole seconds, as libmdb prints them.
QString toSeconds(const QString& ours) {
    QDateTime t = QDateTime::fromString(ours.left(19), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    t.setTimeSpec(Qt::UTC);
    if (ours.size() > 20 && ours.mid(20, 1).toInt() >= 5) t = t.addSecs(1);
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// libmdb writes '?' for each UTF-16 unit its iconv cannot convert (emoji,
// bytes a code page leaves undefined); there any character may stand.
bool sameText(const QString& theirs, const QString& ours) {
    if (theirs.size() != ours.size()) return false;
    for (qsizetype i = 0; i < ours.size(); ++i)
        if (theirs[i] != ours[i] && theirs[i] != u'?') return false;
    return true;
}

// Compares one cell; "" when they agree, "-" when mdb-export cannot tell.
QString compareCell(int type, const Field& e, sqlite3_stmt* st, int col) {
    const int kind = sqlite3_column_type(st, col);
    const QString ours =
        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, col)));
    const auto differ = [&] {
        return QStringLiteral("mdb-export \"%1\"%2, ours \"%3\" (sqlite type %4)")
            .arg(e.text.left(80), e.quoted ? " quoted" : "", ours.left(80))
            .arg(kind);
    };
    static const QSet<int> exported = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08,
                                       0x09, 0x0A, 0x0B, 0x0C, 0x0F, 0x10, 0x12};
    if (!exported.contains(type)) return QStringLiteral("-");  // libmdb prints no value
    // mdb-export cannot tell an empty text or binary value from NULL.
    const bool empty = kind == SQLITE_NULL || ((kind == SQLITE_TEXT || kind == SQLITE_BLOB) &&
                                               sqlite3_column_bytes(st, col) == 0);
    if (type != int(JetType::Bool) && (empty || e.isNull()))
        return empty && e.isNull() ? QString() : differ();
    switch (JetType(type)) {
        case JetType::Bool:
        case JetType::Byte:
        case JetType::Int:
        case JetType::Long:
        case JetType::Complex:
            if (kind != SQLITE_INTEGER || e.text.toLongLong() != sqlite3_column_int64(st, col))
                return differ();
            return {};
        default:
            break;
    }
    switch (JetType(type)) {
        case JetType::Money:
        case JetType::Float:
        case JetType::Double:
        case JetType::Numeric: {
            bool ok = false;
            const double a = e.text.toDouble(&ok), b = sqlite3_column_double(st, col);
            const double tol = type == int(JetType::Float) ? 1e-6 : 1e-12;
            if (!ok || std::fabs(a - b) > tol * std::max(1.0, std::fabs(a)) + 1e-9) return differ();
            return {};
        }
        case JetType::DateTime: {
            if (kind != SQLITE_TEXT) return differ();
            // libmdb's strings go wrong before 1900 and after about 4637.
            const int year = ours.left(4).toInt();
            if (year < 1900 || year > 4600) return QStringLiteral("-");
            return toSeconds(ours) == e.text ? "" : differ();
        }
        case JetType::Binary:
        case JetType::Ole: {
            if (kind != SQLITE_BLOB) return differ();
            const QByteArray b(static_cast<const char*>(sqlite3_column_blob(st, col)),
                               sqlite3_column_bytes(st, col));
            return b.toHex().toUpper() == e.text.toLatin1() ? "" : differ();
        }
        case JetType::Text:
        case JetType::Memo:
            return kind == SQLITE_TEXT && sameText(e.text, ours) ? "" : differ();
        case JetType::Guid:
            // With -b hex mdb-export writes a replication id's text in hex, and
            // leaves out the dash before the last twelve digits.
            return kind == SQLITE_TEXT && QByteArray::fromHex(e.text.toLatin1()).replace('-', "") ==
                                              ours.toLatin1().replace('-', "")
                       ? ""
                       : differ();
        default:
            return QStringLiteral("-");  // a type mdb-export prints no value for
    }
}

struct SchemaIndex {
    QString table, name;
    bool unique = false;
    QStringList keys;  // "col" or "col DESC"
};

// mdb-schema's MySQL form keeps Access's index names.
void parseSchema(const QByteArray& text, QList<SchemaIndex>& indexes,
                 QHash<QString, QStringList>& primaryKeys) {
    static const QRegularExpression idx(
        QStringLiteral("^ALTER TABLE `(.+)` ADD (UNIQUE )?INDEX `(.+)` \\((.*)\\);$"));
    static const QRegularExpression pk(
        QStringLiteral("^ALTER TABLE `(.+)` ADD PRIMARY KEY \\((.*)\\);$"));
    auto keys = [](const QString& list) {
        QStringList out;
        for (QString k : list.split(QStringLiteral(", "), Qt::SkipEmptyParts))
            out << k.remove(u'`');
        return out;
    };
    for (const QString& line : QString::fromUtf8(text).split(u'\n')) {
        if (const auto m = idx.match(line); m.hasMatch())
            indexes << SchemaIndex{m.captured(1), m.captured(3), !m.captured(2).isEmpty(),
                                   keys(m.captured(4))};
        else if (const auto p = pk.match(line); p.hasMatch())
            primaryKeys[p.captured(1)] = keys(p.captured(2));
    }
}

ImportSummary importFile(const QString& in, const QString& out, const QString& codepage,
                         bool recompute = false) {
    ImportOptions o;
    o.source = in;
    o.target = out;
    o.codepage = codepage;
    o.recomputePlain = recompute;
    o.force = true;
    return ImportAccessDatabase(o);
}

// ---- OLE wrappers as Access writes them ------------------------------------

QByteArray u16le(quint16 v) {
    QByteArray b(2, 0);
    qToLittleEndian(v, b.data());
    return b;
}
QByteArray u32le(quint32 v) {
    QByteArray b(4, 0);
    qToLittleEndian(v, b.data());
    return b;
}
QByteArray lenString(const QByteArray& s) {
    return u32le(quint32(s.size() + 1)) + s + '\0';
}

// The Access object header, then an OLE 1 embedded object of a class.
QByteArray oleWrap(const QByteArray& className, const QByteArray& native) {
    const QByteArray name = "Picture";
    const QByteArray header =
        u16le(0x1C15) + u16le(quint16(20 + name.size() + 1 + className.size() + 1)) + u16le(2) +
        u16le(0) + u16le(quint16(name.size() + 1)) + u16le(quint16(className.size() + 1)) +
        u16le(20) + u16le(quint16(20 + name.size() + 1)) + u32le(0xFFFFFFFF) + name + '\0' +
        className + '\0';
    return header + u32le(0x0501) + u32le(2) + lenString(className) + u32le(0) + u32le(0) +
           u32le(quint32(native.size())) + native + QByteArray(8, '\x01');  // presentation tail
}

// The packager's record around an embedded file.
QByteArray packageNative(const QByteArray& fileName, const QByteArray& file) {
    const QByteArray temp = "C:\\Temp\\" + fileName + '\0';
    return u16le(2) + fileName + '\0' + "C:\\Pictures\\" + fileName + '\0' + u16le(0) + u16le(3) +
           u32le(quint32(temp.size())) + temp + u32le(quint32(file.size())) + file +
           QByteArray(12, '\0');
}

QByteArray imageBytes(const char* format, QColor color = Qt::red) {
    QImage img(5, 3, QImage::Format_RGB32);
    img.fill(color);
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, format);
    return out;
}

// ---- a fixture with the program's schema, made in memory -------------------

ColumnDef col(const char* name, JetType t) {
    ColumnDef c;
    c.name = QString::fromLatin1(name);
    c.type = int(t);
    return c;
}
IndexDef idxDef(const char* name, QList<int> keys, bool primary = false) {
    IndexDef d;
    d.name = QString::fromLatin1(name);
    d.primary = d.unique = primary;
    for (int k : keys) d.keys << IndexKey{k, false};
    return d;
}
Cell I(qint64 v) {
    Cell c;
    c.setInt(v);
    return c;
}
Cell T(const QString& s) {
    Cell c;
    c.setText(s);
    return c;
}
Cell B(const QByteArray& b) {
    Cell c;
    c.setBlob(b);
    return c;
}
Cell N() {
    return Cell();
}

class MemorySource : public TableSource {
  public:
    QString format() const override { return QStringLiteral("memory"); }
    bool isJet3() const override { return false; }
    const QList<TableDef>& tables() const override { return tables_; }
    const QStringList& skippedObjects() const override { return skipped_; }
    qint64 readRows(int table, const std::function<bool(std::vector<Cell>&)>& sink,
                    QStringList&) override {
        qint64 n = 0;
        for (std::vector<Cell> row : rows_[table]) {
            ++n;
            if (!sink(row)) break;
        }
        return n;
    }
    void add(const TableDef& t, QList<std::vector<Cell>> rows) {
        tables_ << t;
        tables_.back().declaredRows = rows.size();
        rows_ << rows;
    }

  private:
    QList<TableDef> tables_;
    QList<QList<std::vector<Cell>>> rows_;
    QStringList skipped_;
};

QByteArray rtf(const char* body) {
    return QByteArray("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0 ") + body + "}";
}

}  // namespace

class TestImport : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QString out(const QString& name) const { return dir.filePath(name); }
    QStringList leftovers() const {
        return QDir(dir.path()).entryList({"*.importing-*"}, QDir::Files | QDir::Hidden);
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        QVERIFY2(QFileInfo(kTool).isExecutable(), qPrintable(kTool));
        QVERIFY2(run("mdb-export", {"--version"}).status == 0, "mdb-export is needed as reference");
        QVERIFY(allSamples().size() > 50);
    }

    // Every sample: the tables, rows and values of mdb-export, the indexes of
    // mdb-schema.
    void sampleMatchesMdbTools_data() {
        QTest::addColumn<QString>("file");
        for (const QString& f : allSamples()) QTest::newRow(qPrintable(f)) << f;
    }
    void sampleMatchesMdbTools() {
        QFETCH(QString, file);
        const QString in = sample(file);
        const QString db = out(QFileInfo(file).fileName() + ".db");
        const QString cp = QStringLiteral("windows-1252");  // the samples' language
        const QStringList env = {"MDB_JET3_CHARSET=CP1252"};
        ImportSummary sum;
        try {
            sum = importFile(in, db, cp);
        } catch (const ImportError& e) {
            QFAIL(qPrintable(e.text()));
        }
        AccessReader reader(in, cp);
        SqlitePtr con = openDb(db);
        QVERIFY(con);

        // Tables: mdb-tables lists the user tables.
        QStringList expectedTables = QString::fromUtf8(run("mdb-tables", {"-1", in}, env).out)
                                         .split(u'\n', Qt::SkipEmptyParts);
        QStringList ourTables =
            column(con.get(), "select name from sqlite_master where type='table'");
        expectedTables.sort();
        ourTables.sort();
        QCOMPARE(ourTables, expectedTables);
        QCOMPARE(sum.tables.size(), expectedTables.size());

        QStringList mismatches;
        for (const TableDef& t : reader.tables()) {
            const Run ex = run("mdb-export",
                               {"-0", kNull, "-e", "-b", "hex", "-T", "%Y-%m-%d %H:%M:%S", "-D",
                                "%Y-%m-%d %H:%M:%S", in, t.name},
                               env);
            QCOMPARE(ex.status, 0);
            QList<Record> rows = parseCsv(ex.out);
            QVERIFY(!rows.isEmpty());
            const Record header = rows.takeFirst();
            const QStringList cols = column(
                con.get(), QStringLiteral("select name from pragma_table_info('%1')").arg(t.name));
            QStringList headerNames;
            for (const Field& h : header) headerNames << h.text;
            QCOMPARE(cols, headerNames);
            const qint64 ourCount =
                column(con.get(), QStringLiteral("select count(*) from %1").arg(quoted(t.name)))
                    .value(0)
                    .toLongLong();
            QCOMPARE(ourCount, qint64(rows.size()));

            // A table keyed by one integer column is stored in key order.
            const QStringList rowidKey = column(
                con.get(), QStringLiteral("select name from pragma_table_info('%1') where pk=1 and "
                                          "lower(type)='integer' and (select count(*) from "
                                          "pragma_table_info('%1') where pk>0)=1")
                               .arg(t.name));
            if (!rowidKey.isEmpty()) {
                const int k = int(cols.indexOf(rowidKey[0]));
                std::stable_sort(rows.begin(), rows.end(), [k](const Record& a, const Record& b) {
                    return a[k].text.toLongLong() < b[k].text.toLongLong();
                });
            }
            StmtPtr st = prepare(
                con.get(), QStringLiteral("select * from %1 order by rowid").arg(quoted(t.name)));
            for (const Record& r : rows) {
                QCOMPARE(sqlite3_step(st.get()), SQLITE_ROW);
                QCOMPARE(r.size(), t.columns.size());
                for (int c = 0; c < t.columns.size(); ++c) {
                    if (t.columns[c].calculated)
                        continue;  // libmdb reads their wrapper as the value
                    const QString d = compareCell(t.columns[c].type, r[c], st.get(), c);
                    if (!d.isEmpty() && d != u"-" && mismatches.size() < 10)
                        mismatches << QStringLiteral("%1.%2: %3").arg(t.name, t.columns[c].name, d);
                }
            }
        }
        QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.join(u'\n')));

        // Indexes: every one of mdb-schema's, by the naming rule, with its keys.
        QList<SchemaIndex> expected;
        QHash<QString, QStringList> pks;
        parseSchema(run("mdb-schema", {"--indexes", "--no-relations", in, "mysql"}, env).out,
                    expected, pks);
        QHash<QString, int> uses;
        for (const SchemaIndex& x : expected) ++uses[x.name.toLower()];
        QSet<QString> tableNames;
        for (const QString& t : ourTables) tableNames.insert(t.toLower());
        int made = 0;
        for (const SchemaIndex& x : expected) {
            const QString name =
                uses[x.name.toLower()] == 1 && !tableNames.contains(x.name.toLower())
                    ? x.name
                    : x.table + u'_' + x.name;
            const QStringList found = column(
                con.get(), QStringLiteral("select tbl_name from sqlite_master where type='index' "
                                          "and name='%1'")
                               .arg(QString(name).replace(u'\'', "''")));
            if (x.keys.isEmpty()) {  // libmdb could not read its keys: reported, not made
                QVERIFY2(found.isEmpty(), qPrintable(name));
                QVERIFY(sum.skipped.join(u'\n').contains(
                    QStringLiteral("index %1 of table %2").arg(x.name, x.table)));
                continue;
            }
            ++made;
            QVERIFY2(found == QStringList{x.table}, qPrintable(name));
            QStringList keys;
            StmtPtr xi = prepare(con.get(), QStringLiteral("select name, desc from "
                                                           "pragma_index_xinfo('%1') where key=1")
                                                .arg(QString(name).replace(u'\'', "''")));
            while (sqlite3_step(xi.get()) == SQLITE_ROW)
                keys << QString::fromUtf8(
                            reinterpret_cast<const char*>(sqlite3_column_text(xi.get(), 0))) +
                            (sqlite3_column_int(xi.get(), 1) ? " DESC" : "");
            QCOMPARE(keys, x.keys);
            const QString unique =
                column(con.get(), QStringLiteral("select \"unique\" from pragma_index_list('%1') "
                                                 "where name='%2'")
                                      .arg(x.table, QString(name).replace(u'\'', "''")))
                    .value(0);
            QCOMPARE(unique == u"1", x.unique);
        }
        QCOMPARE(sum.indexes, made);
        for (const QString& t : ourTables) {
            const QStringList pk = column(
                con.get(),
                QStringLiteral("select name from pragma_table_info('%1') where pk>0 order by pk")
                    .arg(t));
            QCOMPARE(pk, pks.value(t));
        }
    }

    // Values the samples' own projects state.
    void knownValues_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("dates before 1900")
            << "jackcess/V2007/oldDatesV2007.accdb"
            << "select DateField from Table1 order by ID"
            << QStringList{"1582-10-15 00:00:00", "1582-10-14 00:00:00", "1492-01-10 00:00:00",
                           "1392-01-10 00:00:00"};
        QTest::newRow("extended dates")
            << "jackcess/V2019/extDateTestV2019.accdb"
            << "select DateExt from Table1 where DateExt is not null order by ID"
            << QStringList{"2020-06-17 00:00:00",         "2021-06-14 00:00:00",
                           "2021-06-14 12:45:00",         "2021-06-14 01:45:00",
                           "2021-06-14 22:45:12.3456789", "1765-06-14 12:45:00",
                           "0100-06-14 12:45:00.1234567", "1265-06-14 12:45:00"};
        QTest::newRow("calculated columns")
            << "jackcess/V2010/calcFieldTestV2010.accdb"
            << "select LastFirst||'|'||LastFirstLen||'|'||(MonthlySalary is null) from Table1 "
               "order by ID"
            << QStringList{"Wayne, Bruce|12|1", "Simpson, Bart|13|1", "Doe, John|9|1",
                           "User, Test|10|1"};
        QTest::newRow("compressed unicode")
            << "jackcess/V2003/testUnicodeCompV2003.mdb"
            << "select Unicode from \"Table\" where ID in (2,3) order by ID"
            << QStringList{"ääkkösiä", "Мир"};
    }
    void knownValues() {
        QFETCH(QString, file);
        QFETCH(QString, sql);
        QFETCH(QStringList, expected);
        const QString db = out("known.db");
        importFile(sample(file), db, "windows-1252");
        SqlitePtr con = openDb(db);
        QCOMPARE(column(con.get(), sql), expected);
    }

    // A binary value over many pages arrives whole: jackcess keeps its bytes
    // beside the samples.
    void oleValueOverManyPages_data() {
        QTest::addColumn<QString>("file");
        for (const char* v :
             {"V1997/test2V1997.mdb", "V2000/test2V2000.mdb", "V2003/test2V2003.mdb",
              "V2007/test2V2007.accdb", "V2010/test2V2010.accdb"})
            QTest::newRow(v) << QStringLiteral("jackcess/") + v;
    }
    void oleValueOverManyPages() {
        QFETCH(QString, file);
        QFile dat(sample("jackcess/test2BinData.dat"));
        QVERIFY(dat.open(QIODevice::ReadOnly));
        const QByteArray want = dat.readAll();
        const QString db = out("bin.db");
        importFile(sample(file), db, "windows-1252");
        SqlitePtr con = openDb(db);
        StmtPtr st = prepare(con.get(), "select RESERVED_BINARY_DATA from MSP_PROJECTS");
        QCOMPARE(sqlite3_step(st.get()), SQLITE_ROW);
        const QByteArray got(static_cast<const char*>(sqlite3_column_blob(st.get(), 0)),
                             sqlite3_column_bytes(st.get(), 0));
        QCOMPARE(got.size(), want.size());
        QVERIFY(got == want);
    }

    // A memo longer than libmdb's bind size (16 KiB) arrives whole. No sample
    // has one, so a copy of nwind.mdb gets its 21 KB Employees.Photo column
    // retyped from OLE to memo in the table definition.
    void longMemoArrivesWhole() {
        QFile f(sample("mdbtestdata/nwind.mdb"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QByteArray bytes = f.readAll();
        const int page = 2048;
        int patched = 0;
        for (int p = 0; p < bytes.size() / page; ++p) {
            auto* pg = reinterpret_cast<unsigned char*>(bytes.data()) + qsizetype(p) * page;
            // A Jet 3 table definition: type 2, "VC", 9 rows, 17 columns.
            if (pg[0] != 2 || pg[2] != 'V' || pg[3] != 'C' ||
                qFromLittleEndian<quint32>(pg + 0x0C) != 9 ||
                qFromLittleEndian<quint16>(pg + 0x19) != 17)
                continue;
            const quint32 realIndexes = qFromLittleEndian<quint32>(pg + 0x1F);
            for (int c = 0; c < 17; ++c) {
                unsigned char* e = pg + 0x2B + 8 * realIndexes + 18 * c;
                if (e[0] == 0x0B && qFromLittleEndian<quint16>(e + 1) == 14) {
                    e[0] = 0x0C;
                    ++patched;
                }
            }
        }
        QCOMPARE(patched, 1);
        const QString in = out("memo.mdb");
        QFile w(in);
        QVERIFY(w.open(QIODevice::WriteOnly));
        w.write(bytes);
        w.close();

        importFile(sample("mdbtestdata/nwind.mdb"), out("photo.db"), "windows-1251");
        importFile(in, out("memo.db"), "windows-1251");
        SqlitePtr blobs = openDb(out("photo.db")), memos = openDb(out("memo.db"));
        StmtPtr a = prepare(blobs.get(), "select Photo from Employees order by EmployeeID");
        StmtPtr b =
            prepare(memos.get(), "select Photo, typeof(Photo) from Employees order by EmployeeID");
        int rows = 0;
        while (sqlite3_step(a.get()) == SQLITE_ROW) {
            QCOMPARE(sqlite3_step(b.get()), SQLITE_ROW);
            const QByteArray raw(static_cast<const char*>(sqlite3_column_blob(a.get(), 0)),
                                 sqlite3_column_bytes(a.get(), 0));
            QVERIFY(raw.size() > 16384);
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(b.get(), 1))),
                     QByteArray("text"));
            const QString text =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(b.get(), 0)),
                                  sqlite3_column_bytes(b.get(), 0));
            QCOMPARE(text.size(), raw.size());  // every windows-1251 byte is one character
            QVERIFY(text == st::text::decodeCp1251(raw));
            ++rows;
        }
        QCOMPARE(rows, 9);
    }

    // Jet 3 text is read in the code page given; windows-1251 unless told.
    void codepage_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("table");
        QTest::newRow("default windows-1251") << QStringList{} << QString::fromUtf8("Umsдtze");
        QTest::newRow("windows-1252")
            << QStringList{"--codepage", "windows-1252"} << QString::fromUtf8("Umsätze");
        QTest::newRow("number") << QStringList{"-c", "1252"} << QString::fromUtf8("Umsätze");
    }
    void codepage() {
        QFETCH(QStringList, args);
        QFETCH(QString, table);
        const QString db = out("cp.db");
        const Run r =
            run(kTool, args + QStringList{"-q", "--force", sample("mdbtestdata/nwind.mdb"), db});
        QVERIFY2(r.status == 0, r.err.constData());
        SqlitePtr con = openDb(db);
        QVERIFY(
            column(con.get(), "select name from sqlite_master where type='table'").contains(table));
    }

    void jetDates_data() {
        QTest::addColumn<double>("days");
        QTest::addColumn<QString>("text");
        QTest::newRow("epoch") << 0.0 << "1899-12-30 00:00:00";
        QTest::newRow("noon 2000") << 36526.5 << "2000-01-01 12:00:00";
        QTest::newRow("before epoch, time runs forward") << -1.25 << "1899-12-29 06:00:00";
        QTest::newRow("fraction only, negative") << -0.5 << "1899-12-30 12:00:00";
        QTest::newRow("1582") << -115858.0 << "1582-10-15 00:00:00";
        QTest::newRow("first day of year 100") << -657434.0 << "0100-01-01 00:00:00";
        QTest::newRow("last second of 9999")
            << 2958465.0 + 86399.0 / 86400.0 << "9999-12-31 23:59:59";
        QTest::newRow("milliseconds") << 36526.0 + 1.5 / 86400.0 << "2000-01-01 00:00:01.500";
        QTest::newRow("rounds up to midnight") << 1.9999999999 << "1900-01-01 00:00:00";
        QTest::newRow("year 10000") << 2958466.5 << "";
        QTest::newRow("before year 100") << -657436.0 << "";
        QTest::newRow("not a number") << std::nan("") << "";
    }
    void jetDates() {
        QFETCH(double, days);
        QFETCH(QString, text);
        QCOMPARE(JetDateText(days).value_or(QString()), text);
    }

    void jet4Text_data() {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QString>("text");
        QTest::newRow("utf-16") << QByteArray("M\0\x38\x04p\0", 6) << QString::fromUtf8("Mиp");
        QTest::newRow("surrogate pair")
            << QByteArray("\x3D\xD8\x00\xDE", 4) << QString::fromUtf8("😀");
        QTest::newRow("compressed runs") << QByteArray(
                                                "\xFF\xFE"
                                                "ab\0\x1A\x04\0c",
                                                9)
                                         << QString::fromUtf8("abКc");
        QTest::newRow("compressed, odd last byte") << QByteArray(
                                                          "\xFF\xFE"
                                                          "a\0\x1A",
                                                          5)
                                                   << "a";
    }
    void jet4Text() {
        QFETCH(QByteArray, raw);
        QFETCH(QString, text);
        QCOMPARE(DecodeJet4Text(raw), text);
    }

    void pictures_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("ext");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("file");
        const QByteArray bmp = imageBytes("BMP"), png = imageBytes("PNG"), jpg = imageBytes("JPG");
        const QByteArray gif = imageBytes("GIF");
        QTest::newRow("plain JPEG stays") << jpg << ".JPG" << int(UnwrappedPicture::Plain) << jpg;
        QTest::newRow("plain BMP with a wrong extension stays")
            << bmp << ".JPG" << int(UnwrappedPicture::Plain) << bmp;
        QTest::newRow("Paint bitmap")
            << oleWrap("PBrush", bmp) << ".BMP" << int(UnwrappedPicture::Unwrapped) << bmp;
        QTest::newRow("package with a JPEG") << oleWrap("Package", packageNative("x.jpg", jpg))
                                             << ".jpeg" << int(UnwrappedPicture::Unwrapped) << jpg;
        QTest::newRow("package with a PNG") << oleWrap("Package", packageNative("x.png", png))
                                            << "png" << int(UnwrappedPicture::Unwrapped) << png;
        if (!gif.isEmpty())
            QTest::newRow("GIF inside other native data")
                << oleWrap("MSPhotoEd.3", QByteArray(300, '\x07') + gif + QByteArray(50, '\0'))
                << ".GIF" << int(UnwrappedPicture::Unwrapped) << gif;
        const QByteArray wrongFormat = oleWrap("PBrush", bmp);
        QTest::newRow("BMP inside, .JPG named: kept")
            << wrongFormat << ".JPG" << int(UnwrappedPicture::Kept) << wrongFormat;
        const QByteArray cut = oleWrap("PBrush", bmp).left(80);
        QTest::newRow("cut wrapper: kept") << cut << ".BMP" << int(UnwrappedPicture::Kept) << cut;
        const QByteArray noise = QByteArray(200, '\x5A');
        QTest::newRow("unknown bytes: kept")
            << noise << ".BMP" << int(UnwrappedPicture::Kept) << noise;
    }
    void pictures() {
        QFETCH(QByteArray, value);
        QFETCH(QString, ext);
        QFETCH(int, kind);
        QFETCH(QByteArray, file);
        QVERIFY(!file.isEmpty());
        const UnwrappedPicture u = UnwrapPicture(value, ext);
        QCOMPARE(int(u.kind), kind);
        QVERIFY(u.data == file);
        if (u.kind == UnwrappedPicture::Kept) QVERIFY(!u.detail.isEmpty());
    }

    // Real OLE objects: nwind's category pictures are Paint bitmaps wrapped by
    // Access; each comes out as a bitmap Qt reads.
    void realOlePictures() {
        const QString db = out("pics.db");
        importFile(sample("mdbtestdata/nwind.mdb"), db, "windows-1252");
        SqlitePtr con = openDb(db);
        StmtPtr st = prepare(con.get(), "select Picture from Categories");
        int n = 0;
        while (sqlite3_step(st.get()) == SQLITE_ROW) {
            const QByteArray v(static_cast<const char*>(sqlite3_column_blob(st.get(), 0)),
                               sqlite3_column_bytes(st.get(), 0));
            const UnwrappedPicture u = UnwrapPicture(v, ".BMP");
            QCOMPARE(int(u.kind), int(UnwrappedPicture::Unwrapped));
            QCOMPARE(u.data.left(2), QByteArray("BM"));
            QCOMPARE(qsizetype(qFromLittleEndian<quint32>(u.data.constData() + 2)), u.data.size());
            QVERIFY(v.contains(u.data));
            QVERIFY(!QImage::fromData(u.data, "BMP").isNull());
            ++n;
        }
        QCOMPARE(n, 8);
    }

    // The program's own schema, made in memory (nothing here writes Access
    // files): the program's layer opens the result and seeks by its indexes.
    void programSchema() {
        MemorySource src;
        using J = JetType;
        TableDef e{
            "List_Entries",
            {col("Entry_ID", J::Long), col("Parent_ID", J::Long), col("Revision_ID", J::Long),
             col("Entry_type", J::Int), col("List_Title", J::Text), col("Entry_Short", J::Text),
             col("Sort_list", J::Long), col("Sort_Num", J::Long), col("Rich_Title", J::Memo),
             col("Rich_Text", J::Memo), col("Rich_After", J::Ole), col("Plain_Title", J::Text),
             col("Plain_Text", J::Memo), col("Picture_key", J::Int)},
            {idxDef("PrimaryKey", {0}, true), idxDef("Parent", {1})}};
        src.add(e, {{I(1), N(), I(1), I(0), T("Лист"), T(""), I(1), I(1),
                     T(rtf("\\u1051?\\u1080?\\u1089?\\u1090?")), N(), N(), T("stale"), T("stale"),
                     I(0)},
                    {I(2), I(1), I(1), I(0), T("Laser"), T("6A005"), I(1), I(2),
                     T(rtf("Laser  {\\b systems}")), T(rtf("First\\par Second")), B(rtf("after")),
                     T("stale"), N(), I(1)}});
        TableDef syn{
            "SYNONYM",
            {col("SYNONYM_ID", J::Long), col("ENTRY_ID", J::Long), col("SYN_NUMBER", J::Int),
             col("TEXT", J::Memo), col("Plain_Text", J::Memo), col("PARENT_ID", J::Long)},
            {idxDef("PrimaryKey", {0}, true), idxDef("SYN_SEARCH", {1, 2})}};
        src.add(syn, {{I(10), I(2), I(2), T("8401 10 00 00"), N(), I(0)},
                      {I(11), I(2), I(0), T(rtf("dual \\'ab use\\'bb")), N(), I(0)}});
        TableDef names{"SYN_NAME",
                       {col("REVISION_ID", J::Long), col("SYN_NUMBER", J::Int),
                        col("NAME", J::Text), col("IS_ADD_PARENT", J::Int)},
                       {idxDef("SYN_Search", {0, 1})}};
        src.add(names, {{I(1), I(2), T("УКТ ЗЕД"), I(1)}});
        TableDef com{
            "Comments",
            {col("comment_id", J::Long), col("entry_id", J::Long), col("expert_id", J::Long),
             col("rich_text", J::Memo), col("plain_text", J::Memo), col("plain_head", J::Text),
             col("mk_date", J::DateTime), col("show_in_kids", J::Bool)},
            {idxDef("PrimaryKey", {0}, true), idxDef("Comment_look", {1, 2}),
             idxDef("Comment_time", {1, 6})}};
        src.add(com, {{I(5), I(2), I(1), T(rtf("Line one\\par Line two")), N(), N(),
                       T("2024-03-14 10:20:00"), I(1)}});
        const QByteArray bmp = imageBytes("BMP"), png = imageBytes("PNG");
        TableDef pics{
            "List_pictures",
            {col("Picture_ID", J::Long), col("Entry_ID", J::Long), col("PictureTitle", J::Text),
             col("PictureExt", J::Text), col("Picture", J::Ole)},
            {idxDef("PrimaryKey", {0}, true), idxDef("Entry_ID", {1})}};
        src.add(pics, {{I(7), I(2), T("Scheme"), T(".BMP"), B(oleWrap("PBrush", bmp))},
                       {I(8), I(2), T("Photo"), T(".png"), B(png)},
                       {I(9), I(2), T("Odd"), T(".JPG"), B(oleWrap("PBrush", bmp))}});
        TableDef ex{"expert",
                    {col("expert_id", J::Long), col("expert_login", J::Text),
                     col("expert_pwd", J::Text), col("expert_name", J::Text)},
                    {idxDef("PrimaryKey", {0}, true)}};
        src.add(ex, {{I(1), T("expert"), T("pw"), T("Expert")}});

        ImportOptions o;
        o.source = "memory";
        o.target = out("program.db");
        o.force = true;
        o.recomputePlain = true;
        const ImportSummary sum = ImportTables(src, o);
        QCOMPARE(sum.picturesUnwrapped, 1);
        QVERIFY(sum.warnings.join(u'\n').contains("List_Entries.Plain_After did not exist"));
        QVERIFY(sum.warnings.join(u'\n').contains("PictureExt is \".JPG\""));

        auto db = st::db::Database::open(o.target);
        // Names: repeated ones carry their table, the others stay.
        SqlitePtr con = openDb(o.target);
        QStringList idx = column(con.get(),
                                 "select name from sqlite_master where type='index' "
                                 "and sql is not null order by name");
        // ... and the program's own index for its entry queries is added.
        QCOMPARE(idx, (QStringList{"Comment_look", "Comment_time", "Entry_ID", "List_Entries_Tree",
                                   "Parent", "SYNONYM_SYN_SEARCH", "SYN_NAME_SYN_Search"}));
        QCOMPARE(sum.added.size(), 1);
        QVERIFY(column(con.get(), "select sql from sqlite_master where name='List_Entries'")
                    .value(0)
                    .contains("\"Entry_ID\" integer constraint \"PrimaryKey\" primary key"));

        st::db::TableCursor entries(db.get(), "List_Entries");
        QVERIFY(entries.findKey({2}));
        QCOMPARE(entries.field("Plain_Title").toString(), QString(" LASER SYSTEMS "));
        QCOMPARE(entries.field("Plain_Text").toString(), QString(" FIRST SECOND "));
        QCOMPARE(entries.field("Plain_After").toString(), QString(" AFTER "));
        QVERIFY(entries.findKey({1}));
        QCOMPARE(entries.field("Plain_Title").toString(), QString::fromUtf8(" ЛИCT "));
        QVERIFY(entries.field("Plain_Text").isNull());  // no rich text, no plain text

        st::db::TableCursor syns(db.get(), "SYNONYM", "SYN_SEARCH");
        QVERIFY(syns.findKey({2, 2}));
        QCOMPARE(syns.field("Plain_Text").toString(), QString("/8401 10 00 00/"));
        QVERIFY(syns.findKey({2, 0}));
        QCOMPARE(syns.field("Plain_Text").toString(), QString(" DUAL \" USE\" "));
        st::db::TableCursor kinds(db.get(), "SYN_NAME", "SYN_Search");
        QVERIFY(kinds.findKey({1}));
        QCOMPARE(kinds.field("NAME").toString(), QString::fromUtf8("УКТ ЗЕД"));

        st::db::TableCursor comments(db.get(), "Comments", "Comment_time");
        QVERIFY(comments.findKey({2}));
        QCOMPARE(comments.field("plain_text").toString(), QString(" LINE ONE LINE TWO "));
        QCOMPARE(comments.field("plain_head").toString(), QString("Line one Line two"));
        QCOMPARE(comments.field("mk_date").toString(), QString("2024-03-14 10:20:00"));
        QCOMPARE(comments.field("show_in_kids").toInt(), 1);

        st::db::TableCursor pictures(db.get(), "List_pictures");
        QVERIFY(pictures.findKey({7}));
        QVERIFY(pictures.field("Picture").toByteArray() == bmp);
        QVERIFY(pictures.findKey({8}));
        QVERIFY(pictures.field("Picture").toByteArray() == png);
        QVERIFY(pictures.findKey({9}));
        QVERIFY(pictures.field("Picture").toByteArray() == oleWrap("PBrush", bmp));

        // The seeks the program makes use the copied indexes.
        StmtPtr eqp = prepare(con.get(),
                              "explain query plan select rowid,* from SYNONYM "
                              "where (ENTRY_ID,SYN_NUMBER)>=(2,0) order by "
                              "ENTRY_ID,SYN_NUMBER,rowid limit 1");
        QString plan;
        while (sqlite3_step(eqp.get()) == SQLITE_ROW)
            plan +=
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(eqp.get(), 3)));
        QVERIFY2(plan.contains("SYNONYM_SYN_SEARCH"), qPrintable(plan));

        // Without the option, plain columns are copied as stored.
        o.recomputePlain = false;
        ImportTables(src, o);
        SqlitePtr again = openDb(o.target);
        QCOMPARE(column(again.get(), "select Plain_Title from List_Entries order by Entry_ID"),
                 (QStringList{"stale", "stale"}));
    }

    // Bad input: a clear message, status 2, no output, nothing left behind.
    void badInput_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "missing"
                                 << "no such file";
        QTest::newRow("random bytes") << "random"
                                      << "not an Access database";
        QTest::newRow("sqlite file") << "sqlite"
                                     << "not an Access database";
        QTest::newRow("cut mid-page") << "cut"
                                      << "truncated or damaged";
        QTest::newRow("header only") << "header"
                                     << "truncated or damaged";
        QTest::newRow("catalog page zeroed") << "zeroed"
                                             << "";
        QTest::newRow("cut at a page boundary") << "pages"
                                                << "";
    }
    void badInput() {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        const QString in = out("bad-" + kind + ".mdb");
        QFile src(sample("jackcess/V2003/testV2003.mdb"));
        QVERIFY(src.open(QIODevice::ReadOnly));
        QByteArray good = src.readAll();
        QByteArray bytes;
        if (kind == u"random") {
            bytes.resize(64 * 1024);
            QRandomGenerator gen(7);
            for (char& c : bytes) c = char(gen.bounded(256));
        } else if (kind == u"sqlite") {
            QFile s(out("program.db"));
            bytes = s.open(QIODevice::ReadOnly) ? s.readAll() : QByteArray("SQLite format 3");
        } else if (kind == u"cut") {
            bytes = good.left(good.size() / 2 + 1000);
        } else if (kind == u"header") {
            bytes = good.left(4096);
        } else if (kind == u"zeroed") {
            bytes = good;
            bytes.replace(2 * 4096, 4096, QByteArray(4096, '\0'));
        } else if (kind == u"pages") {
            bytes = good.left(20 * 4096);
        }
        if (kind != u"missing") {
            QFile w(in);
            QVERIFY(w.open(QIODevice::WriteOnly));
            w.write(bytes);
        }
        const QString target = out("bad.db");
        QFile::remove(target);
        const Run r = run(kTool, {"-q", "--stall-timeout", "10", in, target});
        QVERIFY2(!r.crashed, r.err.constData());
        QVERIFY2(r.status == 2 || (r.status == 0 && kind == u"pages"), r.err.constData());
        if (r.status == 2) {
            QVERIFY(r.err.contains("searchtool-import: "));
            QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
            QVERIFY(!QFile::exists(target));
        }
        QVERIFY(leftovers().isEmpty());
    }

    void existingOutput() {
        const QString in = sample("jackcess/V2003/testV2003.mdb");
        const QString target = out("exists.db");
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("precious");
        f.close();
        Run r = run(kTool, {in, target});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains("--force"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("precious"));
        f.close();
        r = run(kTool, {"--force", in, target});
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.contains("[1/4]"));  // progress, table by table
        QVERIFY(r.out.contains("tables: 4"));
        QVERIFY(LooksLikeAccessFile(in));
        QVERIFY(!LooksLikeAccessFile(target));
        QVERIFY(openDb(target));
        // The input itself is never a target, forced or not.
        QFile::copy(in, out("self.mdb"));
        r = run(kTool, {"--force", out("self.mdb"), out("self.mdb")});
        QCOMPARE(r.status, 1);
        QVERIFY(LooksLikeAccessFile(out("self.mdb")));
        QCOMPARE(run(kTool, {"--codepage", "no-such-page", in, out("x.db")}).status, 1);
        QCOMPARE(run(kTool, {in}).status, 1);
        QVERIFY(run(kTool, {"--help"}).out.contains("--recompute-plain"));
        QVERIFY(leftovers().isEmpty());
    }

    // Stopped from the progress report: no target, no temporary file.
    void cancelLeavesNothing() {
        ImportOptions o;
        o.source = sample("mdbtestdata/nwind.mdb");
        o.target = out("cancelled.db");
        QString temp;
        o.tempFile = [&](const QString& p) {
            if (!p.isEmpty()) temp = p;
        };
        int calls = 0;
        o.progress = [&](const ImportProgress&) { return ++calls < 4; };
        try {
            ImportAccessDatabase(o);
            QFAIL("not stopped");
        } catch (const ImportError& e) {
            QCOMPARE(int(e.status()), int(ImportError::Cancelled));
        }
        QVERIFY(!temp.isEmpty());
        QVERIFY(!QFile::exists(temp));
        QVERIFY(!QFile::exists(o.target));
    }

    // Killed at any moment, the target is either absent or complete.
    void killedImportLeavesNoHalfFile_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGKILL") << int(SIGKILL);
    }
    void killedImportLeavesNoHalfFile() {
        QFETCH(int, signal);
        const QString in = sample("jackcess/V2003/testV2003.mdb");
        const QString full = out("full.db");
        importFile(in, full, "windows-1251");
        const QString count =
            "select (select count(*) from Table1)||'/'||(select count(*) from "
            "sqlite_master)";
        const QStringList want = column(openDb(full).get(), count);
        int interrupted = 0;
        for (int delayMs : {0, 2, 5, 10, 20, 40, 80}) {
            const QString target = out("killed.db");
            QFile::remove(target);
            QProcess p;
            p.start(kTool, {"-q", in, target});
            QVERIFY(p.waitForStarted());
            QThread::msleep(delayMs);
            ::kill(pid_t(p.processId()), signal);
            QVERIFY(p.waitForFinished(30000));
            if (QFile::exists(target)) {
                QCOMPARE(column(openDb(target).get(), count), want);
            } else {
                ++interrupted;
                if (signal == SIGTERM) {
                    QVERIFY2(leftovers().isEmpty(), qPrintable(leftovers().join(u' ')));
                    QVERIFY(p.exitStatus() == QProcess::CrashExit || p.exitCode() == 130);
                }
            }
            for (const QString& l : leftovers()) QFile::remove(dir.filePath(l));  // SIGKILL's
        }
        QVERIFY(interrupted > 0);
    }

    void probe_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("looksLike");
        QTest::addColumn<int>("version");
        QTest::newRow("Jet 3") << sample("mdbtestdata/nwind.mdb") << true << 0;
        QTest::newRow("Jet 4") << sample("jackcess/V2003/testV2003.mdb") << true << 1;
        QTest::newRow("ACE") << sample("jackcess/V2010/testV2010.accdb") << true << 3;
        QTest::newRow("not Access") << QString(ST_SOURCE_DIR "/CMakeLists.txt") << false << -1;
        QTest::newRow("missing") << out("none.mdb") << false << -1;
    }
    void probe() {
        QFETCH(QString, file);
        QFETCH(bool, looksLike);
        QFETCH(int, version);
        QCOMPARE(LooksLikeAccessFile(file), looksLike);
        const AccessHeader h = ProbeAccessFile(file);
        QCOMPARE(h.ok, looksLike);
        QCOMPARE(h.version, version);
        QCOMPARE(h.problem.isEmpty(), looksLike);
    }
};

QTEST_MAIN(TestImport)
#include "tst_import.moc"
