#include "tree/treeload.h"

namespace st::tree {

using st::db::Query;

const QString kWholeListSQL = QStringLiteral(
    "select Entry_id, List_Title, Parent_id, Entry_type, Revision_id\n"
    "from List_entries\n"
    "where Revision_id in (-15)\n"
    "order by Sort_list,Sort_Num");
const QString kHeadsSQL = QStringLiteral(
    "select entry_id, Revision_id from List_entries\n"
    "where (entry_id=Revision_id) or (Revision_id is NULL) or (Revision_id=0) \n"
    "order by Sort_list,Sort_Num");

QList<TLRevsInfo> ReadListHeads(Query& qryGetHeads, const QList<TLRevsInfo>& old) {
    QList<TLRevsInfo> heads;
    heads.reserve(20);
    for (qryGetHeads.open(); !qryGetHeads.eof(); qryGetHeads.next()) {
        TLRevsInfo h;
        h.rev_id = qryGetHeads.field(QStringLiteral("entry_id")).toInt();
        h.typ = qryGetHeads.field(QStringLiteral("Revision_ID")).toInt() != 0 ? 1 : 0;
        for (const TLRevsInfo& o : old)
            if (o.rev_id == h.rev_id && o.typ == h.typ) {
                h.fshow = o.fshow;
                break;
            }
        heads.append(h);
    }
    qryGetHeads.close();
    return heads;
}

QString MakeVisibleLists(const QList<TLRevsInfo>& heads, bool showHeads) {
    QString s = showHeads ? QStringLiteral("0,Entry_id") : QString();
    for (const TLRevsInfo& h : heads) {
        if (!h.fshow) continue;
        if (!s.isEmpty()) s += u',';
        s += QString::number(h.rev_id);
    }
    return s.isEmpty() ? QStringLiteral("-153") : s;
}

QString ApplyVisibleLists(const QString& text, const QString& visibles) {
    static const QString key = QStringLiteral("Revision_id in (");
    const qsizetype at = text.indexOf(key);  // exact case
    if (at < 0) return text;
    const qsizetype open = at + key.size();
    const qsizetype close = text.indexOf(u')', open);
    if (close < 0) return text;
    return text.left(open) + visibles + text.mid(close);
}

EntryTreeLoader::EntryTreeLoader(st::db::Database* db) {
    // Only the columns a node needs: the cursor would read whole records,
    // rich texts included, for every missing ancestor.
    const bool pictures =
        db->hasColumn(QStringLiteral("List_Entries"), QStringLiteral("Picture_key"));
    byId_ = std::make_unique<st::db::Statement>(
        db->handle(), QStringLiteral("select Parent_ID, Revision_ID, List_Title, %1 from "
                                     "List_Entries where Entry_ID = ?")
                          .arg(pictures ? QStringLiteral("Picture_key") : QStringLiteral("0")));
}

EntryTreeLoader::~EntryTreeLoader() = default;

bool EntryTreeLoader::lookUp(int id, LoadedNode& into) {
    byId_->reset();
    byId_->bind(1, id);
    if (!byId_->step()) return false;
    into.data = -id;
    into.parentId = byId_->intValue(0);
    into.revision = byId_->intValue(1);
    into.title = byId_->textValue(2);
    into.pictureKey = byId_->intValue(3);
    return true;
}

std::vector<LoadedNode> EntryTreeLoader::load(Query& q) {
    std::vector<LoadedNode> nodes;
    const int cId = q.fieldIndex(QStringLiteral("Entry_ID"));
    const int cTitle = q.fieldIndex(QStringLiteral("List_Title"));
    const int cParent = q.fieldIndex(QStringLiteral("Parent_ID"));
    const int cRev = q.fieldIndex(QStringLiteral("Revision_id"));
    const int cPic = q.fieldIndex(QStringLiteral("Picture_key"));
    // The rightmost branch: (entry id, node) of each level.
    std::pair<int, int> path[kPathLevels];
    int depth = 0;
    auto place = [&](LoadedNode&& n) {
        // Past 14 levels a node goes under the level-12 node and is not pushed.
        n.parent = depth == 0             ? -1
                   : depth >= kPathLevels ? path[12].second
                                          : path[depth - 1].second;
        n.level = n.parent < 0 ? 0 : nodes[size_t(n.parent)].level + 1;
        const int id = n.id();
        nodes.push_back(std::move(n));
        if (depth < kPathLevels) path[depth++] = {id, int(nodes.size()) - 1};
    };
    std::vector<LoadedNode> missing;
    for (; !q.eof(); q.next()) {
        LoadedNode r;
        r.data = q.intField(cId);
        r.title = q.textField(cTitle);
        r.parentId = q.intField(cParent);
        r.revision = q.intField(cRev);
        r.pictureKey = q.intField(cPic);
        // Where the row attaches: a level of the path, or the root.
        missing.clear();
        int p = r.parentId;
        while (true) {
            if (p <= 0) {
                depth = 0;
                break;
            }
            int k = std::min(depth, kPathLevels) - 1;
            while (k >= 0 && path[k].first != p) --k;
            if (k >= 0) {
                depth = k + 1;
                break;
            }
            LoadedNode a;
            if (missing.size() == size_t(kPathLevels) || !lookUp(p, a)) {
                depth = 0;
                break;
            }
            p = a.parentId;
            missing.push_back(std::move(a));
        }
        for (auto it = missing.rbegin(); it != missing.rend(); ++it) place(std::move(*it));
        place(std::move(r));
    }
    return nodes;
}

void PlaceHeads(std::vector<LoadedNode>& nodes, QList<TLRevsInfo>& heads, int& maxLevel) {
    maxLevel = 0;
    for (TLRevsInfo& h : heads) h.trPosition = -1;
    int headStart = 0;
    for (int n = 0; n < int(nodes.size()); ++n) {
        LoadedNode& node = nodes[size_t(n)];
        const int id = node.id();
        if (node.revision != id && node.revision != 0) continue;
        for (int i = headStart; i < heads.size(); ++i) {
            if (heads[i].rev_id != id) continue;
            heads[i].trPosition = n;
            headStart = i + 1;
            maxLevel = std::max(maxLevel, node.level);
            if (!heads[i].fshow) {
                node.data = -id;
                node.hiddenHead = true;
            }
            break;
        }
    }
}

}  // namespace st::tree
