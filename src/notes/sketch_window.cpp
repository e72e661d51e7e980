#include "sketch_window.h"

#include "error_handler.h"
#include "idea_file.h"
#include "idea_names.h"
#include "message_boxes.h"
#include "modal_windows.h"
#include "scheme_dialogs.h"
#include "sketch_size_window.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

using Tool = SketchCanvas::Tool;

// The tool bar's pictures, drawn here so that they follow no theme.
QIcon glyph(const std::function<void(QPainter&)>& draw)
{
    QPixmap picture(24, 24);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 40, 40), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    draw(painter);
    return QIcon(picture);
}

QIcon toolIcon(Tool tool)
{
    switch (tool) {
    case Tool::Pen:
        return glyph([](QPainter& p) {
            QPainterPath path(QPointF(3, 18));
            path.cubicTo(8, 4, 12, 22, 21, 6);
            p.drawPath(path);
        });
    case Tool::Eraser:
        return glyph([](QPainter& p) {
            p.setBrush(QColor(240, 160, 170));
            p.drawPolygon(QPolygonF({QPointF(4, 15), QPointF(12, 6), QPointF(20, 12), QPointF(12, 21)}));
        });
    case Tool::Line:
        return glyph([](QPainter& p) { p.drawLine(4, 20, 20, 4); });
    case Tool::Rectangle:
        return glyph([](QPainter& p) { p.drawRect(4, 6, 16, 12); });
    case Tool::Ellipse:
        return glyph([](QPainter& p) { p.drawEllipse(3, 6, 18, 12); });
    case Tool::Fill:
        return glyph([](QPainter& p) {
            p.setBrush(QColor(70, 120, 210));
            p.drawPolygon(QPolygonF({QPointF(5, 11), QPointF(12, 4), QPointF(19, 11), QPointF(12, 18)}));
            p.drawEllipse(QPointF(20, 19), 2, 2);
        });
    case Tool::Text:
        return glyph([](QPainter& p) {
            QFont face = p.font();
            face.setPixelSize(20);
            face.setBold(true);
            p.setFont(face);
            p.drawText(QRect(0, 0, 24, 24), Qt::AlignCenter, QStringLiteral("А"));
        });
    }
    return {};
}

QIcon swatch(const QColor& colour)
{
    return glyph([colour](QPainter& p) {
        p.setBrush(colour);
        p.drawRoundedRect(3, 3, 18, 18, 3, 3);
    });
}

QIcon widthIcon(int width)
{
    return glyph([width](QPainter& p) {
        p.setPen(QPen(Qt::black, qMin(width, 10), Qt::SolidLine, Qt::RoundCap));
        p.drawLine(5, 12, 19, 12);
    });
}

QIcon arrowIcon(bool back)
{
    return glyph([back](QPainter& p) {
        QPainterPath path;
        if (back) {
            path.moveTo(19, 18);
            path.cubicTo(19, 8, 12, 8, 6, 10);
            p.drawPath(path);
            p.drawPolyline(QPolygonF({QPointF(10, 5), QPointF(5, 10), QPointF(10, 15)}));
        } else {
            path.moveTo(5, 18);
            path.cubicTo(5, 8, 12, 8, 18, 10);
            p.drawPath(path);
            p.drawPolyline(QPolygonF({QPointF(14, 5), QPointF(19, 10), QPointF(14, 15)}));
        }
    });
}

QIcon clearIcon()
{
    return glyph([](QPainter& p) {
        p.setBrush(Qt::white);
        p.drawRect(4, 4, 16, 16);
        p.setPen(QPen(QColor(200, 40, 40), 2));
        p.drawLine(8, 8, 16, 16);
        p.drawLine(16, 8, 8, 16);
    });
}

QIcon filledIcon()
{
    return glyph([](QPainter& p) {
        p.setBrush(QColor(70, 120, 210));
        p.drawRect(4, 6, 16, 12);
    });
}

QIcon saveIcon()
{
    return glyph([](QPainter& p) {
        p.setBrush(QColor(90, 110, 160));
        p.drawRect(4, 4, 16, 16);
        p.setBrush(Qt::white);
        p.drawRect(8, 4, 8, 6);
    });
}

struct NamedColour
{
    const char* name;
    QColor colour;
};

const QList<NamedColour>& paletteColours()
{
    static const QList<NamedColour> colours = {
        {"Чёрный", QColor(0, 0, 0)},         {"Серый", QColor(128, 128, 128)},
        {"Белый", QColor(255, 255, 255)},    {"Тёмно-красный", QColor(128, 0, 0)},
        {"Красный", QColor(255, 0, 0)},      {"Оранжевый", QColor(255, 128, 0)},
        {"Жёлтый", QColor(255, 255, 0)},     {"Зелёный", QColor(0, 160, 0)},
        {"Тёмно-зелёный", QColor(0, 96, 0)}, {"Голубой", QColor(0, 200, 255)},
        {"Синий", QColor(0, 0, 255)},        {"Тёмно-синий", QColor(0, 0, 128)},
        {"Фиолетовый", QColor(128, 0, 160)}, {"Розовый", QColor(255, 128, 192)},
        {"Коричневый", QColor(128, 64, 0)},  {"Бежевый", QColor(240, 220, 170)},
    };
    return colours;
}

constexpr int kWidths[] = {1, 2, 3, 5, 8, 12, 20};

MessageBoxes::Request closingQuestion()
{
    return {MessageBoxes::Icon::Warning,
            TNewPicture::kQuestionTitle,
            TNewPicture::kQuestion,
            {MessageBoxes::Button::Yes, MessageBoxes::Button::No, MessageBoxes::Button::Cancel}};
}

} // namespace

TNewPicture::TNewPicture(QWidget* parent) : SkinnedDialog(parent)
{
    setObjectName(QStringLiteral("TNewPicture"));
    setWindowTitle(QStringLiteral("Зарисовка"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    resize(783, 569);

    OleContainer1 = new SketchCanvas(this);
    OleContainer1->setObjectName(QStringLiteral("OleContainer1"));
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setBackgroundRole(QPalette::Dark);
    ScrollBox1->setWidget(OleContainer1);
    ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ScrollBox1->setFocusProxy(OleContainer1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildMenus();
    buildToolBar();
    layout->setMenuBar(MainMenu1);
    layout->addWidget(ToolBar1);
    layout->addWidget(ScrollBox1, 1);
    SizeLabel = new QLabel(this);
    SizeLabel->setObjectName(QStringLiteral("SizeLabel"));
    SizeLabel->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(SizeLabel);

    connect(OleContainer1, &SketchCanvas::historyChanged, this, &TNewPicture::updateHistoryActions);
    connect(OleContainer1, &SketchCanvas::textRequested, this,
            [this](const QPoint& at) { ErrorHandler::guard([this, at] { askText(at); }); });
    updateHistoryActions();
    OleContainer1->setFocus();
}

void TNewPicture::buildMenus()
{
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    // A dialog has no native menu bar of its own: this one stays in the window.
    MainMenu1->setNativeMenuBar(false);

    QMenu* file = MainMenu1->addMenu(QStringLiteral("&Файл"));
    SaveAction = file->addAction(saveIcon(), QStringLiteral("&Сохранить"));
    SaveAction->setObjectName(QStringLiteral("SaveAction"));
    SaveAction->setShortcut(QKeySequence::Save);
    connect(SaveAction, &QAction::triggered, this, [this] { ErrorHandler::guard([this] { SaveClick(); }); });
    file->addSeparator();
    CloseAction = file->addAction(QStringLiteral("&Закрыть"));
    CloseAction->setObjectName(QStringLiteral("CloseAction"));
    CloseAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    connect(CloseAction, &QAction::triggered, this, &QWidget::close);

    QMenu* editing = MainMenu1->addMenu(QStringLiteral("&Правка"));
    UndoAction = editing->addAction(arrowIcon(true), QStringLiteral("&Отменить"));
    UndoAction->setObjectName(QStringLiteral("UndoAction"));
    UndoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    connect(UndoAction, &QAction::triggered, OleContainer1, &SketchCanvas::undo);
    RedoAction = editing->addAction(arrowIcon(false), QStringLiteral("&Повторить"));
    RedoAction->setObjectName(QStringLiteral("RedoAction"));
    RedoAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(RedoAction, &QAction::triggered, OleContainer1, &SketchCanvas::redo);
    editing->addSeparator();
    ClearAction = editing->addAction(clearIcon(), QStringLiteral("О&чистить рисунок"));
    ClearAction->setObjectName(QStringLiteral("ClearAction"));
    ClearAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    connect(ClearAction, &QAction::triggered, OleContainer1, &SketchCanvas::clear);
    SizeAction = editing->addAction(QStringLiteral("&Размер рисунка..."));
    SizeAction->setObjectName(QStringLiteral("SizeAction"));
    SizeAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    connect(SizeAction, &QAction::triggered, this, [this] { ErrorHandler::guard([this] { SizeClick(); }); });

    QMenu* drawing = MainMenu1->addMenu(QStringLiteral("&Рисование"));
    m_tools = new QActionGroup(this);
    m_tools->setExclusive(true);
    drawing->addAction(addToolAction(m_tools, Tool::Pen, QStringLiteral("&Карандаш"), QLatin1Char('P')));
    drawing->addAction(addToolAction(m_tools, Tool::Eraser, QStringLiteral("&Ластик"), QLatin1Char('E')));
    drawing->addAction(addToolAction(m_tools, Tool::Line, QStringLiteral("Л&иния"), QLatin1Char('L')));
    drawing->addAction(
        addToolAction(m_tools, Tool::Rectangle, QStringLiteral("&Прямоугольник"), QLatin1Char('R')));
    drawing->addAction(addToolAction(m_tools, Tool::Ellipse, QStringLiteral("&Эллипс"), QLatin1Char('O')));
    drawing->addAction(addToolAction(m_tools, Tool::Fill, QStringLiteral("&Заливка"), QLatin1Char('F')));
    drawing->addAction(addToolAction(m_tools, Tool::Text, QStringLiteral("&Текст"), QLatin1Char('T')));
    toolAction(Tool::Pen)->setChecked(true);
    drawing->addSeparator();
    FilledAction = drawing->addAction(filledIcon(), QStringLiteral("&Закрашивать фигуры"));
    FilledAction->setObjectName(QStringLiteral("FilledAction"));
    FilledAction->setCheckable(true);
    FilledAction->setShortcut(QKeySequence(Qt::Key_G));
    connect(FilledAction, &QAction::toggled, OleContainer1, &SketchCanvas::setFilledShapes);

    QMenu* colours = MainMenu1->addMenu(QStringLiteral("&Цвет"));
    colours->setObjectName(QStringLiteral("ColourMenu"));
    for (const NamedColour& each : paletteColours()) {
        QAction* action = colours->addAction(swatch(each.colour), QString::fromUtf8(each.name));
        const QColor colour = each.colour;
        connect(action, &QAction::triggered, this, [this, colour] { setColour(colour); });
    }
    colours->addSeparator();
    QAction* other = colours->addAction(QStringLiteral("&Другой цвет..."));
    other->setObjectName(QStringLiteral("OtherColourAction"));
    connect(other, &QAction::triggered, this,
            [this] { ErrorHandler::guard([this] { OtherColourClick(); }); });

    QMenu* widths = MainMenu1->addMenu(QStringLiteral("Т&олщина"));
    widths->setObjectName(QStringLiteral("WidthMenu"));
    auto* widthGroup = new QActionGroup(this);
    for (const int width : kWidths) {
        QAction* action = widths->addAction(widthIcon(width), QStringLiteral("%1 пикс.").arg(width));
        action->setObjectName(QStringLiteral("Width%1").arg(width));
        action->setCheckable(true);
        action->setChecked(width == OleContainer1->penWidth());
        widthGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, width] {
            OleContainer1->setPenWidth(width);
            WidthButton->setIcon(widthIcon(width));
        });
    }
}

QAction* TNewPicture::addToolAction(QActionGroup* group, Tool tool, const QString& text, QChar key)
{
    QAction* action = group->addAction(toolIcon(tool), text);
    action->setCheckable(true);
    action->setShortcut(QKeySequence(key.unicode()));
    static const char* const names[] = {"PenTool",     "EraserTool", "LineTool", "RectangleTool",
                                        "EllipseTool", "FillTool",   "TextTool"};
    action->setObjectName(QLatin1String(names[int(tool)]));
    connect(action, &QAction::triggered, this, [this, tool] { OleContainer1->setTool(tool); });
    m_toolActions.append({tool, action});
    return action;
}

QAction* TNewPicture::toolAction(Tool tool) const
{
    for (const auto& [each, action] : m_toolActions)
        if (each == tool)
            return action;
    return nullptr;
}

void TNewPicture::buildToolBar()
{
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setIconSize(QSize(24, 24));
    ToolBar1->addAction(SaveAction);
    ToolBar1->addSeparator();
    ToolBar1->addAction(UndoAction);
    ToolBar1->addAction(RedoAction);
    ToolBar1->addSeparator();
    for (const auto& [tool, action] : std::as_const(m_toolActions))
        ToolBar1->addAction(action);
    ToolBar1->addAction(FilledAction);
    ToolBar1->addSeparator();

    ColourButton = new QToolButton(ToolBar1);
    ColourButton->setObjectName(QStringLiteral("ColourButton"));
    ColourButton->setMenu(MainMenu1->findChild<QMenu*>(QStringLiteral("ColourMenu")));
    ColourButton->setPopupMode(QToolButton::InstantPopup);
    ColourButton->setIcon(swatch(OleContainer1->colour()));
    ToolBar1->addWidget(ColourButton);
    WidthButton = new QToolButton(ToolBar1);
    WidthButton->setObjectName(QStringLiteral("WidthButton"));
    WidthButton->setMenu(MainMenu1->findChild<QMenu*>(QStringLiteral("WidthMenu")));
    WidthButton->setPopupMode(QToolButton::InstantPopup);
    WidthButton->setIcon(widthIcon(OleContainer1->penWidth()));
    ToolBar1->addWidget(WidthButton);
    ToolBar1->addSeparator();
    ToolBar1->addAction(ClearAction);

    // Buttons that show only a picture are named for tooltips and screen readers.
    const auto name = [](QWidget* widget, const QString& text) {
        widget->setToolTip(text);
        widget->setAccessibleName(text);
    };
    name(ColourButton, QStringLiteral("Цвет"));
    name(WidthButton, QStringLiteral("Толщина линии"));
    for (QAction* action : ToolBar1->actions())
        if (QWidget* button = ToolBar1->widgetForAction(action);
            button && button != ColourButton && button != WidthButton && !action->isSeparator()) {
            const QString text = action->text().remove(QLatin1Char('&')).remove(QStringLiteral("..."));
            const QString keys = action->shortcut().toString(QKeySequence::NativeText);
            name(button, keys.isEmpty() ? text : QStringLiteral("%1 (%2)").arg(text, keys));
        }
}

void TNewPicture::setColour(const QColor& colour)
{
    OleContainer1->setColour(colour);
    ColourButton->setIcon(swatch(OleContainer1->colour()));
}

void TNewPicture::OtherColourClick()
{
    if (const std::optional<QColor> chosen = SchemeDialogs::chooseColour(this, OleContainer1->colour()))
        setColour(*chosen);
}

void TNewPicture::SizeClick()
{
    SketchSizeWindow size(this);
    size.setPictureSize(OleContainer1->picture().size());
    if (ModalWindows::exec(&size) == QDialog::Accepted)
        OleContainer1->resizePicture(size.pictureSize());
}

void TNewPicture::updateHistoryActions()
{
    UndoAction->setEnabled(OleContainer1->canUndo());
    RedoAction->setEnabled(OleContainer1->canRedo());
    const QSize size = OleContainer1->picture().size();
    SizeLabel->setText(QStringLiteral("Размер рисунка: %1 × %2 пикс.").arg(size.width()).arg(size.height()));
}

void TNewPicture::askText(const QPoint& at)
{
    const std::optional<QString> text =
        MessageBoxes::inputText(QStringLiteral("Текст"), QStringLiteral("Введите текст надписи:"));
    if (text)
        OleContainer1->placeText(at, *text);
}

bool TNewPicture::loadFrom(const QString& path)
{
    const IdeaFile::Loaded loaded = IdeaFile::load(path);
    if (loaded.status != IdeaFile::Status::Loaded)
        return false;
    OleContainer1->setPicture(loaded.picture);
    return true;
}

QString TNewPicture::askName()
{
    const QString offered = IdeaNames::freeDefaultName(personal);
    for (;;) {
        const std::optional<QString> answer = MessageBoxes::inputText(kNameTitle, kNamePrompt, offered);
        // Cancel keeps the default, which no file holds yet.
        if (!answer)
            return offered;
        const QString problem = IdeaNames::problemWith(*answer);
        if (!problem.isEmpty()) {
            MessageBoxes::errorBox(problem);
            continue;
        }
        if (QFileInfo::exists(IdeaNames::pathOf(personal, *answer)) &&
            !MessageBoxes::askYesNo(
                kQuestionTitle, QStringLiteral("Набросок «%1» уже есть. Заменить его новым?").arg(*answer)))
            continue;
        return *answer;
    }
}

bool TNewPicture::saveTo(const QString& name)
{
    const QString path = IdeaNames::pathOf(personal, name);
    QString error;
    if (IdeaFile::save(path, OleContainer1->picture(), &error)) {
        OleContainer1->setModified(false);
        return true;
    }
    MessageBoxes::errorBox(
        QStringLiteral("Не удалось сохранить набросок в файл\r\n%1\r\n%2").arg(path, error));
    return false;
}

bool TNewPicture::SaveClick()
{
    if (edit)
        return saveTo(nm);
    const QString name = askName();
    if (!saveTo(name))
        return false;
    // From now on this is the idea of that name: saving again replaces it.
    s = name;
    edit = true;
    nm = name;
    return true;
}

bool TNewPicture::FormCloseQuery()
{
    const MessageBoxes::Button answer = MessageBoxes::ask(closingQuestion());
    r = answer == MessageBoxes::Button::Yes ? kYes : answer == MessageBoxes::Button::No ? kNo : kCancel;
    if (r == kCancel)
        return false;
    if (r == kNo)
        return true;
    // A failed save was reported; the window stays so that the drawing is not lost.
    return SaveClick();
}

void TNewPicture::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    bool canClose = false;
    ErrorHandler::guard([this, &canClose] { canClose = FormCloseQuery(); });
    if (!canClose) {
        event->ignore();
        return;
    }
    event->accept();
    m_closing = true;
    done(r == kYes ? QDialog::Accepted : QDialog::Rejected);
}

// Escape and every other way out go through the closing question.
void TNewPicture::reject()
{
    if (m_closing) {
        SkinnedDialog::reject();
        return;
    }
    close();
}
