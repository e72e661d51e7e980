#pragma once

#include <QDate>
#include <QTreeWidget>
#include <QWidget>

// A tear-off calendar leaf: the month on a coloured band, the day's number below.
class DayLeaf : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DayLeaf)

public:
    explicit DayLeaf(QWidget* parent = nullptr);
    void setDate(const QDate& date);
    QDate date() const { return m_date; }
    QSize sizeHint() const override { return {64, 70}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QDate m_date;
};

// The day's list: an ordinary tree widget that says so when the day is free.
class DayEventsList : public QTreeWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DayEventsList)

public:
    explicit DayEventsList(QWidget* parent = nullptr);
    QString emptyText() const { return m_emptyText; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_emptyText;
};
