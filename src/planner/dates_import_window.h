#pragma once

#include "icalendar_file.h"
#include "skinned_dialog.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// The events and to-dos of a calendar file, offered as reminders: each one
// ticked unless its moment is already past; what could not be taken is named.
class DatesImportWindow : public SkinnedDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DatesImportWindow)

public:
    DatesImportWindow(const ICalendarFile::ReadResult& read, QWidget* parent = nullptr);

    // The ticked items, in the order of the list.
    QList<ICalendarFile::Found> chosen() const;

    QLabel* Label1 = nullptr;
    QListWidget* DatesList = nullptr;
    QPushButton* SelectAllButton = nullptr;
    QPushButton* SelectNoneButton = nullptr;
    QLabel* Label2 = nullptr;
    QPlainTextEdit* SkippedBox = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;

private:
    void tickAll(bool ticked);

    QList<ICalendarFile::Found> m_found;
};
