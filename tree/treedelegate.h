#pragma once
#include <QStyledItemDelegate>

namespace st::tree {

class TfamTreeV;

// Draws a node as usual, then, for hit nodes, the characters of every
// pattern hit over it in the frame's FoundColor.
class TreeHitDelegate : public QStyledItemDelegate {
  public:
    explicit TreeHitDelegate(TfamTreeV* frame);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

  private:
    TfamTreeV* frame_;
};

}  // namespace st::tree
