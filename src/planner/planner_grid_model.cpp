#include "planner_grid_model.h"

#include "planner_rules.h"
#include "table_object.h"

#include <QSqlQuery>

namespace {
// Pages kept while scrolling through a long table; older ones are read again.
constexpr int kPagesKept = 32;
} // namespace

PlannerGridModel::PlannerGridModel(const TableObject& table, QList<Column> columns, QObject* parent)
    : QAbstractTableModel(parent), m_table(table), m_columns(std::move(columns))
{
}

void PlannerGridModel::refresh()
{
    // Counted first: a failed read leaves the model as it was.
    const int count = m_table.database().isOpen() ? m_table.count() : 0;
    beginResetModel();
    m_pages.clear();
    m_count = count;
    endResetModel();
}

QList<PlannerGridModel::Line> PlannerGridModel::readPage(int page) const
{
    QStringList names{quoteIdentifier(m_table.keyField())};
    for (const Column& column : m_columns)
        names.append(quoteIdentifier(column.field));
    QSqlQuery statement(m_table.database());
    statement.setForwardOnly(true);
    statement.prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3, %4 LIMIT ? OFFSET ?")
                          .arg(names.join(QLatin1String(", ")), quoteIdentifier(m_table.tableName()),
                               quoteIdentifier(QStringLiteral("Дата")), quoteIdentifier(m_table.keyField())));
    statement.addBindValue(kPageSize);
    statement.addBindValue(page * kPageSize);
    QList<Line> lines;
    if (!statement.exec())
        return lines;
    while (statement.next()) {
        Line read;
        read.key = statement.value(0).toLongLong();
        for (int column = 0; column < m_columns.size(); ++column) {
            const QVariant stored = statement.value(column + 1);
            if (m_columns[column].moment)
                read.values.append(stored.isNull() ? QDateTime()
                                                   : TableObject::dateTimeFromText(stored.toString()));
            else
                read.values.append(stored.toString());
        }
        lines.append(read);
    }
    statement.finish();
    return lines;
}

const PlannerGridModel::Line* PlannerGridModel::line(int row) const
{
    if (row < 0 || row >= m_count)
        return nullptr;
    const int page = row / kPageSize;
    auto found = m_pages.find(page);
    if (found == m_pages.end()) {
        if (m_pages.size() >= kPagesKept)
            m_pages.clear();
        found = m_pages.insert(page, readPage(page));
    }
    const int offset = row % kPageSize;
    return offset < found->size() ? &found->at(offset) : nullptr;
}

qint64 PlannerGridModel::keyAt(int row) const
{
    const Line* found = line(row);
    return found ? found->key : 0;
}

int PlannerGridModel::rowOfKey(qint64 key, int near) const
{
    // A changed row moves little, or to the end of the table when put off to
    // a later day: the pages around the old place, the first and the last.
    const int lastPage = qMax(0, m_count - 1) / kPageSize;
    const int nearPage = qBound(0, near, qMax(0, m_count - 1)) / kPageSize;
    const QList<int> pages{nearPage, nearPage - 1, nearPage + 1, 0, lastPage};
    for (int page : std::as_const(pages)) {
        if (page < 0 || page * kPageSize >= m_count)
            continue;
        for (int row = page * kPageSize; row < qMin(m_count, (page + 1) * kPageSize); ++row)
            if (keyAt(row) == key)
                return row;
    }
    return -1;
}

int PlannerGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_count;
}

int PlannerGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant PlannerGridModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const Line* found = line(index.row());
    if (!found || index.column() >= found->values.size())
        return {};
    const QVariant& value = found->values.at(index.column());
    if (m_columns[index.column()].moment)
        return PlannerRules::momentText(value.toDateTime());
    return value;
}

QVariant PlannerGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section < m_columns.size() ? m_columns[section].title : QVariant();
    return {};
}

Qt::ItemFlags PlannerGridModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags result = QAbstractTableModel::flags(index);
    if (index.isValid() && m_editor && m_columns[index.column()].editable)
        result |= Qt::ItemIsEditable;
    return result;
}

bool PlannerGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !m_editor || !index.isValid())
        return false;
    const qint64 key = keyAt(index.row());
    if (key == 0)
        return false;
    // Unchanged text is not written: leaving a cell is no edit.
    if (data(index, Qt::EditRole).toString() == value.toString())
        return false;
    if (!m_editor(key, m_columns[index.column()].field, value.toString()))
        return false;
    // A text keeps the row in its place: its page is read again to show what
    // was stored. A moment may move the row; the owner reads the grid again.
    if (!m_columns[index.column()].moment) {
        m_pages.remove(index.row() / kPageSize);
        emit dataChanged(index, index);
    }
    return true;
}
