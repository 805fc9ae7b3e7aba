// The quick search on a generated list of 100 000 entries: end to end
// (query, tree fill, expansion, first paint, first entry composed), against
// the same SQL on SQLite's own LIKE and a plain in-memory substring scan.
// usage: QT_QPA_PLATFORM=offscreen bench_search [database]
#include <sqlite3.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTreeView>
#include <cstring>

#include "bench/benchutil.h"
#include "db/database.h"
#include "db/query.h"
#include "db/unicode.h"
#include "search/quicksearch.h"
#include "text/arshower.h"
#include "tools/generator.h"
#include "tree/treev.h"

using st::bench::ms;
using st::db::Database;

namespace {}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const QString path =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/st_bench_100k.db");
    if (!QFileInfo::exists(path)) {
        const double gen = ms([&] { st::tools::GenerateLargeDatabase(path, 100000); });
        out << "generated " << path << " in " << gen << " ms\n";
    }
    auto db = Database::open(path);
    const double load = ms([&] { st::db::RefreshSearchColumnCache(db->handle()); });
    out << "search-column cache loaded in " << load << " ms (once per change of the file)\n";

    // The four columns in memory, as the physical limit of a scan.
    std::vector<std::string> columns;
    size_t bytes = 0;
    {
        st::db::Query q(
            db.get(), "select List_Title, Plain_Title, Plain_Text, Plain_After from List_Entries");
        for (q.open(); !q.eof(); q.next())
            for (int c = 0; c < 4; ++c) {
                columns.push_back(q.field(c).toString().toStdString());
                bytes += columns.back().size();
            }
    }
    out << "entries: 100000, four columns: " << bytes / 1e6 << " MB\n";

    st::tree::TfamTreeV tree;
    tree.SetDatabase(db.get());
    tree.FillHeads();
    tree.showExpanded = true;
    st::text::TfamArShower shower;
    QStringList patterns;
    shower.RegisterMe(&tree, false);
    shower.setPatterns(&patterns);
    tree.resize(500, 700);
    shower.resize(600, 700);
    tree.show();
    shower.show();
    app.processEvents();

    sqlite3* raw = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);

    for (const QString& word : {u"берилієв"_qs, u"FPGA"_qs, u"насоси"_qs, u"спеціально"_qs}) {
        const st::search::QuickSearchForms f = st::search::MakeQuickSearchForms(word);
        const QByteArray literal = f.sti.mid(1, f.sti.size() - 2).toUtf8();
        int scanHits = 0;
        const double scan = ms([&] {
            for (size_t i = 0; i < columns.size(); i += 4) {
                bool any = false;
                for (int c = 0; c < 4 && !any; ++c)
                    any = memmem(columns[i + c].data(), columns[i + c].size(), literal.constData(),
                                 size_t(literal.size())) != nullptr;
                scanHits += any;
            }
        });
        // The same SQL on SQLite's own LIKE (ASCII case only), as the shell runs it.
        QString sql = tree.ChangeSQL(st::search::kQuickSearchSQL);
        for (const char* p : {":sti1", ":sti2", ":sti3", ":sti4"})
            sql.replace(p, u'\'' + f.sti + u'\'');
        for (const char* p : {":oti1", ":oti2", ":oti3", ":oti4"})
            sql.replace(p, u'\'' + f.oti + u'\'');
        int shellHits = 0;
        const double shell = ms([&] {
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(raw, sql.toUtf8().constData(), -1, &st, nullptr);
            while (sqlite3_step(st) == SQLITE_ROW) ++shellHits;
            sqlite3_finalize(st);
        });
        // Ours, the query alone and then the whole quick search.
        st::db::Query q(db.get(), st::search::kQuickSearchSQL);
        q.setUseSearchCache(true);
        st::search::BindQuickSearch(q, f);
        tree.ChangeSQL(q);
        int ourHits = 0;
        const double query = ms([&] {
            for (q.open(); !q.eof(); q.next()) ++ourHits;
            q.close();
        });
        double fill = 0, shown = 0;
        const double whole = ms([&] {
            st::search::FillHiStarWords(patterns, word, true);
            tree.NotifyAll(-1, false);
            fill = ms([&] {
                q.open();
                tree.FillTree1(q, st::tree::laxAuto);
                q.close();
            });
            shown = ms([&] {
                tree.MarkFirst();
                app.processEvents();  // first paint, and the composition it posted
                while (shower.isComposing()) app.processEvents();
            });
        });
        out << word << ": " << ourHits << " hits (shell " << shellHits << ", scan " << scanHits
            << ")\n  scan " << scan << " ms | sqlite LIKE " << shell << " ms | ours: query "
            << query << " ms (" << query / scan << "x scan), end to end " << whole
            << " ms (tree " << fill << ", first entry " << shown << ")\n";
    }
    sqlite3_close(raw);
    return 0;
}
