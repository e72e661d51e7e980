#pragma once

#include <QString>

class QWidget;

// File and folder choices go through here so that tests can answer them.
namespace FileDialogs {

class Backend
{
public:
    virtual ~Backend() = default;
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& filter) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& title, const QString& filter) = 0;
    virtual QString existingDirectory(QWidget* parent, const QString& title) = 0;
    // The same, proposing a file or a folder to start in; a backend that
    // cannot propose one asks without it.
    virtual QString saveFileNameProposing(QWidget* parent, const QString& title, const QString& filter,
                                          const QString& proposed)
    {
        Q_UNUSED(proposed);
        return saveFileName(parent, title, filter);
    }
    virtual QString openFileNameIn(QWidget* parent, const QString& title, const QString& filter,
                                   const QString& startIn)
    {
        Q_UNUSED(startIn);
        return openFileName(parent, title, filter);
    }
};

// An empty text means the user cancelled.
QString openFileName(QWidget* parent, const QString& title, const QString& filter);
QString saveFileName(QWidget* parent, const QString& title, const QString& filter);
QString existingDirectory(QWidget* parent, const QString& title);
// With a proposed file name, or a folder to start in.
QString saveFileName(QWidget* parent, const QString& title, const QString& filter, const QString& proposed);
QString openFileName(QWidget* parent, const QString& title, const QString& filter, const QString& startIn);

// "Тект (*.txt)|*.txt|Другое (*.*)|*.*" → "Тект (*.txt);;Другое (*.*)"
QString qtFilter(const QString& windowsFilter);

void setBackend(Backend* backend); // nullptr restores the real dialogs

} // namespace FileDialogs
