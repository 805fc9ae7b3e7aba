#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "db/database.h"
#include "db/query.h"

class QWidget;

namespace st::tree {

// Paths deeper than this are cut: such nodes hang under the level-12 node.
constexpr int kPathLevels = 14;

// Every entry of the visible lists in document order.
extern const QString kWholeListSQL;
// The list heads (lists and groups of lists) in document order.
extern const QString kHeadsSQL;

// One list head with its visibility.
struct TLRevsInfo {
    int rev_id = 0;
    quint8 typ = 0;               // 1 a list, 0 a group of lists
    bool fshow = true;            // visible
    int trPosition = -1;          // the head's tree node, -1 when not placed
    QStringList syNames;          // synonym kind names of the list, filled on first use
    QList<int> syCodes;           // the kind codes of syNames
    QList<int> rrids;             // referred revision of each kind
    QWidget* chbAsker = nullptr;  // its control on the list selector
    bool isSaved = false;
};

// Reads the heads of qryGetHeads (kHeadsSQL); a head already in `old` keeps
// its visibility.
QList<TLRevsInfo> ReadListHeads(st::db::Query& qryGetHeads, const QList<TLRevsInfo>& old);
// The revision filter of the visible lists: "0,Entry_id,..." with the heads
// shown, "-153" (nothing) when no list is visible.
QString MakeVisibleLists(const QList<TLRevsInfo>& heads, bool showHeads);
// Puts the filter into the first "Revision_id in (...)" of a query text.
QString ApplyVisibleLists(const QString& sql, const QString& visibles);

// A node of a loaded tree, in pre-order.
struct LoadedNode {
    int data = 0;     // +id a hit, -id a context node
    int parent = -1;  // node index, -1 for a root
    int level = 0;
    int parentId = 0;
    int revision = 0;
    int pictureKey = 0;
    bool hiddenHead = false;  // the head of a list that is not visible
    QString title;
    int id() const { return data < 0 ? -data : data; }
};

// Turns a result set in document order into the tree the user sees: every
// row is a hit, and the ancestors the result lacks are looked up once each
// and become context nodes.
class EntryTreeLoader {
  public:
    explicit EntryTreeLoader(st::db::Database* db);
    ~EntryTreeLoader();
    // Reads q from its current row to the end.
    std::vector<LoadedNode> load(st::db::Query& q);

  private:
    bool lookUp(int id, LoadedNode& into);
    std::unique_ptr<st::db::Statement> byId_;
};

// Marks the heads among the nodes: their tree position, the deepest head
// level, and hidden heads turned into context nodes.
void PlaceHeads(std::vector<LoadedNode>& nodes, QList<TLRevsInfo>& heads, int& maxLevel);

// Marks the nodes whose entries `hits` returns as hits and all others as
// context; both are in document order, so they are walked in step.
template <class AbsAt, class SetAt>
void MarkHitsInStep(int count, AbsAt absAt, SetAt setAt, st::db::Query& hits) {
    const int cId = hits.fieldIndex(QStringLiteral("Entry_ID"));
    int a = hits.eof() ? -1 : hits.field(cId).toInt();
    for (int i = 0; i < count; ++i) {
        const int v = absAt(i);
        if (v == a) {
            setAt(i, v);
            hits.next();
            a = hits.eof() ? -1 : hits.field(cId).toInt();
        } else {
            setAt(i, -v);
        }
    }
}

}  // namespace st::tree
