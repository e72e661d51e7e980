#pragma once

#include "planner_grid_model.h"

#include <QObject>
#include <functional>

class MonitorSwitch;
class QGroupBox;
class QPushButton;
class QTableView;
class SectionHost;
class TableObject;

// What the reminders and the tasks sections share: a grid over their table
// in moment order whose current row the buttons act on, the buttons under
// it and the "?" button. The grid is read again whenever the section is
// shown and after every change.
class GridSection : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GridSection)

public:
    // The key of the current row; 0 when the table is empty.
    qint64 currentKey() const;
    // Reads the grid again; the current row stays with its row if that is
    // still there, otherwise at the same place.
    void refresh();
    // Makes the row with the key current, when the grid holds it.
    void select(qint64 key);
    PlannerGridModel* model() const { return m_model; }

signals:
    void helpRequested(int page);
    // A row was added, changed or deleted here.
    void changed();

protected:
    GridSection(SectionHost& host, QGroupBox* box, MonitorSwitch& monitor, const TableObject& table,
                QList<PlannerGridModel::Column> columns, const char* gridName);

    QTableView* grid() const { return m_grid; }
    // A button of the row under the grid, at the given place from the left;
    // its handler runs with failures reported.
    QPushButton* addButton(const char* objectName, const QString& caption, int place,
                           std::function<void()> handler);
    QPushButton* addHelpButton(const char* objectName, int page);
    // After a change made here: the grid is read again with the row current.
    void changedTo(qint64 key);
    QWidget* window() const;
    bool eventFilter(QObject* watched, QEvent* event) override;

    SectionHost& m_host;
    QGroupBox* m_box;
    MonitorSwitch& m_monitor;

private:
    void fitFirstColumn();

    PlannerGridModel* m_model;
    QTableView* m_grid;
};
