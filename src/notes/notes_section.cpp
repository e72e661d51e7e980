#include "notes_section.h"

#include "error_handler.h"
#include "message_boxes.h"
#include "modal_windows.h"
#include "note_editor.h"
#include "notes_store.h"
#include "profile_database.h"
#include "registry_store.h"
#include "section_host.h"
#include "settings.h"

#include "section_buttons.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace {

using SectionButtons::onClick;

constexpr int kHelpPage = 9;
const QString kNameExists = QStringLiteral("Заметка с таким именем уже существует!");

const QIcon& noteIcon()
{
    static const QIcon icon = [] {
        QIcon made;
        made.addFile(QStringLiteral(":/icons/note_large.png"));
        made.addFile(QStringLiteral(":/icons/note_small.png"));
        return made;
    }();
    return icon;
}

// Every item of a view style has the same cell, so that thousands of notes
// lay out without measuring each name; a long name is cut short with "…".
class FixedCellDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    // topGap keeps the icons off the list's upper edge.
    void setCell(const QSize& cell, int topGap)
    {
        m_cell = cell;
        m_topGap = topGap;
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return m_cell; }
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem shifted = option;
        shifted.rect.adjust(0, m_topGap, 0, 0);
        QStyledItemDelegate::paint(painter, shifted, index);
    }

private:
    QSize m_cell;
    int m_topGap = 0;
};

qint64 keyOf(const QListWidgetItem* item)
{
    return item->data(Qt::UserRole).toLongLong();
}

} // namespace

NotesSection::NotesSection(SectionHost& host, QGroupBox* box) : QObject(box), m_host(host)
{
    setObjectName(QStringLiteral("NotesSection"));
    buildControls(box);
    applyStyle(LargeIcons);
}

void NotesSection::buildControls(QGroupBox* box)
{
    ListView1 = new QListWidget(box);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setMovement(QListView::Static);
    ListView1->setResizeMode(QListView::Adjust);
    ListView1->setWordWrap(false);
    ListView1->setTextElideMode(Qt::ElideRight);
    ListView1->setItemDelegate(new FixedCellDelegate(ListView1));
    ListView1->setUniformItemSizes(true);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(ListView1, &QListWidget::itemDoubleClicked, this,
            [this] { ErrorHandler::guard([this] { ListView1DblClick(); }); });

    Label14 = new QLabel(QStringLiteral("Вид:"), box);
    Label14->setObjectName(QStringLiteral("Label14"));
    ComboBox3 = new QComboBox(box);
    ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
    ComboBox3->addItems(
        {QStringLiteral("Значки"), QStringLiteral("Маленькие значки"), QStringLiteral("Список")});
    ComboBox3->setMinimumContentsLength(16);
    ComboBox3->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBox3->setCurrentIndex(-1);
    Label14->setBuddy(ComboBox3);
    ComboBox3->installEventFilter(this);
    connect(ComboBox3, &QComboBox::currentIndexChanged, this,
            [this](int index) { ErrorHandler::guard([this, index] { ComboBox3Change(index); }); });

    const auto button = [box](const char* name, const QString& text) {
        auto* made = new QPushButton(text, box);
        made->setObjectName(QLatin1String(name));
        return made;
    };
    BitBtn3 = button("BitBtn3", QStringLiteral("Добавить"));
    BitBtn28 = button("BitBtn28", QStringLiteral("Читать\\Изменять"));
    BitBtn27 = button("BitBtn27", QStringLiteral("Удалить"));
    Button7 = button("Button7", QStringLiteral("?"));
    Button7->setFixedWidth(32);
    Button7->setToolTip(QStringLiteral("Справка по разделу"));
    BitBtn3->setIcon(QIcon(QStringLiteral(":/icons/note_small.png")));
    for (QPushButton* command : {BitBtn3, BitBtn28, BitBtn27})
        command->setMinimumWidth(130);
    onClick(BitBtn3, this, &NotesSection::BitBtn3Click);
    onClick(BitBtn28, this, &NotesSection::BitBtn28Click);
    onClick(BitBtn27, this, &NotesSection::BitBtn27Click);
    onClick(Button7, this, &NotesSection::Button7Click);

    auto* top = new QHBoxLayout;
    top->addWidget(Label14);
    top->addWidget(ComboBox3);
    top->addStretch(1);
    top->addWidget(Button7);

    auto* commands = new QHBoxLayout;
    commands->addWidget(BitBtn3);
    commands->addWidget(BitBtn28);
    commands->addWidget(BitBtn27);
    commands->addStretch(1);

    // Top to bottom, as the controls are seen.
    QWidget::setTabOrder(ComboBox3, ListView1);
    QWidget::setTabOrder(ListView1, BitBtn3);
    QWidget::setTabOrder(BitBtn3, BitBtn28);
    QWidget::setTabOrder(BitBtn28, BitBtn27);
    QWidget::setTabOrder(BitBtn27, Button7);

    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(8);
    column->addLayout(top);
    column->addWidget(ListView1, 1);
    column->addLayout(commands);
}

bool NotesSection::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ComboBox3 && event->type() == QEvent::KeyRelease)
        ErrorHandler::guard([this] { ComboBox3KeyUp(); });
    return QObject::eventFilter(watched, event);
}

void NotesSection::selectView(int view)
{
    const QSignalBlocker quiet(ComboBox3);
    ComboBox3->setCurrentIndex(view >= LargeIcons && view <= List ? view : -1);
}

void NotesSection::setListViewStyle(int view)
{
    if (view >= LargeIcons && view <= List)
        applyStyle(view);
}

void NotesSection::applyStyle(int view)
{
    m_style = view;
    ListView1->setUpdatesEnabled(false);
    QSize cell;
    int topGap = 0;
    switch (view) {
    case LargeIcons:
        ListView1->setViewMode(QListView::IconMode);
        ListView1->setFlow(QListView::LeftToRight);
        ListView1->setIconSize(QSize(32, 32));
        cell = QSize(120, 70);
        topGap = 6;
        ListView1->setGridSize(cell + QSize(6, 4));
        break;
    case SmallIcons:
        ListView1->setViewMode(QListView::ListMode);
        ListView1->setFlow(QListView::LeftToRight);
        ListView1->setIconSize(QSize(16, 16));
        cell = QSize(158, 24);
        ListView1->setGridSize(cell + QSize(6, 2));
        break;
    case List:
        ListView1->setViewMode(QListView::ListMode);
        ListView1->setFlow(QListView::TopToBottom);
        ListView1->setIconSize(QSize(16, 16));
        cell = QSize(200, 22);
        ListView1->setGridSize(cell + QSize(10, 0));
        break;
    }
    static_cast<FixedCellDelegate*>(ListView1->itemDelegate())->setCell(cell, topGap);
    // Set after the view mode, which resets them.
    ListView1->setWrapping(true);
    ListView1->setMovement(QListView::Static);
    ListView1->setResizeMode(QListView::Adjust);
    ListView1->setWordWrap(false);
    ListView1->setUpdatesEnabled(true);
}

QListWidgetItem* NotesSection::appendItem(qint64 key, const QString& name)
{
    auto* item = new QListWidgetItem(noteIcon(), name);
    item->setData(Qt::UserRole, key);
    item->setToolTip(name);
    ListView1->addItem(item);
    return item;
}

void NotesSection::fillList()
{
    const QList<NotesStore::Entry> entries = NotesStore(m_host.database()).listed();
    ListView1->setUpdatesEnabled(false);
    ListView1->clear();
    for (const NotesStore::Entry& entry : entries)
        appendItem(entry.key, entry.name);
    ListView1->setUpdatesEnabled(true);
}

QListWidgetItem* NotesSection::selectedItem() const
{
    const QList<QListWidgetItem*> selected = ListView1->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

bool NotesSection::openEditor(TForm3& editor)
{
    m_host.prepareSecondary(editor);
    return ModalWindows::exec(&editor) == QDialog::Accepted;
}

void NotesSection::BitBtn3Click()
{
    TForm3 editor(ListView1->window());
    if (!openEditor(editor))
        return;
    const QString name = editor.Edit1->text();
    NotesStore store(m_host.database());
    if (store.nameTaken(name)) {
        MessageBoxes::errorBox(kNameExists);
        return;
    }
    qint64 key = 0;
    if (!store.add(name, editor.noteText(), &key)) {
        ErrorHandler::report();
        return;
    }
    // Shown even with a day note's name; the next filling leaves it out.
    QListWidgetItem* item = appendItem(key, name);
    ListView1->setCurrentItem(item);
    ListView1->scrollToItem(item);
    m_host.setStatusMessage(QStringLiteral("Заметка создана."));
}

void NotesSection::BitBtn28Click()
{
    QListWidgetItem* item = selectedItem();
    if (!item)
        return;
    NotesStore store(m_host.database());
    const qint64 key = keyOf(item);
    TForm3 editor(ListView1->window());
    editor.Edit1->setText(item->text());
    editor.setNoteText(store.textOf(key));
    if (!openEditor(editor))
        return;

    const QString name = editor.Edit1->text();
    if (store.nameTaken(name, key)) {
        MessageBoxes::errorBox(kNameExists);
        return;
    }
    // The note is written anew at the end of the table; if that fails the
    // old row stays as it was.
    qint64 newKey = 0;
    if (!store.replace(key, name, editor.noteText(), &newKey)) {
        ErrorHandler::report();
        return;
    }
    fillList();
    for (int row = ListView1->count() - 1; row >= 0; --row) {
        if (keyOf(ListView1->item(row)) == newKey) {
            ListView1->setCurrentRow(row);
            ListView1->scrollToItem(ListView1->item(row));
            break;
        }
    }
    MessageBoxes::successBox(QStringLiteral("Заметка изменена!"));
    m_host.setStatusMessage(QStringLiteral("Заметка изменена."));
}

void NotesSection::ListView1DblClick()
{
    BitBtn28Click();
}

void NotesSection::BitBtn27Click()
{
    if (!MessageBoxes::askYesNo(QStringLiteral("Вопрос"),
                                QStringLiteral("Вы действительно хотите удалить заметку?")))
        return;
    QListWidgetItem* item = selectedItem();
    if (!item)
        return;
    if (!NotesStore(m_host.database()).remove(keyOf(item))) {
        ErrorHandler::report();
        return;
    }
    delete item;
}

void NotesSection::ComboBox3Change(int index)
{
    if (index < LargeIcons || index > List)
        return;
    applyStyle(index);
    m_host.settings().view = index;
    if (!m_host.registry().writeInteger(Settings::fullKey("Marks"), QStringLiteral("View"), index)) {
        ErrorHandler::report();
        return;
    }
    m_host.setStatusMessage(QStringLiteral("Вид изменён!"));
}

void NotesSection::ComboBox3KeyUp()
{
    const QSignalBlocker quiet(ComboBox3);
    ComboBox3->setCurrentIndex(m_style);
}

void NotesSection::Button7Click()
{
    m_host.showHelpPage(kHelpPage);
}
