// The cost of the entry tree on a 100 000-entry list, against merely stepping
// the rows of the same query. usage: QT_QPA_PLATFORM=offscreen bench_tree
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTreeView>

#include "bench/benchutil.h"
#include "db/database.h"
#include "db/query.h"
#include "tree/treev.h"

using st::bench::ms;
using st::db::Database;
using st::db::Query;

namespace {

const int kEntries = 100000;

// One list: 10 categories, each with 10 groups, ... down to depth 6.
void makeList(Database& db) {
    st::db::Transaction tr(db);
    st::db::Statement st(db.handle(),
                         "insert into List_Entries (Entry_ID, Parent_ID, Revision_ID, Entry_type, "
                         "List_Title, Sort_list, Sort_Num, Picture_key) values (?,?,1,0,?,1,?,?)");
    int next = 1;
    std::vector<int> parents{0};
    auto add = [&](int parent) {
        const int id = next++;
        st.bind(1, id);
        st.bind(2, parent ? QVariant(parent) : QVariant());
        st.bind(3, QStringLiteral("Позиція %1: обладнання та software для насосів").arg(id));
        st.bind(4, id);
        st.bind(5, id % 97 == 0 ? 1 : 0);
        st.step();
        st.reset();
        return id;
    };
    // Depth-first so that ids are in document order.
    std::function<void(int, int)> grow = [&](int parent, int depth) {
        const int fan = depth == 0 ? 1 : (depth < 5 ? 10 : 9);
        for (int i = 0; i < fan && next <= kEntries; ++i) {
            const int id = add(parent);
            if (depth < 5) grow(id, depth + 1);
        }
    };
    grow(0, 0);
    while (next <= kEntries) add(1);
    tr.commit();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    {
        auto db = Database::create(dir.filePath("big.db"));
        makeList(*db);
    }
    auto db = Database::open(dir.filePath("big.db"));
    st::tree::TfamTreeV tree;
    tree.SetDatabase(db.get());
    tree.qrySelectAll.setSQL(
        "select Entry_id, List_Title, Parent_id, Entry_type, Picture_key, Revision_id\n"
        "from List_entries\nwhere Revision_id in (-153)\norder by Sort_list,Sort_Num");
    tree.FillHeads();
    tree.ChangeSQL(tree.qrySelectAll);
    tree.resize(600, 800);
    tree.show();
    QTextStream out(stdout);

    int rows = 0;
    const double step = ms([&] {
        Query q(db.get(), tree.qrySelectAll.sql());
        for (q.open(); !q.eof(); q.next()) {
            for (int c = 0; c < 6; ++c) q.field(c);
            ++rows;
        }
    });
    const double fill1 = ms([&] {
        tree.qrySelectAll.open();
        tree.FillTree1(tree.qrySelectAll, st::tree::laxNo);
    });
    tree.FullShown = false;
    const double refill = ms([&] {  // clearing the first tree included
        tree.qrySelectAll.open();
        tree.FillTree1(tree.qrySelectAll, st::tree::laxNo);
    });
    Query hits(db.get(),
               "select Entry_id, List_Title, Parent_id, Entry_type, Revision_id, Picture_key "
               "from List_entries where Entry_ID % 10 = 0 order by Sort_list,Sort_Num");
    const double fill0 = ms([&] { tree.FillTree0(hits, st::tree::laxAuto); });
    Query filtered(db.get(), hits.sql());
    const double filteredFill = ms([&] { tree.FillTree1(filtered, st::tree::laxAuto); });
    tree.FillTree0(hits, st::tree::laxAuto);
    int steps = 0;
    const double nav = ms([&] {
        tree.MarkFirst();
        for (int last = -1; tree.selectedNode() != last; ++steps) {
            last = tree.selectedNode();
            tree.MarkNext();
        }
    });
    app.processEvents();
    out << "entries: " << rows << " (nodes " << tree.model()->count() << ")\n";
    out << "step the rows (baseline):        " << step << " ms\n";
    out << "FillTree1 whole list:            " << fill1 << " ms  (" << fill1 / step << "x)\n";
    out << "FillTree1 again (clear + fill):  " << refill << " ms  (" << refill / step << "x)\n";
    out << "FillTree0 marking 10000 hits:    " << fill0 << " ms  (" << fill0 / step << "x)\n";
    out << "FillTree1 of the 10000 hits:     " << filteredFill << " ms  (" << filteredFill / step
        << "x)\n";
    out << "navigation first to last hit:    " << nav << " ms for " << steps << " steps ("
        << nav * 1000 / std::max(steps, 1) << " us each)\n";
    return 0;
}
