#pragma once

#include "due_items.h"
#include "grid_section.h"

class QPushButton;

// The tasks section: the tasks in moment order, to run at once, create,
// change and delete; the name and the moment can be edited in the grid.
class TasksSection : public GridSection
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TasksSection)

public:
    TasksSection(SectionHost& host, QGroupBox* box, MonitorSwitch& monitor);

    static constexpr int kHelpPage = 8;
    static inline const QString kGoneMessage =
        QStringLiteral("Эта задача удалена, пока её изменяли. Изменения не сохранены.");

    void BitBtn23Click();
    void BitBtn2Click();
    void BitBtn25Click();
    void BitBtn21Click();

    QTableView* DBGrid2 = nullptr;
    QPushButton* BitBtn23 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn25 = nullptr;
    QPushButton* BitBtn21 = nullptr;
    QPushButton* Button5 = nullptr;

private:
    // An edit typed into the grid, written to its row by key.
    bool editCell(qint64 key, const QString& field, const QString& text);
    void report(DueItems::Written written, const QString& failure, const QString& error);
};
