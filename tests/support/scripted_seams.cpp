#include "scripted_seams.h"

#include <QApplication>

MessageBoxes::Button ScriptedMessageBoxes::show(QWidget*, const MessageBoxes::Request& request)
{
    shown.append(request);
    if (onShow)
        onShow(request);
    if (!answers.isEmpty())
        return answers.dequeue();
    // Unscripted: the harmless answer.
    for (MessageBoxes::Button safe :
         {MessageBoxes::Button::Ok, MessageBoxes::Button::No, MessageBoxes::Button::Cancel})
        if (request.buttons.contains(safe))
            return safe;
    return request.buttons.value(0, MessageBoxes::Button::Ok);
}

std::optional<QString> ScriptedMessageBoxes::inputText(QWidget*, const QString& title, const QString& label,
                                                       const QString&)
{
    inputPrompts.append(title + QLatin1Char('|') + label);
    return inputs.isEmpty() ? std::nullopt : inputs.dequeue();
}

QStringList ScriptedMessageBoxes::titles() const
{
    QStringList list;
    for (const auto& request : shown)
        list.append(request.title);
    return list;
}

QStringList ScriptedMessageBoxes::texts() const
{
    QStringList list;
    for (const auto& request : shown)
        list.append(request.text);
    return list;
}

int ScriptedModals::run(QDialog* window)
{
    opened.append(window->objectName());
    window->setResult(QDialog::Rejected);
    window->show();
    QApplication::processEvents();
    if (!scripts.isEmpty())
        scripts.dequeue()(window);
    if (window->isVisible())
        window->reject();
    return window->result();
}

TestSeams::TestSeams()
{
    MessageBoxes::setBackend(&boxes);
    ModalWindows::setRunner([this](QDialog* window) { return modals.run(window); });
    Shell::setBackend(&shell);
    Clock::setBackend(&clock);
    FileDialogs::setBackend(&files);
    Sound::setBackend(&sound);
}

TestSeams::~TestSeams()
{
    MessageBoxes::setBackend(nullptr);
    ModalWindows::setRunner({});
    Shell::setBackend(nullptr);
    Clock::setBackend(nullptr);
    FileDialogs::setBackend(nullptr);
    Sound::setBackend(nullptr);
}
