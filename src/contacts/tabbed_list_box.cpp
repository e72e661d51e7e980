#include "tabbed_list_box.h"

#include <QApplication>
#include <QPainter>
#include <QStyledItemDelegate>
#include <cmath>

namespace {

// Where each TAB-separated part of a line starts: at the next tab stop, and
// never closer than one average character to the end of the part before, so
// that a long surname does not run into the name.
QList<qreal> columnStarts(const QStringList& parts, const QFontMetricsF& metrics, qreal tabStop)
{
    QList<qreal> starts;
    qreal x = 0;
    for (const QString& part : parts) {
        if (!starts.isEmpty())
            x = std::ceil((x + metrics.averageCharWidth()) / tabStop) * tabStop;
        starts.append(x);
        x += metrics.horizontalAdvance(part);
    }
    return starts;
}

class TabbedItemDelegate : public QStyledItemDelegate
{
public:
    explicit TabbedItemDelegate(TabbedListBox* list) : QStyledItemDelegate(list), m_list(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QStringList parts = item.text.split(QLatin1Char('\t'));
        item.text.clear();
        const QWidget* widget = item.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        // Background, selection and focus as the style draws them; the text column by column.
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
        const QRectF area = QRectF(item.rect).adjusted(margin(style, widget), 0, 0, 0);
        const QList<qreal> starts = columnStarts(parts, QFontMetricsF(item.font), m_list->tabStopPixels());
        painter->save();
        painter->setFont(item.font);
        const bool selected = item.state & QStyle::State_Selected;
        const QPalette::ColorGroup group =
            item.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
        painter->setPen(item.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setClipRect(item.rect);
        for (int i = 0; i < parts.size(); ++i) {
            const QRectF column(area.left() + starts[i], area.top(), area.width() - starts[i], area.height());
            painter->drawText(column, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, parts[i]);
        }
        painter->restore();
        m_list->noteLineWidth(starts.constLast() +
                              QFontMetricsF(item.font).horizontalAdvance(parts.constLast()));
    }

    // Every line as wide as the widest, so that the list scrolls to the end of each.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setWidth(int(std::ceil(m_list->widestLine())) + 2 * margin(m_list->style(), m_list));
        return size;
    }

private:
    static int margin(const QStyle* style, const QWidget* widget)
    {
        return style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    }

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
    m_widest = 0;
    scheduleDelayedItemsLayout();
    viewport()->update();
}

qreal TabbedListBox::tabStopPixels() const
{
    return qMax(1.0, m_tabWidth * fontMetrics().averageCharWidth() / 4.0);
}

// Lines are measured as they are painted, not all at once: filling a list of
// many thousands stays fast, and the scroll range grows to the longest line seen.
void TabbedListBox::noteLineWidth(qreal width)
{
    if (width <= m_widest)
        return;
    m_widest = width;
    scheduleDelayedItemsLayout();
}

void TabbedListBox::changeEvent(QEvent* event)
{
    QListWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        setTabWidth(m_tabWidth);
}

int TabbedListBox::selectedRow() const
{
    QListWidgetItem* line = currentItem();
    return line && line->isSelected() ? row(line) : -1;
}
