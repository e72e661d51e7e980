#include "smart_box.h"

#include "history_file.h"
#include "profile_database.h"
#include "system_info.h"

#include <QFile>
#include <QFileInfo>

TSmartBox::TSmartBox(const RegistryStore& registry, QWidget* parent)
    : QComboBox(parent), m_dr(SystemInfo::documentsFolder(registry))
{
    setEditable(true);
    // Entries join the history through Accept only, never with the Enter key.
    setInsertPolicy(QComboBox::NoInsert);
    setDuplicatesEnabled(true);
}

QString TSmartBox::historyPath() const
{
    return ProfileDatabase::profileFolder(m_dr) + QLatin1Char('/') + objectName() + QStringLiteral(".dic");
}

void TSmartBox::setEntries(const QStringList& entries)
{
    // The text the user sees stays as it is, whatever the list holds.
    const QString shown = currentText();
    clear();
    addItems(entries);
    setCurrentIndex(-1);
    setEditText(shown);
}

bool TSmartBox::Init(QString* error)
{
    const QString path = historyPath();
    if (QFileInfo::exists(path)) {
        QStringList entries;
        if (!HistoryFile::load(path, &entries, error))
            return false;
        setEntries(entries);
        return true;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool TSmartBox::Accept(QString* error)
{
    const QString shown = currentText();
    addItem(shown);
    setEditText(shown);
    QStringList entries;
    entries.reserve(count());
    for (int i = 0; i < count(); ++i)
        entries.append(itemText(i));
    return HistoryFile::save(historyPath(), entries, error);
}
