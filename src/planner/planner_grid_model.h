#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <functional>

class TableObject;

// A grid's rows over a table in moment order, read a page at a time as the
// grid scrolls, so a long table costs no more to show than a short one. Each
// page is read and its statement finished at once: nothing holds the
// connection between reads.
class PlannerGridModel : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlannerGridModel)

public:
    struct Column
    {
        QString field; // stored name
        QString title; // header
        bool editable = false;
        bool moment = false; // a date-time, shown as the user reads moments
    };
    // An edit typed into a cell: the row's key, the column's field and the
    // text. True when it was stored.
    using Editor = std::function<bool(qint64 key, const QString& field, const QString& text)>;

    PlannerGridModel(const TableObject& table, QList<Column> columns, QObject* parent = nullptr);

    void setEditor(Editor editor) { m_editor = std::move(editor); }
    // Reads the row count again and forgets every page read before.
    void refresh();

    qint64 keyAt(int row) const;
    // The row holding the key, looked for near the given row; -1 when not there.
    int rowOfKey(qint64 key, int near) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    static constexpr int kPageSize = 200;

private:
    struct Line
    {
        qint64 key = 0;
        QVariantList values;
    };
    const Line* line(int row) const;
    QList<Line> readPage(int page) const;

    const TableObject& m_table;
    QList<Column> m_columns;
    Editor m_editor;
    int m_count = 0;
    mutable QHash<int, QList<Line>> m_pages;
};
