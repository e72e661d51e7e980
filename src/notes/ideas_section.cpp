#include "ideas_section.h"

#include "error_handler.h"
#include "file_listing.h"
#include "idea_file.h"
#include "idea_names.h"
#include "message_boxes.h"
#include "modal_windows.h"
#include "profile_database.h"
#include "section_host.h"
#include "settings.h"
#include "sketch_window.h"

#include "section_buttons.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSet>
#include <QSignalBlocker>

namespace {

using SectionButtons::button;
using SectionButtons::onClick;

constexpr QSize kPreviewSize(265, 177);

const QString kQuestTitle = QStringLiteral("Quest");

} // namespace

IdeaPreview::IdeaPreview(QWidget* parent) : QWidget(parent)
{
    setAccessibleName(QStringLiteral("Просмотр наброска"));
}

void IdeaPreview::setPicture(const QImage& picture)
{
    m_picture = picture;
    m_scaled = QImage();
    update();
}

QRect IdeaPreview::pictureRect() const
{
    if (m_picture.isNull())
        return {};
    const QRect room = rect().adjusted(1, 1, -1, -1);
    QSize size = m_picture.size();
    // Small sketches are shown at their size, larger ones scaled down.
    if (size.width() > room.width() || size.height() > room.height())
        size.scale(room.size(), Qt::KeepAspectRatio);
    size = size.expandedTo(QSize(1, 1));
    return QRect(room.topLeft() +
                     QPoint((room.width() - size.width()) / 2, (room.height() - size.height()) / 2),
                 size);
}

void IdeaPreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const QRect target = pictureRect();
    if (target.isEmpty())
        return;
    if (m_scaled.size() != target.size())
        m_scaled = m_picture.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    painter.drawImage(target.topLeft(), m_scaled);
}

IdeasSection::IdeasSection(SectionHost& host, QGroupBox* box) : QObject(box), m_host(host)
{
    buildControls(box);
}

void IdeasSection::buildControls(QGroupBox* box)
{
    ListBox1 = new QListWidget(box);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(16, 32, 377, 513);
    ListBox1->setAccessibleName(QStringLiteral("Идеи"));
    ListBox1->installEventFilter(this);
    connect(ListBox1, &QListWidget::currentRowChanged, this,
            [this] { ErrorHandler::guard([this] { ListBox1Click(); }); });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this,
            [this] { ErrorHandler::guard([this] { ListBox1DblClick(); }); });

    OleContainer1 = new IdeaPreview(box);
    OleContainer1->setObjectName(QStringLiteral("OleContainer1"));
    OleContainer1->setGeometry(QRect(QPoint(408, 32), kPreviewSize));
    // A preview only: it never takes the focus nor opens the editor.
    OleContainer1->setEnabled(false);

    BitBtn29 = button(box, "BitBtn29", QStringLiteral("Смотреть\\Изменять"), {408, 224, 265, 32});
    BitBtn30 = button(box, "BitBtn30", QStringLiteral("Добавить"), {408, 264, 265, 32});
    BitBtn32 = button(box, "BitBtn32", QStringLiteral("Удалить"), {408, 304, 265, 32});
    BitBtn33 = button(box, "BitBtn33", QStringLiteral("Очистить"), {408, 344, 265, 32});
    onClick(BitBtn29, this, &IdeasSection::BitBtn29Click);
    onClick(BitBtn30, this, &IdeasSection::BitBtn30Click);
    onClick(BitBtn32, this, &IdeasSection::BitBtn32Click);
    onClick(BitBtn33, this, &IdeasSection::BitBtn33Click);
}

bool IdeasSection::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in the list opens the idea, as a double click does.
    if (watched == ListBox1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ErrorHandler::guard([this] { ListBox1DblClick(); });
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

QString IdeasSection::folder() const
{
    return ProfileDatabase::profileFolder(m_host.settings().documentsFolder) + QStringLiteral("/Ideas");
}

QString IdeasSection::pathOf(const QString& name) const
{
    return IdeaNames::pathOf(folder() + QLatin1Char('/'), name);
}

void IdeasSection::showSection()
{
    ListBox1->clear();
    OleContainer1->clear();
    const QString ideas = folder();
    if (!QFileInfo(ideas).isDir() && !QDir().mkdir(ideas)) {
        ErrorHandler::report();
        return;
    }
    // Each name once, and only names whose file the section can open.
    QSet<QString> listed;
    for (const QString& name :
         FileListing::ListFiles(ideas + QLatin1Char('/'), QStringLiteral("dat"), false)) {
        if (listed.contains(name) || !QFileInfo(pathOf(name)).isFile())
            continue;
        listed.insert(name);
        ListBox1->addItem(name);
    }
}

QString IdeasSection::selectedName(bool* selected) const
{
    const QListWidgetItem* item = ListBox1->currentItem();
    *selected = item && item->isSelected();
    return *selected ? item->text() : QString();
}

void IdeasSection::ListBox1Click()
{
    bool selected = false;
    const QString name = selectedName(&selected);
    if (!selected)
        return;
    const IdeaFile::Loaded loaded = IdeaFile::load(pathOf(name));
    // A file that cannot be read leaves the preview as it was; one that is
    // no idea empties it.
    if (loaded.status == IdeaFile::Status::Unreadable)
        return;
    OleContainer1->setPicture(loaded.picture);
}

void IdeasSection::ListBox1DblClick()
{
    BitBtn29Click();
}

void IdeasSection::prepare(TNewPicture& window)
{
    m_host.prepareSecondary(window);
    window.personal = folder() + QLatin1Char('/');
}

void IdeasSection::BitBtn29Click()
{
    bool selected = false;
    const QString name = selectedName(&selected);
    if (!selected)
        return;
    TNewPicture window(ListBox1->window());
    prepare(window);
    window.edit = true;
    window.nm = name;
    // A file that holds no picture opens nothing.
    if (!window.loadFrom(pathOf(name)))
        return;
    ModalWindows::exec(&window);
    ListBox1Click();
}

void IdeasSection::BitBtn30Click()
{
    TNewPicture window(ListBox1->window());
    prepare(window);
    ModalWindows::exec(&window);
    // Saved on Yes, or earlier from the window's menu; listed once.
    if (!window.s.isEmpty() && ListBox1->findItems(window.s, Qt::MatchExactly).isEmpty())
        ListBox1->addItem(window.s);
}

void IdeasSection::BitBtn32Click()
{
    bool selected = false;
    const QString name = selectedName(&selected);
    if (!selected || name.isEmpty())
        return;
    if (!MessageBoxes::askYesNo(kQuestTitle,
                                QStringLiteral("Вы действительно хотите удалить выбранную идею?")))
        return;
    QFile file(pathOf(name));
    // A file already gone is no failure: its name just leaves the list.
    if (!file.remove() && file.exists()) {
        MessageBoxes::errorBox(
            QStringLiteral("Не удалось удалить идею «%1»:\r\n%2").arg(name, file.errorString()));
        return;
    }
    {
        const QSignalBlocker quiet(ListBox1);
        delete ListBox1->currentItem();
    }
    OleContainer1->clear();
    ListBox1Click();
}

void IdeasSection::BitBtn33Click()
{
    if (ListBox1->count() == 0)
        return;
    if (!MessageBoxes::askYesNo(kQuestTitle, QStringLiteral("Вы действительно хотите удалить все идеи?")))
        return;
    QStringList kept;
    QString reason;
    const QSignalBlocker quiet(ListBox1);
    for (int row = ListBox1->count() - 1; row >= 0; --row) {
        const QString name = ListBox1->item(row)->text();
        QFile file(pathOf(name));
        if (!file.remove() && file.exists()) {
            kept.prepend(name);
            reason = file.errorString();
            continue;
        }
        delete ListBox1->takeItem(row);
    }
    OleContainer1->clear();
    if (!kept.isEmpty())
        MessageBoxes::errorBox(QStringLiteral("Не удалось удалить идеи:\r\n%1\r\n%2")
                                   .arg(kept.join(QStringLiteral("\r\n")), reason));
}
