#include "daily_planner_page.h"

#include "clock.h"
#include "date_formats.h"
#include "day_events_query.h"
#include "day_names.h"
#include "error_handler.h"
#include "notes_store.h"
#include "planner_widgets.h"
#include "section_host.h"

#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

constexpr int kTasksSection = 5;
constexpr int kRemindersSection = 6;
constexpr int kTypeWidth = 150;
constexpr int kNameWidth = 485;

QFont gothic(int pixels, bool bold = false)
{
    QFont font;
    font.setFamilies(
        {QStringLiteral("Century Gothic"), QStringLiteral("URW Gothic"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QIcon kindIcon(DayItem::Kind kind)
{
    return QIcon(kind == DayItem::Kind::Reminder ? QStringLiteral(":/icons/nodes/reminders.png")
                                                 : QStringLiteral(":/icons/nodes/tasks.png"));
}

} // namespace

DailyPlannerPage::DailyPlannerPage(SectionHost& host, QGroupBox* box) : QObject(box), m_host(host)
{
    setObjectName(QStringLiteral("DailyPlannerPage"));
    buildControls(box);
}

void DailyPlannerPage::buildControls(QGroupBox* box)
{
    // The heading has its own type sizes; it sits in a frame of its own so
    // that the colour scheme's font, which every label directly in a section
    // takes, leaves it as large as it is. Its colours still follow the scheme.
    auto* heading = new QFrame(box);
    heading->setObjectName(QStringLiteral("DayHeading"));
    m_leaf = new DayLeaf(heading);
    Label30 = new QLabel(QStringLiteral("Сегодня:"), heading);
    Label30->setObjectName(QStringLiteral("Label30"));
    Label30->setFont(gothic(22, true));
    Label31 = new QLabel(heading);
    Label31->setObjectName(QStringLiteral("Label31"));
    Label31->setFont(gothic(17));
    auto* words = new QVBoxLayout;
    words->setSpacing(2);
    words->addStretch(1);
    words->addWidget(Label30);
    words->addWidget(Label31);
    words->addStretch(1);
    auto* headingRow = new QHBoxLayout(heading);
    headingRow->setContentsMargins(2, 2, 2, 2);
    headingRow->setSpacing(14);
    headingRow->addWidget(m_leaf);
    headingRow->addLayout(words, 1);

    Label32 = new QLabel(QStringLiteral("События на сегодня:"), box);
    Label32->setObjectName(QStringLiteral("Label32"));

    DayEvents = new DayEventsList(box);
    DayEvents->setObjectName(QStringLiteral("DayEvents"));
    DayEvents->setColumnCount(2);
    DayEvents->setHeaderLabels({QStringLiteral("Тип"), QStringLiteral("Наименование")});
    DayEvents->setColumnWidth(0, kTypeWidth);
    DayEvents->setColumnWidth(1, kNameWidth);
    DayEvents->header()->setStretchLastSection(true);
    DayEvents->header()->setSectionsMovable(false);
    DayEvents->setRootIsDecorated(false);
    DayEvents->setUniformRowHeights(true);
    DayEvents->setAlternatingRowColors(true);
    DayEvents->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DayEvents->setSelectionBehavior(QAbstractItemView::SelectRows);
    DayEvents->setIconSize(QSize(20, 20));
    DayEvents->setFont(gothic(14));
    connect(DayEvents, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        ErrorHandler::guard([this, item] { DayEventsDblClick(item); });
    });

    Label33 = new QLabel(QStringLiteral("Заметка:"), box);
    Label33->setObjectName(QStringLiteral("Label33"));
    DayMark = new QPlainTextEdit(box);
    DayMark->setObjectName(QStringLiteral("DayMark"));
    DayMark->setReadOnly(true);
    DayMark->setLineWrapMode(QPlainTextEdit::NoWrap);
    DayMark->setPlaceholderText(QStringLiteral("Заметки на сегодня нет. Её можно написать в календаре."));

    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(12, 10, 12, 12);
    column->setSpacing(6);
    column->addWidget(heading);
    column->addSpacing(6);
    column->addWidget(Label32);
    column->addWidget(DayEvents, 3);
    column->addSpacing(4);
    column->addWidget(Label33);
    column->addWidget(DayMark, 2);
}

void DailyPlannerPage::build()
{
    const QDate today = Clock::today();
    Label30->setText(DayNames::todayHeading(today));
    Label31->setText(DayNames::weekday(today));
    m_leaf->setDate(today);

    DayMark->clear();
    if (const auto note = NotesStore(m_host.database()).dayNote(today))
        DayMark->setPlainText(NotesStore::toDisplayLines(*note));

    DayEvents->clear();
    QList<QTreeWidgetItem*> rows;
    for (const DayItem& event : DayEventsQuery::itemsOf(m_host.database(), today)) {
        auto* row = new QTreeWidgetItem({DayEventsQuery::kindName(event.kind), event.name});
        row->setIcon(0, kindIcon(event.kind));
        const QString when = DateFormats::moment(event.moment);
        row->setToolTip(0, when);
        row->setToolTip(1, event.name + QLatin1Char('\n') + when);
        rows.append(row);
    }
    DayEvents->addTopLevelItems(rows);
}

void DailyPlannerPage::DayEventsDblClick(QTreeWidgetItem* item)
{
    if (!item)
        return;
    const QString type = item->text(0);
    const QString name = item->text(1);
    std::optional<qint64> key;
    int section = 0;
    if (type == DayEventsQuery::kReminder) {
        key = DayEventsQuery::firstReminder(m_host.database(), name);
        section = kRemindersSection;
    } else if (type == DayEventsQuery::kTask) {
        key = DayEventsQuery::firstTask(m_host.database(), name);
        section = kTasksSection;
    }
    if (!key)
        return;
    m_host.showSection(section);
    if (selectRow)
        selectRow(section, *key);
}
