#pragma once

#include <QStyledItemDelegate>

// Paints a sidebar row: a rounded selection, the symbol, the name and the
// count in a capsule badge at the trailing edge; the "Tags" heading as a
// small dimmed caption.
class TagSidebarDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
