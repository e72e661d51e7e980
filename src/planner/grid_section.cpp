#include "grid_section.h"

#include "error_handler.h"

#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>

namespace {
constexpr int kButtonWidth = 150;
constexpr int kButtonGap = 12;
// The first column is as wide as this many characters of the grid's font.
constexpr int kFirstColumnCharacters = 40;
} // namespace

GridSection::GridSection(SectionHost& host, QGroupBox* box, MonitorSwitch& monitor, const TableObject& table,
                         QList<PlannerGridModel::Column> columns, const char* gridName)
    : QObject(box), m_host(host), m_box(box), m_monitor(monitor)
{
    m_model = new PlannerGridModel(table, std::move(columns), this);
    m_grid = new QTableView(box);
    m_grid->setObjectName(QLatin1String(gridName));
    m_grid->setGeometry(16, 32, 657, 462);
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setAlternatingRowColors(true);
    m_grid->setWordWrap(false);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 8);
    m_grid->verticalHeader()->setFixedWidth(14);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->horizontalHeader()->setHighlightSections(false);
    fitFirstColumn();
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The section reads its table afresh each time it is shown.
    box->installEventFilter(this);
}

QPushButton* GridSection::addButton(const char* objectName, const QString& caption, int place,
                                    std::function<void()> handler)
{
    auto* button = new QPushButton(caption, m_box);
    button->setObjectName(QLatin1String(objectName));
    button->setGeometry(16 + place * (kButtonWidth + kButtonGap), 508, kButtonWidth, 34);
    connect(button, &QPushButton::clicked, this, [handler] { ErrorHandler::guard(handler); });
    return button;
}

QPushButton* GridSection::addHelpButton(const char* objectName, int page)
{
    auto* button = new QPushButton(QStringLiteral("?"), m_box);
    button->setObjectName(QLatin1String(objectName));
    button->setGeometry(649, 0, 24, 24);
    connect(button, &QPushButton::clicked, this, [this, page] { emit helpRequested(page); });
    return button;
}

QWidget* GridSection::window() const
{
    return m_box->window();
}

qint64 GridSection::currentKey() const
{
    const QModelIndex current = m_grid->currentIndex();
    return m_model->keyAt(current.isValid() ? current.row() : 0);
}

void GridSection::select(qint64 key)
{
    const int near = qMax(0, m_grid->currentIndex().row());
    const int row = m_model->rowOfKey(key, near);
    if (row >= 0)
        m_grid->setCurrentIndex(m_model->index(row, 0));
}

void GridSection::refresh()
{
    const QModelIndex current = m_grid->currentIndex();
    const int row = current.isValid() ? current.row() : 0;
    const qint64 key = m_model->keyAt(row);
    m_model->refresh();
    if (m_model->rowCount() == 0)
        return;
    const int found = key ? m_model->rowOfKey(key, row) : -1;
    const int place = found >= 0 ? found : qMin(row, m_model->rowCount() - 1);
    m_grid->setCurrentIndex(m_model->index(place, qMax(0, current.column())));
}

void GridSection::changedTo(qint64 key)
{
    refresh();
    if (key)
        select(key);
    emit changed();
}

void GridSection::fitFirstColumn()
{
    m_grid->setColumnWidth(0, m_grid->fontMetrics().averageCharWidth() * kFirstColumnCharacters + 12);
}

bool GridSection::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_box && event->type() == QEvent::Show) {
        // The colour scheme may have changed the font since.
        fitFirstColumn();
        refresh();
    }
    return QObject::eventFilter(watched, event);
}
