#include "file_dialogs.h"

#include <QFileDialog>

namespace FileDialogs {

namespace {
class QtBackend : public Backend
{
public:
    QString openFileName(QWidget* parent, const QString& title, const QString& filter) override
    {
        return QFileDialog::getOpenFileName(parent, title, {}, qtFilter(filter));
    }
    QString saveFileName(QWidget* parent, const QString& title, const QString& filter) override
    {
        return QFileDialog::getSaveFileName(parent, title, {}, qtFilter(filter));
    }
    QString existingDirectory(QWidget* parent, const QString& title) override
    {
        return QFileDialog::getExistingDirectory(parent, title);
    }
    QString saveFileNameProposing(QWidget* parent, const QString& title, const QString& filter,
                                  const QString& proposed) override
    {
        return QFileDialog::getSaveFileName(parent, title, proposed, qtFilter(filter));
    }
    QString openFileNameIn(QWidget* parent, const QString& title, const QString& filter,
                           const QString& startIn) override
    {
        return QFileDialog::getOpenFileName(parent, title, startIn, qtFilter(filter));
    }
};
QtBackend realBackend;
Backend* currentBackend = &realBackend;
} // namespace

QString openFileName(QWidget* parent, const QString& title, const QString& filter)
{
    return currentBackend->openFileName(parent, title, filter);
}

QString saveFileName(QWidget* parent, const QString& title, const QString& filter)
{
    return currentBackend->saveFileName(parent, title, filter);
}

QString existingDirectory(QWidget* parent, const QString& title)
{
    return currentBackend->existingDirectory(parent, title);
}

QString saveFileName(QWidget* parent, const QString& title, const QString& filter, const QString& proposed)
{
    return currentBackend->saveFileNameProposing(parent, title, filter, proposed);
}

QString openFileName(QWidget* parent, const QString& title, const QString& filter, const QString& startIn)
{
    return currentBackend->openFileNameIn(parent, title, filter, startIn);
}

QString qtFilter(const QString& windowsFilter)
{
    if (!windowsFilter.contains(QLatin1Char('|')))
        return windowsFilter;
    const QStringList parts = windowsFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        // Windows lists patterns as "*.exe; *.com"; Qt reads the parentheses
        // of the caption and splits them at blanks only, so the caption is
        // rebuilt from the patterns themselves. "*.*" means every file there,
        // also the many here that have no extension.
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString clean = pattern.trimmed();
            if (!clean.isEmpty())
                patterns.append(clean == QLatin1String("*.*") ? QStringLiteral("*") : clean);
        }
        QString caption = parts[i];
        if (const qsizetype open = caption.lastIndexOf(QLatin1Char('(')); open > 0)
            caption.truncate(open);
        filters.append(caption.trimmed() + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')'));
    }
    return filters.join(QLatin1String(";;"));
}

void setBackend(Backend* backend)
{
    currentBackend = backend ? backend : &realBackend;
}

} // namespace FileDialogs
