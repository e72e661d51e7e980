#pragma once

#include <QComboBox>
#include <QString>

class RegistryStore;

// A combo box that remembers what was entered in it: the items are the
// history, oldest first, kept in the profile folder in a file named after
// the box (Theme.dic for the box named Theme).
class TSmartBox : public QComboBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TSmartBox)

public:
    // Reads the documents folder once, as the profile folder is found from it.
    TSmartBox(const RegistryStore& registry, QWidget* parent = nullptr);

    QString historyPath() const;

    // Loads the history, or creates an empty history file when there is none.
    // The owner calls it before the box is used. False with a reason when the
    // file cannot be read or created.
    bool Init(QString* error = nullptr);
    // Appends the current text, as it is, as the newest entry and saves the
    // whole history. False with a reason when the file cannot be written.
    bool Accept(QString* error = nullptr);

private:
    void setEntries(const QStringList& entries);

    QString m_dr;
};
