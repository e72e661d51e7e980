#pragma once

#include <QListWidget>

// A list box whose lines are split into columns by TAB characters. The tab
// width is counted in dialog units, a quarter of the average character width
// of the list's font each, so the columns keep their proportions whatever
// the font.
class TabbedListBox : public QListWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TabbedListBox)

public:
    explicit TabbedListBox(QWidget* parent = nullptr);

    int tabWidth() const { return m_tabWidth; }
    void setTabWidth(int units);
    qreal tabStopPixels() const;

    // The position of the selected line, or -1 when no line is selected.
    int selectedRow() const;

private:
    int m_tabWidth = 32;
};
