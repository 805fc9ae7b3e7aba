// Batch screening: `searchtool-cli screen` of 1 000 customs codes against the
// 100 000-entry benchmark database, against the same code queries run alone
// on a bare SQLite connection, and the start of the program doing nothing.
// usage: bench_screen [database]
#include <sqlite3.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include "bench/benchutil.h"
#include "search/codeformat.h"
#include "tools/generator.h"
#include "tree/treeload.h"

using st::bench::ms;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QString path =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/st_bench_100k.db");
    if (!QFileInfo::exists(path)) st::tools::GenerateLargeDatabase(path, 100000);
    const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/searchtool-cli");

    // 1 000 codes: stored ones cut to 4, 6, 8 or 10 digits, and a tenth that no entry has.
    sqlite3* raw = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    QStringList stored;
    {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(raw, "select Plain_Text from SYNONYM where SYN_NUMBER=2", -1, &st,
                           nullptr);
        while (sqlite3_step(st) == SQLITE_ROW)
            stored << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)))
                          .split(u'/', Qt::SkipEmptyParts)
                          .value(0);
        sqlite3_finalize(st);
    }
    QRandomGenerator rng(7);
    QStringList codes;
    for (int i = 0; i < 1000; ++i) {
        if (i % 10 == 9) {
            codes << QStringLiteral("0000 %1").arg(i, 2, 10, QChar(u'0')).left(7);
            continue;
        }
        const QString c = stored[int(rng.bounded(qsizetype(stored.size())))];
        static const int cuts[] = {4, 7, 10, 13};
        codes << c.left(cuts[rng.bounded(4)]);
    }
    QTemporaryDir dir;
    QFile f(dir.filePath("codes.txt"));
    f.open(QIODevice::WriteOnly);
    f.write(codes.join(u'\n').toUtf8() + '\n');
    f.close();

    auto runCli = [&](const QStringList& args) {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(cli, QStringList{"--db", path} + args);
        p.waitForFinished(-1);
        return QString::fromUtf8(p.readAllStandardError()).trimmed();
    };
    QString summary;
    const double screen = ms([&] { summary = runCli({"screen", "--csv", "codes.txt"}); });
    const double start = ms([&] { runCli({"rtf2txt", "--help"}); });
    const double lists = ms([&] { runCli({"lists"}); });
    // The same 1 000 queries on a bare connection, rows stepped, no tree.
    int rows = 0;
    const double bare = ms([&] {
        for (const QString& c : codes) {
            const QString shaped = st::search::FormatCodeText({c, 0, 0}, st::search::kUKTMask).text;
            const QString sql = st::tree::ApplyVisibleLists(st::search::MakeUKT_SQL(shaped, false),
                                                            QStringLiteral("0,Entry_id,1"));
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(raw, sql.toUtf8().constData(), -1, &st, nullptr);
            while (sqlite3_step(st) == SQLITE_ROW) ++rows;
            sqlite3_finalize(st);
        }
    });
    sqlite3_close(raw);
    out << "screen of 1000 codes: " << screen << " ms (" << summary << ")\n"
        << "  bare SQLite, the same 1000 queries: " << bare << " ms, " << rows << " rows ("
        << screen / bare << "x)\n"
        << "  program start alone: " << start << " ms; 'lists': " << lists << " ms\n";
    return 0;
}
