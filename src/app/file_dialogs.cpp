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

QString qtFilter(const QString& windowsFilter)
{
    if (!windowsFilter.contains(QLatin1Char('|')))
        return windowsFilter;
    const QStringList parts = windowsFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString caption = parts[i];
        if (!caption.contains(QLatin1Char('(')))
            caption += QStringLiteral(" (") + parts[i + 1].split(QLatin1Char(';')).join(QLatin1Char(' ')) +
                       QLatin1Char(')');
        filters.append(caption);
    }
    return filters.join(QLatin1String(";;"));
}

void setBackend(Backend* backend)
{
    currentBackend = backend ? backend : &realBackend;
}

} // namespace FileDialogs
