#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QWidget>

// The drawing surface of the sketch window: the picture at its own size,
// drawn on with the mouse, with undo and redo of every change.
class SketchCanvas : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SketchCanvas)

public:
    enum class Tool { Pen, Eraser, Line, Rectangle, Ellipse, Fill, Text };

    // Steps kept for undo; older ones go first.
    static constexpr int kUndoSteps = 100;
    static constexpr int kMaxSide = 4000;
    inline static const QColor kPaper = Qt::white;

    explicit SketchCanvas(QWidget* parent = nullptr);

    // A new picture without history, e.g. the one just loaded.
    void setPicture(const QImage& picture);
    const QImage& picture() const { return m_picture; }
    // True once anything was drawn since the picture was set or saved.
    bool isModified() const { return m_modified; }
    void setModified(bool modified);

    Tool tool() const { return m_tool; }
    void setTool(Tool tool);
    QColor colour() const { return m_colour; }
    void setColour(const QColor& colour);
    int penWidth() const { return m_penWidth; }
    void setPenWidth(int width);
    // Rectangles and ellipses filled with the colour, or outlines only.
    bool filledShapes() const { return m_filled; }
    void setFilledShapes(bool filled) { m_filled = filled; }

    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < m_steps.size(); }
    int undoDepth() const { return m_done; }
    void undo();
    void redo();
    // White all over, as one step that can be undone.
    void clear();
    // The picture cut or extended with white at the right and the bottom.
    void resizePicture(const QSize& size);
    // The text in the current colour with its top left at the point.
    void placeText(const QPoint& at, const QString& text);

    QSize sizeHint() const override { return m_picture.size(); }

signals:
    void changed();
    void historyChanged();
    // The text tool was clicked at this point: the window asks for the text.
    void textRequested(const QPoint& at);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // One change: the part of the picture before and after it, or the whole
    // picture when its size changed.
    struct Step
    {
        QPoint at;
        QImage before;
        QImage after;
        bool whole = false;
    };

    QPen currentPen(bool erasing) const;
    void drawShape(QPainter& painter, const QRect& box) const;
    QRect shapeBox() const;
    void strokeTo(const QPoint& point);
    void beginChange();
    void commitChange(const QRect& changed);
    void commitWhole(const QImage& before);
    void push(Step step);
    void floodFill(const QPoint& start);

    QImage m_picture;
    QImage m_beforeChange;
    QList<Step> m_steps;
    int m_done = 0;
    bool m_modified = false;
    Tool m_tool = Tool::Pen;
    QColor m_colour = Qt::black;
    int m_penWidth = 2;
    bool m_filled = false;
    bool m_dragging = false;
    QPoint m_start;
    QPoint m_last;
    QRect m_strokeBox;
};
