#include "sketch_canvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QVector>

namespace {

// More memory than this in the history drops the oldest steps, down to the
// fifty that are always kept.
constexpr qint64 kHistoryBudget = 512LL * 1024 * 1024;
constexpr int kStepsAlwaysKept = 50;

qint64 bytesOf(const QImage& image)
{
    return image.sizeInBytes();
}

} // namespace

SketchCanvas::SketchCanvas(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Рисунок"));
    QImage empty(640, 400, QImage::Format_RGB32);
    empty.fill(kPaper);
    setPicture(empty);
}

void SketchCanvas::setPicture(const QImage& picture)
{
    m_picture = picture.convertToFormat(QImage::Format_RGB32);
    m_steps.clear();
    m_done = 0;
    m_dragging = false;
    m_modified = false;
    setFixedSize(m_picture.size());
    update();
    emit historyChanged();
}

void SketchCanvas::setModified(bool modified)
{
    m_modified = modified;
}

void SketchCanvas::setTool(Tool tool)
{
    m_tool = tool;
    m_dragging = false;
    setCursor(tool == Tool::Text ? Qt::IBeamCursor : Qt::CrossCursor);
    update();
}

void SketchCanvas::setColour(const QColor& colour)
{
    if (colour.isValid())
        m_colour = colour;
}

void SketchCanvas::setPenWidth(int width)
{
    m_penWidth = qBound(1, width, 64);
}

QPen SketchCanvas::currentPen(bool erasing) const
{
    const int width = erasing ? qMax(8, m_penWidth * 4) : m_penWidth;
    return QPen(erasing ? kPaper : m_colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QRect SketchCanvas::shapeBox() const
{
    return QRect(m_start, m_last).normalized();
}

void SketchCanvas::drawShape(QPainter& painter, const QRect& box) const
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(currentPen(false));
    painter.setBrush(m_filled ? QBrush(m_colour) : Qt::NoBrush);
    switch (m_tool) {
    case Tool::Line:
        painter.drawLine(m_start, m_last);
        break;
    case Tool::Rectangle:
        painter.drawRect(box);
        break;
    case Tool::Ellipse:
        painter.drawEllipse(box);
        break;
    default:
        break;
    }
}

void SketchCanvas::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), m_picture, event->rect());
    // A shape being dragged is shown over the picture until it is let go.
    if (m_dragging && (m_tool == Tool::Line || m_tool == Tool::Rectangle || m_tool == Tool::Ellipse))
        drawShape(painter, shapeBox());
}

void SketchCanvas::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    switch (m_tool) {
    case Tool::Fill:
        floodFill(point);
        return;
    case Tool::Text:
        emit textRequested(point);
        return;
    default:
        break;
    }
    m_dragging = true;
    m_start = m_last = point;
    if (m_tool == Tool::Pen || m_tool == Tool::Eraser) {
        beginChange();
        m_strokeBox = QRect();
        strokeTo(point);
    }
}

void SketchCanvas::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging)
        return;
    const QPoint point = event->position().toPoint();
    if (m_tool == Tool::Pen || m_tool == Tool::Eraser) {
        strokeTo(point);
        return;
    }
    const QRect old = QRect(m_start, m_last).normalized();
    m_last = point;
    const int margin = m_penWidth + 2;
    update(old.united(shapeBox()).adjusted(-margin, -margin, margin, margin));
}

void SketchCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_dragging)
        return;
    const QPoint point = event->position().toPoint();
    if (m_tool == Tool::Pen || m_tool == Tool::Eraser) {
        strokeTo(point);
        m_dragging = false;
        commitChange(m_strokeBox);
        return;
    }
    m_last = point;
    m_dragging = false;
    beginChange();
    {
        QPainter painter(&m_picture);
        drawShape(painter, shapeBox());
    }
    const int margin = m_penWidth + 2;
    QRect changed = shapeBox().adjusted(-margin, -margin, margin, margin);
    commitChange(changed);
}

void SketchCanvas::strokeTo(const QPoint& point)
{
    const QPen pen = currentPen(m_tool == Tool::Eraser);
    {
        QPainter painter(&m_picture);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(pen);
        if (point == m_last)
            painter.drawPoint(point);
        else
            painter.drawLine(m_last, point);
    }
    const int margin = int(pen.width()) / 2 + 2;
    const QRect touched = QRect(m_last, point).normalized().adjusted(-margin, -margin, margin, margin);
    m_strokeBox = m_strokeBox.united(touched);
    m_last = point;
    update(touched);
}

void SketchCanvas::beginChange()
{
    m_beforeChange = m_picture.copy();
}

void SketchCanvas::commitChange(const QRect& changed)
{
    const QRect rect = changed.intersected(m_picture.rect());
    if (rect.isEmpty() || m_beforeChange.isNull()) {
        m_beforeChange = QImage();
        update();
        return;
    }
    Step step;
    step.at = rect.topLeft();
    step.before = m_beforeChange.copy(rect);
    step.after = m_picture.copy(rect);
    m_beforeChange = QImage();
    // A click that changed no pixel is no step.
    if (step.before == step.after) {
        update();
        return;
    }
    push(std::move(step));
    update(rect);
}

void SketchCanvas::commitWhole(const QImage& before)
{
    Step step;
    step.whole = true;
    step.before = before;
    step.after = m_picture;
    push(std::move(step));
    setFixedSize(m_picture.size());
    update();
}

void SketchCanvas::push(Step step)
{
    m_steps.erase(m_steps.begin() + m_done, m_steps.end());
    m_steps.append(std::move(step));
    qint64 bytes = 0;
    for (const Step& each : std::as_const(m_steps))
        bytes += bytesOf(each.before) + bytesOf(each.after);
    while (m_steps.size() > kUndoSteps || (m_steps.size() > kStepsAlwaysKept && bytes > kHistoryBudget)) {
        bytes -= bytesOf(m_steps.first().before) + bytesOf(m_steps.first().after);
        m_steps.removeFirst();
    }
    m_done = int(m_steps.size());
    m_modified = true;
    emit changed();
    emit historyChanged();
}

void SketchCanvas::undo()
{
    if (!canUndo() || m_dragging)
        return;
    const Step& step = m_steps.at(--m_done);
    if (step.whole) {
        m_picture = step.before;
        setFixedSize(m_picture.size());
    } else {
        QPainter painter(&m_picture);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(step.at, step.before);
    }
    m_modified = true;
    update();
    emit changed();
    emit historyChanged();
}

void SketchCanvas::redo()
{
    if (!canRedo() || m_dragging)
        return;
    const Step& step = m_steps.at(m_done++);
    if (step.whole) {
        m_picture = step.after;
        setFixedSize(m_picture.size());
    } else {
        QPainter painter(&m_picture);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(step.at, step.after);
    }
    m_modified = true;
    update();
    emit changed();
    emit historyChanged();
}

void SketchCanvas::clear()
{
    beginChange();
    m_picture.fill(kPaper);
    commitChange(m_picture.rect());
}

void SketchCanvas::resizePicture(const QSize& size)
{
    const QSize bounded(qBound(1, size.width(), kMaxSide), qBound(1, size.height(), kMaxSide));
    if (bounded == m_picture.size())
        return;
    const QImage before = m_picture;
    QImage resized(bounded, QImage::Format_RGB32);
    resized.fill(kPaper);
    {
        QPainter painter(&resized);
        painter.drawImage(0, 0, before);
    }
    m_picture = resized;
    commitWhole(before);
}

void SketchCanvas::placeText(const QPoint& at, const QString& text)
{
    if (text.isEmpty())
        return;
    QFont face = font();
    face.setPixelSize(12 + 2 * m_penWidth);
    beginChange();
    QRect used;
    {
        QPainter painter(&m_picture);
        painter.setFont(face);
        painter.setPen(m_colour);
        const QRect room(at,
                         QSize(qMax(1, m_picture.width() - at.x()), qMax(1, m_picture.height() - at.y())));
        painter.drawText(room, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text, &used);
    }
    commitChange(used.adjusted(-2, -2, 2, 2));
}

// A scan-line fill of the area of the start pixel's colour, four-connected.
void SketchCanvas::floodFill(const QPoint& start)
{
    if (!m_picture.rect().contains(start))
        return;
    const QRgb target = m_picture.pixel(start);
    const QRgb replacement = m_colour.rgb() | 0xff000000u;
    if ((target | 0xff000000u) == replacement)
        return;
    beginChange();
    const int width = m_picture.width();
    const int height = m_picture.height();
    int left = start.x(), right = start.x(), top = start.y(), bottom = start.y();
    QVector<QPoint> pending{start};
    while (!pending.isEmpty()) {
        const QPoint seed = pending.takeLast();
        auto* row = reinterpret_cast<QRgb*>(m_picture.scanLine(seed.y()));
        if (row[seed.x()] != target)
            continue;
        int x0 = seed.x();
        while (x0 > 0 && row[x0 - 1] == target)
            --x0;
        int x1 = seed.x();
        while (x1 < width - 1 && row[x1 + 1] == target)
            ++x1;
        for (int x = x0; x <= x1; ++x)
            row[x] = replacement;
        left = qMin(left, x0);
        right = qMax(right, x1);
        top = qMin(top, seed.y());
        bottom = qMax(bottom, seed.y());
        for (const int y : {seed.y() - 1, seed.y() + 1}) {
            if (y < 0 || y >= height)
                continue;
            const auto* next = reinterpret_cast<const QRgb*>(m_picture.constScanLine(y));
            bool inRun = false;
            for (int x = x0; x <= x1; ++x) {
                const bool matches = next[x] == target;
                if (matches && !inRun)
                    pending.append(QPoint(x, y));
                inRun = matches;
            }
        }
    }
    commitChange(QRect(QPoint(left, top), QPoint(right, bottom)));
}
