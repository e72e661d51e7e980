#include "help_section.h"

#include "help_pages.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// Picture 0 marks a chapter, picture 1 a page.
const QIcon& picture(int index)
{
    static const QIcon chapter(QStringLiteral(":/icons/menu/help_contents.png"));
    static const QIcon page(QStringLiteral(":/icons/menu/help_topic.png"));
    return index == 0 ? chapter : page;
}

void addNodes(QTreeWidgetItem* parent, QTreeWidget* tree, const QList<HelpPages::Node>& nodes)
{
    for (const HelpPages::Node& node : nodes) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, node.caption);
        item->setToolTip(0, node.caption);
        item->setData(0, Qt::UserRole, node.page);
        item->setIcon(0, picture(node.children.isEmpty() ? 1 : 0));
        addNodes(item, tree, node.children);
    }
}

} // namespace

HelpSection::HelpSection(QGroupBox* box) : QObject(box)
{
    setObjectName(QStringLiteral("HelpSection"));
    TreeView2 = new QTreeWidget(box);
    TreeView2->setObjectName(QStringLiteral("TreeView2"));
    TreeView2->setHeaderHidden(true);
    TreeView2->setAccessibleName(QStringLiteral("Содержание справки"));
    addNodes(nullptr, TreeView2, HelpPages::contents());
    TreeView2->expandAll();
    // A double click opens the page, and so does Enter.
    TreeView2->setExpandsOnDoubleClick(false);
    connect(TreeView2, &QTreeWidget::itemActivated, this, [this] { BitBtn31Click(); });

    BitBtn31 = new QPushButton(picture(1), QStringLiteral("Показать"), box);
    BitBtn31->setObjectName(QStringLiteral("BitBtn31"));
    BitBtn31->setMinimumWidth(130);
    connect(BitBtn31, &QPushButton::clicked, this, &HelpSection::BitBtn31Click);

    auto* commands = new QHBoxLayout;
    commands->addStretch(1);
    commands->addWidget(BitBtn31);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(TreeView2, 1);
    layout->addLayout(commands);
    box->setTabOrder(TreeView2, BitBtn31);
}

int HelpSection::pageOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, Qt::UserRole).toInt() : -1;
}

void HelpSection::BitBtn31Click()
{
    const QTreeWidgetItem* item = TreeView2->currentItem();
    if (item && item->isSelected())
        emit pageRequested(pageOf(item));
}
