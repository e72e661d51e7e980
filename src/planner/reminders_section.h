#pragma once

#include "grid_section.h"

class QPushButton;

// The reminders section: the reminders in moment order, to add, change and
// delete.
class RemindersSection : public GridSection
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RemindersSection)

public:
    RemindersSection(SectionHost& host, QGroupBox* box, MonitorSwitch& monitor);

    static constexpr int kHelpPage = 7;
    static inline const QString kGoneMessage =
        QStringLiteral("Это напоминание удалено, пока окно было открыто. Изменения не сохранены.");

    void BitBtn16Click();
    void BitBtn18Click();
    void BitBtn17Click();

    QTableView* DBGrid1 = nullptr;
    QPushButton* BitBtn16 = nullptr;
    QPushButton* BitBtn18 = nullptr;
    QPushButton* BitBtn17 = nullptr;
    QPushButton* Button4 = nullptr;
};
