#include "tree/treedelegate.h"

#include <QApplication>
#include <QPainter>

#include "tree/treev.h"

namespace st::tree {

TreeHitDelegate::TreeHitDelegate(TfamTreeV* frame) : QStyledItemDelegate(frame), frame_(frame) {}

void TreeHitDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    if (index.data(EntryTreeModel::NodeDataRole).toInt() <= 0) return;
    const QString caption = index.data(Qt::DisplayRole).toString();
    const auto hits = frame_->captionHits(caption);
    if (hits.isEmpty()) return;

    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, opt.widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, opt.widget) + 1;
    const QFontMetrics fm(opt.font);
    const int baseline = text.top() + (text.height() - fm.height()) / 2 + fm.ascent();
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(frame_->FoundColor);
    for (const auto& [start, length] : hits) {
        // Measured in the node's font, so the overdrawn letters sit exactly
        // on the caption's own.
        const int x = text.left() + margin + fm.horizontalAdvance(caption.left(start));
        painter->drawText(QPoint(x, baseline), caption.mid(start, length));
    }
    painter->restore();
}

}  // namespace st::tree
