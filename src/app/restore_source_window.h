#pragma once

#include "skinned_dialog.h"

#include <QStringList>

class QListWidget;
class QPushButton;

// Where to restore the profile from: an archive chosen in a file dialog, or
// one of the daily copies of the database.
class RestoreSourceWindow : public SkinnedDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RestoreSourceWindow)

public:
    RestoreSourceWindow(const QStringList& dailyCopies, QWidget* parent = nullptr);

    // Empty for "an archive", else the daily copy's path.
    QString chosenCopy() const;

    QListWidget* ListBox1 = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

private:
    QStringList m_copies;
};
