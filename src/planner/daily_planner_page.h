#pragma once

#include <QObject>
#include <functional>

class DayLeaf;
class DayEventsList;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QTreeWidgetItem;
class SectionHost;

// The daily planner page "Ежедневник": today in words, the day's reminders
// and tasks, and the day's note. The page is a snapshot of the moment it was
// built; the main window builds it whenever the section is shown.
class DailyPlannerPage : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DailyPlannerPage)

public:
    DailyPlannerPage(SectionHost& host, QGroupBox* box);

    // The section's showing step.
    void build();

    // A double click on a row: shows the reminders (6) or the tasks (5) with
    // the first row of that text made current.
    void DayEventsDblClick(QTreeWidgetItem* item);

    // Makes a row of the reminders or tasks grid current, by its key; the
    // main window connects it to those sections.
    std::function<void(int section, qint64 rowKey)> selectRow;

    QLabel* Label30 = nullptr;
    QLabel* Label31 = nullptr;
    QLabel* Label32 = nullptr;
    DayEventsList* DayEvents = nullptr;
    QLabel* Label33 = nullptr;
    QPlainTextEdit* DayMark = nullptr;

private:
    void buildControls(QGroupBox* box);

    SectionHost& m_host;
    DayLeaf* m_leaf = nullptr;
};
