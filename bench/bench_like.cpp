// Cost of the Unicode case-blind LIKE against SQLite's own (ASCII-only)
// LIKE, on the demo list grown to about 20000 entries.
// usage: bench_like [repeats]
#include <sqlite3.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include "db/database.h"
#include "db/query.h"
#include "tools/builder.h"

namespace {

const char* kSql =
    "select count(*) from List_Entries where Plain_Title like '%LASER%' or "
    "Plain_Text like '%LASER%' or Plain_After like '%ЛAЗEP%'";

double timeIt(int repeats, const std::function<void()>& run) {
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < repeats; ++i) run();
    return double(t.nsecsElapsed()) / 1e6 / repeats;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int repeats = argc > 1 ? atoi(argv[1]) : 20;
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.db");
    st::tools::BuildDatabaseFromFile(ST_SOURCE_DIR "/demo/demo.json", path);
    {
        auto db = st::db::Database::open(path);
        for (int i = 0; i < 5; ++i)  // 625 -> 20000 rows
            db->exec(
                "insert into List_Entries (Parent_ID, Revision_ID, Entry_type, List_Title, "
                "Sort_list, Sort_Num, Plain_Title, Plain_Text, Plain_After) select Parent_ID, "
                "Revision_ID, Entry_type, List_Title, Sort_list, Sort_Num, Plain_Title, "
                "Plain_Text, Plain_After from List_Entries");
    }
    QTextStream out(stdout);

    sqlite3* raw = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    int baseCount = 0;
    const double base = timeIt(repeats, [&] {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(raw, kSql, -1, &st, nullptr);
        sqlite3_step(st);
        baseCount = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
    });
    sqlite3_close(raw);

    auto db = st::db::Database::open(path);
    st::db::Query q(db.get(), QString::fromUtf8(kSql));
    int ourCount = 0;
    const double ours = timeIt(repeats, [&] {
        q.open();
        ourCount = q.field(0).toInt();
        q.close();
    });

    out << "rows scanned: 20000, repeats: " << repeats << "\n";
    out << "sqlite LIKE (baseline): " << base << " ms/query, " << baseCount << " hits\n";
    out << "unicode LIKE:           " << ours << " ms/query, " << ourCount << " hits\n";
    out << "ratio: " << ours / base << "x\n";
    return 0;
}
