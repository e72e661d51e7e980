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
};

// An empty text means the user cancelled.
QString openFileName(QWidget* parent, const QString& title, const QString& filter);
QString saveFileName(QWidget* parent, const QString& title, const QString& filter);
QString existingDirectory(QWidget* parent, const QString& title);

// "Тект (*.txt)|*.txt|Другое (*.*)|*.*" → "Тект (*.txt);;Другое (*.*)"
QString qtFilter(const QString& windowsFilter);

void setBackend(Backend* backend); // nullptr restores the real dialogs

} // namespace FileDialogs
