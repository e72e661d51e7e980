#include "message_boxes.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <utility>

namespace MessageBoxes {

namespace {

QMessageBox::Icon toQt(Icon icon)
{
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

class QtBackend : public Backend
{
public:
    Button show(QWidget* parent, const Request& request) override
    {
        QMessageBox box(toQt(request.icon), request.title, request.text, QMessageBox::NoButton, parent);
        // Names typed by the user may look like markup: show them as they are.
        box.setTextFormat(Qt::PlainText);
        QList<QPair<QAbstractButton*, Button>> map;
        for (Button button : request.buttons) {
            switch (button) {
            case Button::Ok:
                map.append(
                    std::make_pair(static_cast<QAbstractButton*>(box.addButton(QMessageBox::Ok)), button));
                break;
            case Button::Yes:
                map.append(
                    std::make_pair(static_cast<QAbstractButton*>(box.addButton(QMessageBox::Yes)), button));
                break;
            case Button::No:
                map.append(
                    std::make_pair(static_cast<QAbstractButton*>(box.addButton(QMessageBox::No)), button));
                break;
            case Button::Cancel:
                map.append(std::make_pair(static_cast<QAbstractButton*>(box.addButton(QMessageBox::Cancel)),
                                          button));
                break;
            }
        }
        box.exec();
        for (const auto& pair : map)
            if (box.clickedButton() == pair.first)
                return pair.second;
        // Closed with the title bar: the most cautious answer on offer.
        return request.buttons.contains(Button::No)       ? Button::No
               : request.buttons.contains(Button::Cancel) ? Button::Cancel
                                                          : Button::Ok;
    }

    std::optional<QString> inputText(QWidget* parent, const QString& title, const QString& label,
                                     const QString& text) override
    {
        bool ok = false;
        const QString answer = QInputDialog::getText(parent, title, label, QLineEdit::Normal, text, &ok);
        if (!ok)
            return std::nullopt;
        return answer;
    }

    std::optional<QString> inputLimited(QWidget* parent, const QString& title, const QString& label,
                                        const QString& text, int maxLength) override
    {
        QInputDialog dialog(parent);
        dialog.setWindowTitle(title);
        dialog.setLabelText(label);
        dialog.setInputMode(QInputDialog::TextInput);
        dialog.setTextValue(text);
        if (auto* line = dialog.findChild<QLineEdit*>())
            line->setMaxLength(maxLength);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.textValue();
    }
};

QtBackend realBackend;
Backend* currentBackend = &realBackend;
QPointer<QWidget> currentOwner;

Button showRequest(const Request& request)
{
    return currentBackend->show(currentOwner.data(), request);
}

} // namespace

void setBackend(Backend* backend)
{
    currentBackend = backend ? backend : &realBackend;
}

void setOwner(QWidget* owner)
{
    currentOwner = owner;
}

void errorBox(const QString& message)
{
    showRequest(
        {Icon::Critical, kErrorTitle, message + QStringLiteral("\r\n\r\n") + kErrorHint, {Button::Ok}});
}

void successBox(const QString& message)
{
    showRequest({Icon::Information, QStringLiteral("Успех"), message, {Button::Ok}});
}

void information(const QString& title, const QString& text)
{
    showRequest({Icon::Information, title, text, {Button::Ok}});
}

void warning(const QString& title, const QString& text)
{
    showRequest({Icon::Warning, title, text, {Button::Ok}});
}

void critical(const QString& title, const QString& text)
{
    showRequest({Icon::Critical, title, text, {Button::Ok}});
}

void plain(const QString& text)
{
    showRequest({Icon::None, QApplication::applicationName(), text, {Button::Ok}});
}

bool askYesNo(const QString& title, const QString& text, Icon icon)
{
    return showRequest({icon, title, text, {Button::Yes, Button::No}}) == Button::Yes;
}

Button ask(const Request& request)
{
    return showRequest(request);
}

std::optional<QString> inputText(const QString& title, const QString& label, const QString& text)
{
    return currentBackend->inputText(currentOwner.data(), title, label, text);
}

std::optional<QString> inputText(const QString& title, const QString& label, const QString& text,
                                 int maxLength)
{
    return currentBackend->inputLimited(currentOwner.data(), title, label, text, maxLength);
}

} // namespace MessageBoxes
