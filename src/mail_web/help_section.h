#pragma once

#include <QObject>

class QGroupBox;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The help section: the contents tree, each node holding the number of its page.
class HelpSection : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HelpSection)

public:
    explicit HelpSection(QGroupBox* box);

    // The page of a node; -1 for a node without one.
    static int pageOf(const QTreeWidgetItem* item);

    void BitBtn31Click();

    QTreeWidget* TreeView2 = nullptr;
    QPushButton* BitBtn31 = nullptr;

signals:
    void pageRequested(int page);
};
