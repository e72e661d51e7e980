// The menu's editing and inserting commands act on the focused text box.
#include "main_window.h"

#include "clock.h"
#include "date_formats.h"
#include "error_handler.h"
#include "file_dialogs.h"
#include "text_decoding.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

// A text box of the main window, or nothing when the focus is elsewhere.
struct FocusedText
{
    QLineEdit* line = nullptr;
    QPlainTextEdit* plain = nullptr;
    QTextEdit* rich = nullptr;
    bool any() const { return line || plain || rich; }
    // A read-only box can be copied from, but takes no edit: what a command
    // wrote there would be stored by the next settings save.
    bool editable() const
    {
        return (line && !line->isReadOnly()) || (plain && !plain->isReadOnly()) ||
               (rich && !rich->isReadOnly());
    }
    QString selectedText() const
    {
        if (line)
            return line->selectedText();
        QString text;
        if (plain)
            text = plain->textCursor().selectedText();
        else if (rich)
            text = rich->textCursor().selectedText();
        // A text cursor marks line breaks with the paragraph separator.
        return text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    }
};

FocusedText focusedText(QWidget* window)
{
    FocusedText found;
    QWidget* focus = window->focusWidget();
    if (!focus)
        return found;
    found.line = qobject_cast<QLineEdit*>(focus);
    found.plain = qobject_cast<QPlainTextEdit*>(focus);
    found.rich = qobject_cast<QTextEdit*>(focus);
    return found;
}

void insertText(const FocusedText& target, const QString& text)
{
    if (!target.editable())
        return;
    if (target.line)
        target.line->insert(text);
    else if (target.plain)
        target.plain->insertPlainText(text);
    else if (target.rich)
        target.rich->insertPlainText(text);
}

} // namespace

void TForm1::CutClick()
{
    const FocusedText target = focusedText(this);
    if (!target.editable())
        return;
    if (target.line)
        target.line->cut();
    else if (target.plain)
        target.plain->cut();
    else if (target.rich)
        target.rich->cut();
}

void TForm1::CopyClick()
{
    const FocusedText target = focusedText(this);
    if (target.line)
        target.line->copy();
    else if (target.plain)
        target.plain->copy();
    else if (target.rich)
        target.rich->copy();
}

void TForm1::PasteClick()
{
    const FocusedText target = focusedText(this);
    if (target.any())
        insertText(target, QApplication::clipboard()->text());
}

void TForm1::InsertDateClick()
{
    // The inserted text stays on the clipboard, as it always has.
    QApplication::clipboard()->setText(DateFormats::shortDate(Clock::today()));
    PasteClick();
}

void TForm1::InsertTimeClick()
{
    QApplication::clipboard()->setText(DateFormats::longTime(Clock::now().time()));
    PasteClick();
}

void TForm1::InsertFileClick()
{
    const FocusedText target = focusedText(this);
    const QString path = FileDialogs::openFileName(this, QStringLiteral("Открыть"),
                                                   QStringLiteral("Тект (*.txt)|*.txt|Другое (*.*)|*.*"));
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ErrorHandler::report();
        return;
    }
    QString text = TextDecoding::decode(file.readAll());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (!target.any())
        return;
    // Each line replaces the selection with the selected text followed by
    // the line, so the selection stays and the lines land after it.
    for (const QString& line : std::as_const(lines))
        insertText(target, target.selectedText() + (target.line ? line : line + QLatin1Char('\n')));
}
