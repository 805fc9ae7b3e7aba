#include "search/searchrun.h"

namespace st::search {

using st::tree::LoadedNode;

const QString kWholeListSearchSQL = QStringLiteral(
    "select Entry_id, List_Title, Parent_id, Entry_type, Picture_key, Revision_id\n"
    "from List_entries\n"
    "where Revision_id in (-153)\n"
    "order by Sort_list,Sort_Num");

void ApplyExcludedLists(QList<st::tree::TLRevsInfo>& heads, const QList<int>& excluded) {
    for (int id : excluded)
        for (st::tree::TLRevsInfo& head : heads)
            if (head.rev_id == id) {
                head.fshow = false;
                break;
            }
}

int SearchTree::hitCount() const {
    int n = 0;
    for (const LoadedNode& node : nodes) n += node.data > 0;
    return n;
}

SearchTree LoadSearchTree(st::db::Database* db, st::db::Query& hits, ListMode mode,
                          QList<st::tree::TLRevsInfo>& heads, const QString& visibles) {
    SearchTree t;
    st::db::ReadTransaction snapshot(db);
    st::tree::EntryTreeLoader loader(db);
    hits.close();
    hits.setSQL(st::tree::ApplyVisibleLists(hits.sql(), visibles));
    if (mode == ListMode::Filtered) {
        hits.open();
        t.nodes = loader.load(hits);
        st::tree::PlaceHeads(t.nodes, heads, t.maxLevel);
    } else {
        st::db::Query whole(db, st::tree::ApplyVisibleLists(kWholeListSearchSQL, visibles));
        whole.open();
        t.nodes = loader.load(whole);
        st::tree::PlaceHeads(t.nodes, heads, t.maxLevel);
        hits.open();
        st::tree::MarkHitsInStep(
            int(t.nodes.size()), [&](int i) { return t.nodes[size_t(i)].id(); },
            [&](int i, int v) { t.nodes[size_t(i)].data = v; }, hits);
    }
    hits.close();
    return t;
}

}  // namespace st::search
