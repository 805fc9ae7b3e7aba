#include "tree/treemodel.h"

#include <QPainter>

namespace st::tree {

const QColor EntryTreeModel::kContextColor(128, 128, 128);

namespace {

// The state markers: 11 x 16 images; image 0 never shows.
QPixmap marker(int kind) {
    QPixmap p(11, 16);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    if (kind == 1) {  // dark red cross: a hidden list
        g.setPen(QPen(QColor(139, 0, 0), 2));
        g.drawLine(2, 4, 9, 11);
        g.drawLine(9, 4, 2, 11);
    } else if (kind == 2 || kind == 3) {  // a small picture
        const QColor frame = kind == 2 ? QColor(0, 0, 128) : QColor(150, 150, 190);
        const QColor sky = kind == 2 ? QColor(80, 160, 255) : QColor(200, 220, 245);
        const QColor hill = kind == 2 ? QColor(0, 140, 0) : QColor(180, 220, 180);
        g.fillRect(1, 4, 9, 8, sky);
        g.setPen(Qt::NoPen);
        g.setBrush(hill);
        g.drawPolygon(QPolygon({{1, 12}, {4, 7}, {7, 10}, {10, 6}, {10, 12}}));
        g.setPen(frame);
        g.setBrush(Qt::NoBrush);
        g.drawRect(1, 4, 8, 7);
    }
    return p;
}

}  // namespace

EntryTreeModel::EntryTreeModel(QObject* parent) : QAbstractItemModel(parent) {
    for (int i = 1; i < 4; ++i) markers_[i] = marker(i);
}

void EntryTreeModel::beginFill() {
    beginResetModel();
    nodes_.clear();
    roots_.clear();
    byId_.clear();
    byIdValid_ = false;
}

void EntryTreeModel::endFill() {
    endResetModel();
}

int EntryTreeModel::append(int parent, int data, const QString& caption) {
    Node n;
    n.data = data;
    n.parent = parent;
    n.caption = caption;
    const int index = int(nodes_.size());
    if (parent < 0) {
        n.row = int(roots_.size());
        roots_.append(index);
    } else {
        Node& p = nodes_[size_t(parent)];
        n.row = int(p.kids.size());
        n.level = p.level + 1;
        p.kids.append(index);
    }
    nodes_.push_back(std::move(n));
    byIdValid_ = false;
    return index;
}

void EntryTreeModel::refresh() {
    byIdValid_ = false;
    if (nodes_.empty()) return;
    // Every node may have changed; a layout change repaints without a reset.
    emit layoutAboutToBeChanged();
    emit layoutChanged();
}

QModelIndex EntryTreeModel::indexOfNode(int i) const {
    if (i < 0 || i >= count()) return {};
    return createIndex(nodes_[size_t(i)].row, 0, quintptr(i));
}

int EntryTreeModel::nodeOf(const QModelIndex& index) const {
    return index.isValid() ? int(index.internalId()) : -1;
}

int EntryTreeModel::findId(int id) const {
    if (!byIdValid_) {
        byId_.clear();
        byId_.reserve(count());
        for (int i = count() - 1; i >= 0; --i) byId_.insert(std::abs(nodes_[size_t(i)].data), i);
        byIdValid_ = true;
    }
    return byId_.value(std::abs(id), -1);
}

QModelIndex EntryTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    const QList<int>& list = parent.isValid() ? nodes_[parent.internalId()].kids : roots_;
    if (row >= list.size()) return {};
    return createIndex(row, 0, quintptr(list[row]));
}

QModelIndex EntryTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) return {};
    return indexOfNode(nodes_[child.internalId()].parent);
}

int EntryTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    return int(parent.isValid() ? nodes_[parent.internalId()].kids.size() : roots_.size());
}

int EntryTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant EntryTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const Node& n = nodes_[index.internalId()];
    switch (role) {
        case Qt::DisplayRole:
            return n.caption;
        case Qt::ForegroundRole:
            if (n.data <= 0) return kContextColor;
            return {};
        case Qt::DecorationRole:
            if (n.state > 0 && n.state < 4) return markers_[n.state];
            return {};
        case NodeDataRole:
            return n.data;
        default:
            return {};
    }
}

Qt::ItemFlags EntryTreeModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace st::tree
