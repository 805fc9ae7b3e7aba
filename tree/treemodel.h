#pragma once
#include <QAbstractItemModel>
#include <QColor>
#include <QList>
#include <QPixmap>
#include <QString>
#include <vector>

namespace st::tree {

// The entry tree as a flat store in pre-order: nodes are only ever appended
// as the last child of a node on the rightmost branch, so the index order is
// the pre-order and walks, hit navigation and id look-ups stay cheap.
class EntryTreeModel : public QAbstractItemModel {
    Q_OBJECT
  public:
    struct Node {
        int data = 0;     // +id hit, -id context, 0 placeholder
        int parent = -1;  // -1: a root
        int row = 0;
        int level = 0;
        quint8 state = 0;  // 1 hidden head, 2 hit with pictures, 3 context with pictures
        QString caption;
        QList<int> kids;
    };

    explicit EntryTreeModel(QObject* parent = nullptr);

    // Filling: clear, append, end. Views see one reset.
    void beginFill();
    void endFill();
    int append(int parent, int data, const QString& caption);
    void reserve(int n) { nodes_.reserve(size_t(n)); }

    int count() const { return int(nodes_.size()); }
    const Node& node(int i) const { return nodes_[size_t(i)]; }
    void setNodeData(int i, int data) { nodes_[size_t(i)].data = data; }
    void setNodeState(int i, quint8 state) { nodes_[size_t(i)].state = state; }
    // Tells views that node data and markers changed, without a reset.
    void refresh();

    QModelIndex indexOfNode(int i) const;
    int nodeOf(const QModelIndex& index) const;  // -1 for none
    // First node in pre-order whose |data| is id, or -1.
    int findId(int id) const;

    // QAbstractItemModel
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    static constexpr int NodeDataRole = Qt::UserRole + 1;
    static const QColor kContextColor;

  private:
    std::vector<Node> nodes_;
    QList<int> roots_;
    mutable QHash<int, int> byId_;  // built on first look-up after a change
    mutable bool byIdValid_ = false;
    QPixmap markers_[4];
};

}  // namespace st::tree
