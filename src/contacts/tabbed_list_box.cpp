#include "tabbed_list_box.h"

#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextOption>

namespace {

class TabbedItemDelegate : public QStyledItemDelegate
{
public:
    explicit TabbedItemDelegate(TabbedListBox* list) : QStyledItemDelegate(list), m_list(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QString text = item.text;
        item.text.clear();
        const QWidget* widget = item.widget;
        QStyle* style = widget ? widget->style() : nullptr;
        if (!style)
            return;
        // Background, selection and focus as the style draws them; the text with tab stops.
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRectF area = QRectF(item.rect).adjusted(margin, 0, -margin, 0);
        QTextOption layout(Qt::AlignLeft | Qt::AlignVCenter);
        layout.setWrapMode(QTextOption::NoWrap);
        layout.setTabStopDistance(m_list->tabStopPixels());
        painter->save();
        painter->setFont(item.font);
        const bool selected = item.state & QStyle::State_Selected;
        const QPalette::ColorGroup group =
            item.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
        painter->setPen(item.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setClipRect(area);
        painter->drawText(area, text, layout);
        painter->restore();
    }

private:
    TabbedListBox* m_list;
};

} // namespace

TabbedListBox::TabbedListBox(QWidget* parent) : QListWidget(parent)
{
    setItemDelegate(new TabbedItemDelegate(this));
    // Every line has the same height: long lists lay out without measuring each line.
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void TabbedListBox::setTabWidth(int units)
{
    m_tabWidth = units;
    viewport()->update();
}

qreal TabbedListBox::tabStopPixels() const
{
    return qMax(1.0, m_tabWidth * fontMetrics().averageCharWidth() / 4.0);
}

int TabbedListBox::selectedRow() const
{
    QListWidgetItem* line = currentItem();
    return line && line->isSelected() ? row(line) : -1;
}
