#pragma once

#include "skinned_dialog.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;

// The note editor: a name of up to 50 characters and a text, with the
// editing and inserting commands in its own menu. Used for notes and, with
// the name fixed, for the calendar's day notes.
class TForm3 : public SkinnedDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm3)

public:
    static constexpr int kNameLength = 50;

    explicit TForm3(QWidget* parent = nullptr);

    // The text with CR LF line breaks, as notes are stored.
    QString noteText() const;
    void setNoteText(const QString& text);

    void Action1Execute(); // cut
    void Action2Execute(); // copy
    void Action3Execute(); // paste
    void Action4Execute(); // the numbered list
    void Action5Execute(); // today's date
    void Action6Execute(); // the current time

    QMenuBar* ActionMainMenuBar1 = nullptr;
    QAction* Action1 = nullptr;
    QAction* Action2 = nullptr;
    QAction* Action3 = nullptr;
    QAction* Action4 = nullptr;
    QAction* Action5 = nullptr;
    QAction* Action6 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPlainTextEdit* RichEdit1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* StaticText1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;

private:
    void buildMenu();
    void buildControls();
};
