#include "planner_widgets.h"

#include "day_names.h"

#include <QHeaderView>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kBand(178, 52, 44);
const QColor kPaper(255, 255, 252);
const QColor kInk(40, 40, 46);

} // namespace

DayLeaf::DayLeaf(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DayLeaf"));
    setFixedSize(sizeHint());
}

void DayLeaf::setDate(const QDate& date)
{
    m_date = date;
    update();
}

void DayLeaf::paintEvent(QPaintEvent*)
{
    if (!m_date.isValid())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF leaf = QRectF(rect()).adjusted(1.5, 1.5, -2.5, -2.5);
    const qreal band = 20;

    // A soft shadow, the paper and the coloured band.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 40));
    painter.drawRoundedRect(leaf.translated(1.5, 1.5), 6, 6);
    painter.setBrush(kPaper);
    painter.setPen(QPen(QColor(150, 150, 150), 1));
    painter.drawRoundedRect(leaf, 6, 6);
    QPainterPath top;
    top.addRoundedRect(QRectF(leaf.left(), leaf.top(), leaf.width(), band + 6), 6, 6);
    QPainterPath cut;
    cut.addRect(QRectF(leaf.left(), leaf.top() + band, leaf.width(), 6));
    painter.setPen(Qt::NoPen);
    painter.setBrush(kBand);
    painter.drawPath(top.subtracted(cut));

    QFont small = font();
    small.setPixelSize(11);
    small.setBold(true);
    painter.setFont(small);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(leaf.left(), leaf.top(), leaf.width(), band), Qt::AlignCenter,
                     DayNames::genitiveMonth(m_date.month()));

    QFont large = font();
    large.setPixelSize(30);
    large.setBold(true);
    painter.setFont(large);
    painter.setPen(kInk);
    painter.drawText(QRectF(leaf.left(), leaf.top() + band, leaf.width(), leaf.height() - band),
                     Qt::AlignCenter, QString::number(m_date.day()));
}

DayEventsList::DayEventsList(QWidget* parent)
    : QTreeWidget(parent), m_emptyText(QStringLiteral("На сегодня ничего не назначено"))
{
}

void DayEventsList::paintEvent(QPaintEvent* event)
{
    QTreeWidget::paintEvent(event);
    if (topLevelItemCount() > 0)
        return;
    QPainter painter(viewport());
    QColor muted = palette().color(QPalette::Text);
    muted.setAlpha(130);
    painter.setPen(muted);
    painter.drawText(viewport()->rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
                     m_emptyText);
}
