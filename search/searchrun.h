#pragma once
#include <QList>
#include <QString>
#include <vector>

#include "db/database.h"
#include "db/query.h"
#include "tree/treeload.h"

namespace st::search {

// The main window's whole list: every entry of the visible lists.
extern const QString kWholeListSearchSQL;

// The two list modes of the results: every entry with the hits marked, or
// the hits with their ancestors.
enum class ListMode { Full = 1, Filtered = 2 };

// Hides the heads the settings exclude.
void ApplyExcludedLists(QList<st::tree::TLRevsInfo>& heads, const QList<int>& excluded);

// The tree a search shows, computed as the main window computes it: `hits`
// is an entry query whose visible-list placeholder is filled in here. The
// heads get their tree positions.
struct SearchTree {
    std::vector<st::tree::LoadedNode> nodes;
    int maxLevel = 0;
    int hitCount() const;
};
SearchTree LoadSearchTree(st::db::Database* db, st::db::Query& hits, ListMode mode,
                          QList<st::tree::TLRevsInfo>& heads, const QString& visibles);

}  // namespace st::search
