#include "link_categories.h"

#include "folder_tree.h"
#include "history_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kExtension = QStringLiteral(".dat");
} // namespace

LinkCategories::LinkCategories(QString folder) : m_folder(std::move(folder)) {}

QString LinkCategories::userFolder()
{
    // $XDG_DATA_HOME/Quillarbor/Resources, whatever the application's name.
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || !QDir::isAbsolutePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/Quillarbor/Resources");
}

QString LinkCategories::shippedFolder(const QString& programFolder)
{
    return programFolder + QStringLiteral("Resources");
}

bool LinkCategories::seed(const QString& userFolder, const QString& shippedFolder)
{
    if (QFileInfo(userFolder).isDir())
        return true;
    // The copies are made in a folder beside and put in place with one
    // rename: a start cut short while copying leaves no half-filled folder
    // that the next start would take as seeded.
    const QString staging = userFolder + QStringLiteral(".seeding");
    if (!FolderTree::makePrivate(QFileInfo(userFolder).absolutePath()) || !FolderTree::remove(staging) ||
        !FolderTree::makePrivate(staging))
        return false;
    const QDir shipped(shippedFolder);
    bool copied = true;
    for (const QString& file :
         shipped.entryList({QLatin1Char('*') + kExtension}, QDir::Files | QDir::Hidden)) {
        const QString target = staging + QLatin1Char('/') + file;
        // Copies of read-only shipped files must stay writable for the user.
        copied = QFile::copy(shipped.filePath(file), target) && copied;
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    }
    if (!QDir().rename(staging, userFolder)) {
        FolderTree::remove(staging);
        return false;
    }
    return copied;
}

QString LinkCategories::fileOf(const QString& name) const
{
    return m_folder + QLatin1Char('/') + name + kExtension;
}

bool LinkCategories::exists(const QString& name) const
{
    // The listing decides, not the file's opening: on a folder that ignores
    // letter case "news" would open "News.dat", another category.
    return refusalOf(name).isEmpty() && names().contains(name) && QFileInfo(fileOf(name)).isFile();
}

QStringList LinkCategories::names() const
{
    QStringList list;
    const QDir dir(m_folder);
    for (const QString& file : dir.entryList({QLatin1Char('*') + kExtension},
                                             QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted))
        list.append(file.chopped(kExtension.size()));
    return list;
}

QString LinkCategories::refusalOf(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("Категория должна иметь имя!");
    bool control = false;
    for (const QChar c : name)
        control = control || c.category() == QChar::Other_Control || c.category() == QChar::Other_Format;
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) ||
        name.contains(QStringLiteral("..")) || name.startsWith(QLatin1Char('.')) || control)
        return QStringLiteral("Название категории не может содержать символы «/» и «\\», две точки подряд "
                              "и управляющие символы и не может начинаться с точки!");
    return {};
}

bool LinkCategories::read(const QString& name, QStringList* lines) const
{
    if (!refusalOf(name).isEmpty())
        return false;
    return HistoryFile::load(fileOf(name), lines);
}

bool LinkCategories::create(const QString& name, QString* error) const
{
    const QString refusal = refusalOf(name);
    if (!refusal.isEmpty()) {
        if (error)
            *error = refusal;
        return false;
    }
    if (!FolderTree::makePrivate(m_folder)) {
        if (error)
            *error = QStringLiteral("cannot create %1").arg(m_folder);
        return false;
    }
    QFile file(fileOf(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool LinkCategories::remove(const QString& name) const
{
    return exists(name) && QFile::remove(fileOf(name));
}

bool LinkCategories::append(const QString& name, const QString& line) const
{
    // The file is read and written whole rather than appended to: a file
    // brought from the Windows version is in another encoding, and mixing
    // two in one file would garble it on the next reading.
    QStringList lines;
    if (!exists(name) || !read(name, &lines))
        return false;
    lines.append(line);
    return write(name, lines);
}

bool LinkCategories::write(const QString& name, const QStringList& lines, QString* error) const
{
    if (!refusalOf(name).isEmpty()) {
        if (error)
            *error = refusalOf(name);
        return false;
    }
    return HistoryFile::save(fileOf(name), lines, error);
}
