#include "wrapping_tree_delegate.h"

#include <QStyle>
#include <QTreeView>

QSize WrappingTreeDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const auto* tree = qobject_cast<const QTreeView*>(option.widget);
    if (!tree)
        return QStyledItemDelegate::sizeHint(option, index);
    int depth = tree->rootIsDecorated() ? 1 : 0;
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        ++depth;
    // The room the caption has: the tree less its frame, the indentation and
    // a vertical scroll bar, which a tree of wrapped rows may well need.
    const int room = tree->width() - 2 * tree->frameWidth() -
                     tree->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, tree) -
                     depth * tree->indentation();
    QStyleOptionViewItem wrapped = option;
    wrapped.rect = QRect(0, 0, qMax(room, 1), 1);
    return QStyledItemDelegate::sizeHint(wrapped, index);
}
