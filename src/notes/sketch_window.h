#pragma once

#include "sketch_canvas.h"
#include "skinned_dialog.h"

#include <QString>

class QAction;
class QActionGroup;
class QLabel;
class QMenuBar;
class QScrollArea;
class QToolBar;
class QToolButton;

// The sketch window "Зарисовка": a small paint editor for one idea. Closing
// it asks whether to save; a new idea is named as it is saved.
class TNewPicture : public SkinnedDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TNewPicture)

public:
    // The answers to the closing question, as kept in r.
    static constexpr int kYes = 6, kNo = 7, kCancel = 2;
    inline static const QString kQuestionTitle = QStringLiteral("Воспрос");
    inline static const QString kQuestion = QStringLiteral("Вы хотите сохранить набросок?");
    inline static const QString kNameTitle = QStringLiteral("Коротко");
    inline static const QString kNamePrompt = QStringLiteral("Введите название наброска:");

    explicit TNewPicture(QWidget* parent = nullptr);

    // The idea's file into the editor; false when it holds no picture.
    bool loadFrom(const QString& path);
    // Every attempt to close: the question, and the save on Yes. False keeps
    // the window open (Cancel, or a save that failed).
    bool FormCloseQuery();
    // "Сохранить": the open idea, or a new one under the name asked for.
    bool SaveClick();
    void SizeClick();
    void OtherColourClick();

    // The ideas folder with its trailing separator, set by the opener.
    QString personal;
    // An existing idea is open, by the name nm.
    bool edit = false;
    QString nm;
    // The answer to the closing question: kYes, kNo or kCancel.
    int r = 0;
    // The name a new idea was saved under.
    QString s;

    QMenuBar* MainMenu1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    SketchCanvas* OleContainer1 = nullptr;
    QAction* SaveAction = nullptr;
    QAction* CloseAction = nullptr;
    QAction* UndoAction = nullptr;
    QAction* RedoAction = nullptr;
    QAction* ClearAction = nullptr;
    QAction* SizeAction = nullptr;
    QAction* FilledAction = nullptr;
    QToolButton* ColourButton = nullptr;
    QToolButton* WidthButton = nullptr;
    // The picture's size under the drawing.
    QLabel* SizeLabel = nullptr;

    // The action that picks the tool.
    QAction* toolAction(SketchCanvas::Tool tool) const;

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    QAction* addToolAction(QActionGroup* group, SketchCanvas::Tool tool, const QString& text, QChar key);
    void setColour(const QColor& colour);
    void updateHistoryActions();
    void askText(const QPoint& at);
    // The name for a new idea: asked until it is a good one; Cancel gives the default.
    QString askName();
    bool saveTo(const QString& name);

    QActionGroup* m_tools = nullptr;
    QList<QPair<SketchCanvas::Tool, QAction*>> m_toolActions;
    bool m_closing = false;
};
