#pragma once

#include <QList>
#include <QString>
#include <optional>

class QWidget;

// Every message box, question and simple input of the program goes through
// here, so that tests can answer them. No other code calls QMessageBox.
namespace MessageBoxes {

enum class Icon { None, Information, Warning, Critical, Question };
enum class Button { Ok, Yes, No, Cancel };

struct Request
{
    Icon icon = Icon::None;
    QString title;
    QString text;
    QList<Button> buttons;
};

class Backend
{
public:
    virtual ~Backend() = default;
    virtual Button show(QWidget* parent, const Request& request) = 0;
    virtual std::optional<QString> inputText(QWidget* parent, const QString& title, const QString& label,
                                             const QString& text) = 0;
    // The same, admitting at most maxLength characters. A backend that cannot
    // limit typing gets its answer cut to the length instead.
    virtual std::optional<QString> inputLimited(QWidget* parent, const QString& title, const QString& label,
                                                const QString& text, int maxLength)
    {
        const auto answer = inputText(parent, title, label, text);
        return answer ? std::optional<QString>(answer->left(maxLength)) : std::nullopt;
    }
};

// Tests put a scripted backend in; nullptr restores the real one.
void setBackend(Backend* backend);
// The window that owns the boxes (the main window once it exists).
void setOwner(QWidget* owner);

inline const QString kErrorTitle = QStringLiteral("Произошла ошибка!");
inline const QString kErrorHint =
    QStringLiteral("Для устранения причин ошибки воспользуйтесь значком ? в правом верхнем углу. Или можете "
                   "активировать в правой панели режим Справка и выбрать требуемый раздел.");

// The error box: the message, an empty line and the help hint.
void errorBox(const QString& message);
// The success box: the message under "Успех".
void successBox(const QString& message);
void information(const QString& title, const QString& text);
void warning(const QString& title, const QString& text);
void critical(const QString& title, const QString& text);
// A message box with the application's title as its caption.
void plain(const QString& text);
// Yes/No with the warning icon, as every confirmation before deleting.
bool askYesNo(const QString& title, const QString& text, Icon icon = Icon::Warning);
Button ask(const Request& request);
// The simple input dialog; nullopt when cancelled.
std::optional<QString> inputText(const QString& title, const QString& label, const QString& text = {});
// The simple input dialog whose line admits at most maxLength characters.
std::optional<QString> inputText(const QString& title, const QString& label, const QString& text,
                                 int maxLength);

} // namespace MessageBoxes
