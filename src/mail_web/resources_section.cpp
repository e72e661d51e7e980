#include "resources_section.h"

#include "error_handler.h"
#include "message_boxes.h"
#include "section_host.h"
#include "shell.h"

#include "section_buttons.h"

#include <QComboBox>
#include <QCompleter>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

namespace {

using SectionButtons::button;

const QString kAddTitle = QStringLiteral("Добавить...");
const QString kErrorTitle = QStringLiteral("Ошибка");
const QString kWarningTitle = QStringLiteral("Предупреждение");
const QString kInformationTitle = QStringLiteral("Информация");

// The text prompt: Cancel gives the default text back.
QString prompt(const QString& label, const QString& defaultText)
{
    return MessageBoxes::inputText(kAddTitle, label, defaultText).value_or(defaultText);
}

} // namespace

LinkCategories ResourcesSection::openCategories(const QString& programFolder)
{
    const QString folder = LinkCategories::userFolder();
    LinkCategories::seed(folder, LinkCategories::shippedFolder(programFolder));
    return LinkCategories(folder);
}

ResourcesSection::ResourcesSection(SectionHost& host, QGroupBox* box, const LinkCategories& categories,
                                   const QStringList& names)
    : QObject(box), m_host(host), m_categories(categories)
{
    setObjectName(QStringLiteral("ResourcesSection"));
    QStyle* style = box->style();

    ComboBox2 = new QComboBox(box);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->setEditable(true);
    ComboBox2->setInsertPolicy(QComboBox::NoInsert);
    // Categories that differ only in letter case are different files: a name
    // typed in the box must not be taken for another on Enter or on leaving it.
    ComboBox2->completer()->setCaseSensitivity(Qt::CaseSensitive);
    ComboBox2->setGeometry(16, 52, 400, 28);
    auto* caption = new QLabel(QStringLiteral("Категория:"), box);
    caption->setObjectName(QStringLiteral("Label14"));
    caption->setGeometry(16, 28, 400, 22);
    caption->setBuddy(ComboBox2);

    BitBtn11 = button(box, "BitBtn11", QString(), QRect(424, 50, 32, 32));
    BitBtn11->setIcon(style->standardIcon(QStyle::SP_FileDialogNewFolder));
    BitBtn11->setToolTip(QStringLiteral("Добавить категорию"));
    BitBtn11->setAccessibleName(QStringLiteral("Добавить категорию"));
    BitBtn12 = button(box, "BitBtn12", QString(), QRect(462, 50, 32, 32));
    BitBtn12->setIcon(style->standardIcon(QStyle::SP_TrashIcon));
    BitBtn12->setToolTip(QStringLiteral("Удалить категорию"));
    BitBtn12->setAccessibleName(QStringLiteral("Удалить категорию"));

    ListBox4 = new QListWidget(box);
    ListBox4->setObjectName(QStringLiteral("ListBox4"));
    ListBox4->setGeometry(16, 92, 657, 370);
    Label15 = new QLabel(QStringLiteral("Избранное. Вы можете добавлять URL-адреса"), box);
    Label15->setObjectName(QStringLiteral("Label15"));
    Label15->setGeometry(16, 468, 657, 24);

    BitBtn15 = button(box, "BitBtn15", QStringLiteral("Запустить"), QRect(16, 508, 140, 34));
    BitBtn15->setIcon(style->standardIcon(QStyle::SP_MediaPlay));
    BitBtn13 = button(box, "BitBtn13", QStringLiteral("Добавить"), QRect(168, 508, 140, 34));
    BitBtn13->setIcon(style->standardIcon(QStyle::SP_FileIcon));
    BitBtn14 = button(box, "BitBtn14", QStringLiteral("Удалить"), QRect(320, 508, 140, 34));
    BitBtn14->setIcon(style->standardIcon(QStyle::SP_DialogDiscardButton));

    ComboBox2->addItems(names);
    ComboBox2->setCurrentIndex(-1);
    ComboBox2->setEditText(QString());

    const auto guarded = [this](void (ResourcesSection::*handler)()) {
        return [this, handler] { ErrorHandler::guard([this, handler] { (this->*handler)(); }); };
    };
    connect(ComboBox2, &QComboBox::currentTextChanged, this, guarded(&ResourcesSection::ComboBox2Change));
    connect(BitBtn11, &QPushButton::clicked, this, guarded(&ResourcesSection::BitBtn11Click));
    connect(BitBtn12, &QPushButton::clicked, this, guarded(&ResourcesSection::BitBtn12Click));
    connect(BitBtn13, &QPushButton::clicked, this, guarded(&ResourcesSection::BitBtn13Click));
    connect(BitBtn14, &QPushButton::clicked, this, guarded(&ResourcesSection::BitBtn14Click));
    connect(BitBtn15, &QPushButton::clicked, this, guarded(&ResourcesSection::BitBtn15Click));
    // A double click or Enter on a line opens it, as "Запустить" does.
    connect(ListBox4, &QListWidget::itemActivated, this, guarded(&ResourcesSection::BitBtn15Click));
}

QString ResourcesSection::current() const
{
    return ComboBox2->currentText();
}

QString ResourcesSection::selectedLink() const
{
    const QListWidgetItem* item = ListBox4->currentItem();
    return item && item->isSelected() ? item->text().mid(1) : QString();
}

void ResourcesSection::ComboBox2Change()
{
    ListBox4->clear();
    QStringList lines;
    // A name still being typed has no file yet: the list stays empty.
    if (m_categories.exists(current()) && m_categories.read(current(), &lines))
        ListBox4->addItems(lines);
}

void ResourcesSection::BitBtn11Click()
{
    const QString name =
        prompt(QStringLiteral("Введите название новой категории"), QStringLiteral("Категория1"));
    if (m_categories.exists(name)) {
        MessageBoxes::critical(kErrorTitle, QStringLiteral("Такая категория уже существует!"));
        return;
    }
    // An empty name, or one that would make a file outside the folder or a hidden one.
    const QString refusal = LinkCategories::refusalOf(name);
    if (!refusal.isEmpty()) {
        MessageBoxes::critical(kErrorTitle, refusal);
        return;
    }
    if (!m_categories.create(name)) {
        ErrorHandler::report();
        return;
    }
    ComboBox2->addItem(name);
    {
        const QSignalBlocker quiet(ComboBox2);
        ComboBox2->setCurrentIndex(ComboBox2->count() - 1);
    }
    ListBox4->clear();
}

void ResourcesSection::BitBtn12Click()
{
    const QString name = current();
    if (!m_categories.exists(name))
        return;
    if (!MessageBoxes::askYesNo(kWarningTitle, QStringLiteral("Вы действительно хотите удалить категорию ") +
                                                   name + QLatin1Char('?')))
        return;
    if (!m_categories.remove(name))
        return;
    const int item = ComboBox2->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (item >= 0) {
        const QSignalBlocker quiet(ComboBox2);
        ComboBox2->removeItem(item);
        ComboBox2->setEditText(name);
    }
    ListBox4->clear();
    MessageBoxes::information(kInformationTitle, QStringLiteral("Категория удалена!"));
}

void ResourcesSection::BitBtn13Click()
{
    const QString link = prompt(QStringLiteral("Введите адрес новой ссылки (желательно с http://)"),
                                QStringLiteral("http://"));
    if (link.isEmpty())
        return;
    const QString line = QLatin1Char(' ') + link;
    // No category chosen means no file: nothing happens and nothing is shown.
    if (!m_categories.append(current(), line))
        return;
    ListBox4->addItem(line);
    m_host.setStatusMessage(QStringLiteral("Ссылка добавлена!"));
}

void ResourcesSection::BitBtn14Click()
{
    const QString name = current();
    if (!m_categories.exists(name))
        return;
    if (selectedLink().isEmpty())
        return;
    if (!MessageBoxes::askYesNo(kWarningTitle, QStringLiteral("Вы действительно хотите удалить эту ссылку?")))
        return;
    delete ListBox4->takeItem(ListBox4->currentRow());
    QStringList lines;
    for (int i = 0; i < ListBox4->count(); ++i)
        lines.append(ListBox4->item(i)->text());
    if (!m_categories.write(name, lines)) {
        ErrorHandler::report();
        return;
    }
    m_host.setStatusMessage(QStringLiteral("Ссылка удалена!"));
}

void ResourcesSection::BitBtn15Click()
{
    // With no line selected the shell is handed an empty text, which opens nothing.
    Shell::open(selectedLink());
}
