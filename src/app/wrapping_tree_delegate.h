#pragma once

#include <QStyledItemDelegate>

// Rows of a narrow tree as tall as their wrapped caption needs, so that a
// long caption shows whole on two lines instead of being cut short.
class WrappingTreeDelegate : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WrappingTreeDelegate)

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
