#include "schemes_page.h"

#include "error_handler.h"
#include "message_boxes.h"
#include "profile_database.h"
#include "scheme_dialogs.h"
#include "scheme_look.h"
#include "section_host.h"
#include "settings.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kNameLength = 50;

// The handlers of the page run behind the application-wide error handler.
template <typename Page, typename Handler> void onClick(QPushButton* button, Page* page, Handler handler)
{
    QObject::connect(button, &QPushButton::clicked, page,
                     [page, handler] { ErrorHandler::guard([page, handler] { (page->*handler)(); }); });
}

QFont capped(QFont font)
{
    if (ColourSchemes::pointSizeOf(font) > ColourSchemes::kLargestChosenSize)
        font.setPointSize(ColourSchemes::kLargestChosenSize);
    return ColourSchemes::inPoints(font);
}

} // namespace

SchemesPage::SchemesPage(SectionHost& host, const SchemeLook& initial, QWidget* parent)
    : QWidget(parent), m_host(host), m_editor(initial)
{
    setObjectName(QStringLiteral("SchemesPage"));
    buildControls();
    showEditor();
}

void SchemesPage::buildControls()
{
    const auto label = [this](const char* name, const QString& text) {
        auto* made = new QLabel(text, this);
        made->setObjectName(QLatin1String(name));
        return made;
    };
    const auto edit = [this](const char* name) {
        auto* made = new QLineEdit(this);
        made->setObjectName(QLatin1String(name));
        made->setReadOnly(true);
        return made;
    };
    const auto button = [this](const char* name, const QString& text) {
        auto* made = new QPushButton(text, this);
        made->setObjectName(QLatin1String(name));
        return made;
    };

    Label24 = label("Label24", QStringLiteral("Цветовые схемы:"));
    ComboBox5 = new QComboBox(this);
    ComboBox5->setObjectName(QStringLiteral("ComboBox5"));
    ComboBox5->setEditable(true);
    // What is typed is the name as typed: no completion, no new items.
    ComboBox5->setCompleter(nullptr);
    ComboBox5->setInsertPolicy(QComboBox::NoInsert);
    ComboBox5->addItem(ColourSchemes::kProtectedName);
    ComboBox5->setMinimumWidth(260);
    Label24->setBuddy(ComboBox5);

    SchemeEditor = new QGroupBox(QStringLiteral("Редактор"), this);
    SchemeEditor->setObjectName(QStringLiteral("SchemeEditor"));
    Label26 = label("Label26", QStringLiteral("Название:"));
    Edit15 = new QLineEdit(this);
    Edit15->setObjectName(QStringLiteral("Edit15"));
    Edit15->setMaxLength(kNameLength);
    Label27 = label("Label27", QStringLiteral("Шрифт:"));
    Edit16 = edit("Edit16");
    Button18 = button("Button18", QStringLiteral("..."));
    Label28 = label("Label28", QStringLiteral("Цвет:"));
    Edit17 = edit("Edit17");
    Button19 = button("Button19", QStringLiteral("..."));
    Label29 = label("Label29", QStringLiteral("Шрифт2:"));
    Edit18 = edit("Edit18");
    Button20 = button("Button20", QStringLiteral("..."));
    Button21 = button("Button21", QStringLiteral("Сохранить"));
    Button22 = button("Button22", QStringLiteral("Удалить"));
    Button23 = button("Button23", QStringLiteral("Применить"));
    for (QPushButton* small : {Button18, Button19, Button20})
        small->setFixedWidth(36);
    for (QPushButton* wide : {Button21, Button22, Button23})
        wide->setMinimumWidth(110);

    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(10);
    const QList<std::tuple<QLabel*, QLineEdit*, QPushButton*>> rows = {{Label26, Edit15, nullptr},
                                                                       {Label27, Edit16, Button18},
                                                                       {Label28, Edit17, Button19},
                                                                       {Label29, Edit18, Button20}};
    for (int row = 0; row < rows.size(); ++row) {
        const auto& [caption, box, chooser] = rows[row];
        caption->setParent(SchemeEditor);
        box->setParent(SchemeEditor);
        caption->setBuddy(box);
        grid->addWidget(caption, row, 0);
        grid->addWidget(box, row, 1);
        if (chooser) {
            chooser->setParent(SchemeEditor);
            grid->addWidget(chooser, row, 2);
        }
    }
    auto* commands = new QHBoxLayout;
    commands->addStretch();
    for (QPushButton* command : {Button21, Button22, Button23}) {
        command->setParent(SchemeEditor);
        commands->addWidget(command);
    }
    auto* editorLayout = new QVBoxLayout(SchemeEditor);
    editorLayout->setContentsMargins(12, 16, 12, 12);
    editorLayout->addLayout(grid);
    editorLayout->addSpacing(6);
    editorLayout->addLayout(commands);

    auto* pick = new QHBoxLayout;
    pick->addWidget(Label24);
    pick->addWidget(ComboBox5, 1);
    pick->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(12);
    layout->addLayout(pick);
    layout->addWidget(SchemeEditor);
    layout->addStretch();

    connect(ComboBox5, &QComboBox::editTextChanged, this,
            [this](const QString& text) { ErrorHandler::guard([this, &text] { ComboBox5Change(text); }); });
    onClick(Button18, this, &SchemesPage::Button18Click);
    onClick(Button19, this, &SchemesPage::Button19Click);
    onClick(Button20, this, &SchemesPage::Button20Click);
    onClick(Button21, this, &SchemesPage::Button21Click);
    onClick(Button22, this, &SchemesPage::Button22Click);
    onClick(Button23, this, &SchemesPage::Button23Click);
}

SchemeStore SchemesPage::store() const
{
    return SchemeStore(m_host.database().ColorsTable);
}

void SchemesPage::showEditor()
{
    Edit16->setText(ColourSchemes::fontText(m_editor.mainFont));
    SchemeLooks::paint(Edit16, m_editor.mainFont, m_editor.mainText);
    Edit18->setText(ColourSchemes::fontText(m_editor.treeFont));
    SchemeLooks::paint(Edit18, m_editor.treeFont, m_editor.treeText);
    QPalette colours = Edit17->palette();
    colours.setColor(QPalette::Base, m_editor.background);
    Edit17->setPalette(colours);
}

void SchemesPage::loadIntoEditor(const ColourScheme& scheme)
{
    Edit15->setText(scheme.name);
    m_editor = ColourSchemes::lookOf(scheme, m_editor);
    showEditor();
}

void SchemesPage::fill()
{
    const QStringList names = store().names();
    const int position = std::max<int>(0, int(names.lastIndexOf(m_host.settings().skin)));
    {
        // Selecting from here is not a choice of the user's.
        const QSignalBlocker quiet(ComboBox5);
        ComboBox5->clear();
        ComboBox5->addItems(names);
        ComboBox5->setCurrentIndex(names.isEmpty() ? -1 : position);
    }
    if (const std::optional<ColourScheme> scheme = store().lastNamed(ComboBox5->currentText()))
        loadIntoEditor(*scheme);
}

void SchemesPage::relist()
{
    const QSignalBlocker quiet(ComboBox5);
    const QString text = ComboBox5->currentText();
    ComboBox5->clear();
    ComboBox5->addItems(store().names());
    ComboBox5->setCurrentIndex(ComboBox5->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
    ComboBox5->setEditText(text);
}

void SchemesPage::ComboBox5Change(const QString& text)
{
    if (m_host.startupFinished())
        m_host.markSettingsChanged();
    if (const std::optional<ColourScheme> scheme = store().lastNamed(text))
        loadIntoEditor(*scheme);
    m_host.settings().skin = text;
    emit applyRequested();
}

void SchemesPage::Button18Click()
{
    const std::optional<SchemeDialogs::FontChoice> chosen =
        SchemeDialogs::chooseFont(window(), {m_editor.mainFont, m_editor.mainText});
    if (!chosen)
        return;
    m_editor.mainFont = capped(chosen->font);
    m_editor.mainText = chosen->colour;
    showEditor();
}

void SchemesPage::Button19Click()
{
    const std::optional<QColor> chosen = SchemeDialogs::chooseColour(window(), m_editor.background);
    if (!chosen)
        return;
    m_editor.background = chosen->toRgb();
    showEditor();
}

void SchemesPage::Button20Click()
{
    const std::optional<SchemeDialogs::FontChoice> chosen =
        SchemeDialogs::chooseFont(window(), {m_editor.treeFont, m_editor.treeText});
    if (!chosen)
        return;
    m_editor.treeFont = capped(chosen->font);
    m_editor.treeText = chosen->colour;
    showEditor();
}

void SchemesPage::Button21Click()
{
    const QString name = Edit15->text();
    if (name.trimmed().isEmpty()) {
        MessageBoxes::errorBox(QStringLiteral("Укажите название цветовой схемы!"));
        return;
    }
    QString error;
    if (!store().save(ColourSchemes::schemeOf(name, m_editor), &error)) {
        MessageBoxes::errorBox(
            QStringLiteral("Не удалось сохранить цветовую схему «%1»: ошибка базы данных.\r\n"
                           "Схемы остались такими, какими были до сохранения.")
                .arg(name));
        return;
    }
    relist();
    MessageBoxes::successBox(QStringLiteral("Сохранено."));
}

void SchemesPage::Button22Click()
{
    const QString name = ComboBox5->currentText();
    if (name == ColourSchemes::kProtectedName) {
        MessageBoxes::errorBox(QStringLiteral("Нельзя удалить этот скин!"));
        return;
    }
    if (!store().removeFirst(name))
        return;
    const QSignalBlocker quiet(ComboBox5);
    const int item = ComboBox5->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (item >= 0)
        ComboBox5->removeItem(item);
    // The box names no scheme until the next choice.
    ComboBox5->setCurrentIndex(-1);
    ComboBox5->setEditText(QString());
}

void SchemesPage::Button23Click()
{
    emit applyRequested();
}
