#include "dates_import_window.h"

#include "dates_exchange.h"
#include "planner_rules.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

DatesImportWindow::DatesImportWindow(const ICalendarFile::ReadResult& read, QWidget* parent)
    : SkinnedDialog(parent), m_found(read.found)
{
    setObjectName(QStringLiteral("DatesImportWindow"));
    setWindowTitle(QStringLiteral("Импорт напоминаний"));
    auto* layout = new QVBoxLayout(this);

    Label1 = new QLabel(
        QStringLiteral("Отмеченные события и задачи станут напоминаниями. Прошедшие не отмечены."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    layout->addWidget(Label1);

    DatesList = new QListWidget(this);
    DatesList->setObjectName(QStringLiteral("DatesList"));
    DatesList->setAccessibleName(QStringLiteral("События файла"));
    for (const ICalendarFile::Found& item : m_found) {
        QString caption = PlannerRules::momentText(item.moment) + QStringLiteral("  —  ") + item.text;
        if (item.past)
            caption += QStringLiteral("  (уже прошло)");
        auto* line = new QListWidgetItem(caption, DatesList);
        line->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        line->setCheckState(item.past ? Qt::Unchecked : Qt::Checked);
    }
    Label1->setBuddy(DatesList);
    layout->addWidget(DatesList, 1);

    auto* ticks = new QHBoxLayout;
    SelectAllButton = new QPushButton(QStringLiteral("Отметить все"), this);
    SelectAllButton->setObjectName(QStringLiteral("SelectAllButton"));
    SelectNoneButton = new QPushButton(QStringLiteral("Снять все отметки"), this);
    SelectNoneButton->setObjectName(QStringLiteral("SelectNoneButton"));
    ticks->addWidget(SelectAllButton);
    ticks->addWidget(SelectNoneButton);
    ticks->addStretch(1);
    layout->addLayout(ticks);
    connect(SelectAllButton, &QPushButton::clicked, this, [this] { tickAll(true); });
    connect(SelectNoneButton, &QPushButton::clicked, this, [this] { tickAll(false); });

    if (!read.skipped.isEmpty()) {
        Label2 = new QLabel(QStringLiteral("Не взяты из файла:"), this);
        Label2->setObjectName(QStringLiteral("Label2"));
        layout->addWidget(Label2);
        SkippedBox = new QPlainTextEdit(DatesExchange::skippedText(read.skipped), this);
        SkippedBox->setObjectName(QStringLiteral("SkippedBox"));
        SkippedBox->setReadOnly(true);
        SkippedBox->setMaximumHeight(90);
        Label2->setBuddy(SkippedBox);
        layout->addWidget(SkippedBox);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    BitBtn1 = new QPushButton(QStringLiteral("Добавить"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Отмена"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    layout->addLayout(buttons);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    setDesignSize(QSize(600, 440));
}

void DatesImportWindow::tickAll(bool ticked)
{
    for (int i = 0; i < DatesList->count(); ++i)
        DatesList->item(i)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

QList<ICalendarFile::Found> DatesImportWindow::chosen() const
{
    QList<ICalendarFile::Found> ticked;
    for (int i = 0; i < DatesList->count() && i < m_found.size(); ++i)
        if (DatesList->item(i)->checkState() == Qt::Checked)
            ticked.append(m_found[i]);
    return ticked;
}
