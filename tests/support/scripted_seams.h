#pragma once

#include "clock.h"
#include "file_dialogs.h"
#include "message_boxes.h"
#include "modal_windows.h"
#include "shell.h"
#include "sound.h"

#include <QDialog>
#include <QQueue>
#include <QStringList>
#include <functional>

// Message boxes answered from a queue; every box shown is recorded.
class ScriptedMessageBoxes : public MessageBoxes::Backend
{
public:
    QList<MessageBoxes::Request> shown;
    QQueue<MessageBoxes::Button> answers;
    QQueue<std::optional<QString>> inputs;
    QStringList inputPrompts;

    MessageBoxes::Button show(QWidget* parent, const MessageBoxes::Request& request) override;
    std::optional<QString> inputText(QWidget* parent, const QString& title, const QString& label,
                                     const QString& text) override;
    QStringList titles() const;
    QStringList texts() const;
    // Called while a box is shown, e.g. to look at the windows behind it.
    std::function<void(const MessageBoxes::Request&)> onShow;
};

// Secondary windows handed to scripts: a script fills the real controls and
// accepts or rejects; a window left open is rejected.
class ScriptedModals
{
public:
    using Script = std::function<void(QDialog*)>;
    QQueue<Script> scripts;
    QStringList opened; // object names, in order

    int run(QDialog* window);
};

class RecordingShell : public Shell::Backend
{
public:
    QStringList opened;
    void open(const QString& text) override { opened.append(text); }
};

// The signal sound: what was played, in order, and nothing heard.
class RecordingSound : public Sound::Backend
{
public:
    QStringList played;
    void playToEnd(const QString& file) override { played.append(file); }
};

class ManualClock : public Clock::Backend
{
public:
    QDateTime current = QDateTime(QDate(2026, 3, 8), QTime(14, 20, 5));
    QDateTime now() const override { return current; }
};

class ScriptedFileDialogs : public FileDialogs::Backend
{
public:
    QQueue<QString> answers;
    QStringList titles;
    QString openFileName(QWidget*, const QString& title, const QString&) override { return next(title); }
    QString saveFileName(QWidget*, const QString& title, const QString&) override { return next(title); }
    QString existingDirectory(QWidget*, const QString& title) override { return next(title); }

private:
    QString next(const QString& title)
    {
        titles.append(title);
        return answers.isEmpty() ? QString() : answers.dequeue();
    }
};

// All seams at once, installed for the lifetime of the object.
class TestSeams
{
public:
    TestSeams();
    ~TestSeams();
    Q_DISABLE_COPY_MOVE(TestSeams)

    ScriptedMessageBoxes boxes;
    ScriptedModals modals;
    RecordingShell shell;
    ManualClock clock;
    ScriptedFileDialogs files;
    RecordingSound sound;
};
