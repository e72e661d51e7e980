#include "note_editor.h"

#include "clock.h"
#include "date_formats.h"
#include "error_handler.h"
#include "menu_shortcuts.h"
#include "notes_store.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

namespace {

constexpr int kClientWidth = 612;
constexpr int kClientHeight = 378;

} // namespace

TForm3::TForm3(QWidget* parent) : SkinnedDialog(parent)
{
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("Добавить заметку"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);

    QFont face;
    face.setFamilies(
        {QStringLiteral("Century Gothic"), QStringLiteral("URW Gothic"), QStringLiteral("DejaVu Sans")});
    face.setPixelSize(16);
    setFont(face);
    QPalette cream = palette();
    cream.setColor(QPalette::Window, QColor(255, 251, 240));
    setPalette(cream);
    setAutoFillBackground(true);

    buildControls();
    buildMenu();
}

void TForm3::buildMenu()
{
    ActionMainMenuBar1 = new QMenuBar(this);
    ActionMainMenuBar1->setObjectName(QStringLiteral("ActionMainMenuBar1"));
    layout()->setMenuBar(ActionMainMenuBar1);

    const auto add = [this](QMenu* menu, const QString& text, const char* icon, const char* keys,
                            const char* name, void (TForm3::*handler)()) {
        QAction* action = menu->addAction(text);
        if (icon)
            action->setIcon(QIcon(QStringLiteral(":/icons/menu/%1.png").arg(QLatin1String(icon))));
        action->setObjectName(QLatin1String(name));
        action->setShortcut(QKeySequence(QLatin1String(keys)));
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this,
                [this, handler] { ErrorHandler::guard([this, handler] { (this->*handler)(); }); });
        return action;
    };

    QMenu* edit = ActionMainMenuBar1->addMenu(QStringLiteral("Правка"));
    edit->setObjectName(QStringLiteral("EditMenu"));
    Action1 = add(edit, QStringLiteral("Вырезать"), "cut", "Ctrl+X", "Action1", &TForm3::Action1Execute);
    Action2 = add(edit, QStringLiteral("Копировать"), "copy", "Ctrl+C", "Action2", &TForm3::Action2Execute);
    Action3 = add(edit, QStringLiteral("Вставить"), "paste", "Ctrl+V", "Action3", &TForm3::Action3Execute);

    QMenu* insert = ActionMainMenuBar1->addMenu(QStringLiteral("Вставка"));
    insert->setObjectName(QStringLiteral("InsertMenu"));
    Action4 = add(insert, QStringLiteral("Список"), nullptr, "Ctrl+L", "Action4", &TForm3::Action4Execute);
    Action5 = add(insert, QStringLiteral("Дата"), "date", "Ctrl+D", "Action5", &TForm3::Action5Execute);
    Action6 = add(insert, QStringLiteral("Время"), "time", "Ctrl+T", "Action6", &TForm3::Action6Execute);
    // The commands act on the note's text even with the caret in the name box.
    new MenuShortcutsFirst(this);
}

void TForm3::buildControls()
{
    Label1 = new QLabel(QStringLiteral("Название:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit1 = new QLineEdit(QStringLiteral("Заметка1"), this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(kNameLength);
    Label1->setBuddy(Edit1);

    RichEdit1 = new QPlainTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setTabChangesFocus(false);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QIcon(QStringLiteral(":/icons/note_large.png")).pixmap(40, 40));
    Image1->setFixedSize(44, 44);
    Image1->setAlignment(Qt::AlignCenter);

    StaticText1 =
        new QLabel(QStringLiteral("Заметки - текстовые сообщения для записи полезной информации"), this);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText1->setFrameShape(QFrame::StyledPanel);
    StaticText1->setFrameShadow(QFrame::Sunken);
    StaticText1->setWordWrap(true);
    StaticText1->setMargin(4);

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("Отмена"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    for (QPushButton* button : {BitBtn1, BitBtn2})
        button->setMinimumWidth(100);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(Label1);
    nameRow->addWidget(Edit1, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Image1, 0, Qt::AlignVCenter);
    bottom->addWidget(StaticText1, 1);
    bottom->addSpacing(12);
    bottom->addWidget(BitBtn1, 0, Qt::AlignVCenter);
    bottom->addWidget(BitBtn2, 0, Qt::AlignVCenter);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 8, 10, 10);
    column->setSpacing(8);
    column->addLayout(nameRow);
    column->addWidget(RichEdit1, 1);
    column->addLayout(bottom);
}

QString TForm3::noteText() const
{
    // The raw text: toPlainText() would turn no-break spaces into spaces and
    // line separators into line breaks, and the note must keep what was typed.
    QString text = RichEdit1->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return NotesStore::toStoredLines(text);
}

void TForm3::setNoteText(const QString& text)
{
    RichEdit1->setPlainText(NotesStore::toDisplayLines(text));
}

void TForm3::Action1Execute()
{
    RichEdit1->cut();
}

void TForm3::Action2Execute()
{
    RichEdit1->copy();
}

void TForm3::Action3Execute()
{
    RichEdit1->paste();
}

void TForm3::Action4Execute()
{
    // Always at the very end, wherever the caret is; nothing follows "5)".
    QTextCursor cursor(RichEdit1->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral("\n1)\n2)\n3)\n4)\n5)"));
    RichEdit1->setTextCursor(cursor);
}

void TForm3::Action5Execute()
{
    RichEdit1->insertPlainText(DateFormats::shortDate(Clock::today()));
}

void TForm3::Action6Execute()
{
    RichEdit1->insertPlainText(DateFormats::longTime(Clock::now().time()));
}
