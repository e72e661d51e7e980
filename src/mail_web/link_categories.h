#pragma once

#include <QString>
#include <QStringList>

// Link categories: one file "<name>.dat" per category, one link line per
// line (a blank, then the address). The program folder's Resources holds the
// categories that ship; the user's own folder is seeded from it once and is
// from then on the only one read and written.
class LinkCategories
{
public:
    // The folder in the user's data folder; seeded from the program folder on first use.
    explicit LinkCategories(QString folder);
    static QString userFolder();
    static QString shippedFolder(const QString& programFolder);
    // Creates the user's folder with copies of the shipped files when it is missing.
    static bool seed(const QString& userFolder, const QString& shippedFolder);

    const QString& folder() const { return m_folder; }
    QString fileOf(const QString& name) const;
    bool exists(const QString& name) const;

    // Every category, in the order of the directory listing.
    QStringList names() const;

    // Why a name cannot be a category, or an empty text when it can. The
    // name becomes a file name in the folder: nothing may lead out of the
    // folder or make a hidden file.
    static QString refusalOf(const QString& name);

    // The lines of a category's file; false when it cannot be read.
    bool read(const QString& name, QStringList* lines) const;
    // A new, empty file; false with a reason.
    bool create(const QString& name, QString* error = nullptr) const;
    bool remove(const QString& name) const;
    // Appends one line; the file must exist.
    bool append(const QString& name, const QString& line) const;
    // Replaces the file whole through a temporary file.
    bool write(const QString& name, const QStringList& lines, QString* error = nullptr) const;

private:
    QString m_folder;
};
