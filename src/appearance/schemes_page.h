#pragma once

#include "colour_scheme.h"

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SectionHost;

// The settings page "Скины": pick, edit, save, delete and apply colour schemes.
class SchemesPage : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SchemesPage)

public:
    // The editor starts out holding the given look.
    SchemesPage(SectionHost& host, const SchemeLook& initial, QWidget* parent = nullptr);

    // The page has become the active one: list the schemes, select the one in
    // use and load it into the editor.
    void fill();
    void loadIntoEditor(const ColourScheme& scheme);
    // What the editor holds, as ApplyScheme puts it on the window.
    const SchemeLook& editorLook() const { return m_editor; }

    void ComboBox5Change(const QString& text);
    void Button18Click();
    void Button19Click();
    void Button20Click();
    void Button21Click();
    void Button22Click();
    void Button23Click();

    QLabel* Label24 = nullptr;
    QComboBox* ComboBox5 = nullptr;
    QGroupBox* SchemeEditor = nullptr;
    QLabel* Label26 = nullptr;
    QLineEdit* Edit15 = nullptr;
    QLabel* Label27 = nullptr;
    QLineEdit* Edit16 = nullptr;
    QPushButton* Button18 = nullptr;
    QLabel* Label28 = nullptr;
    QLineEdit* Edit17 = nullptr;
    QPushButton* Button19 = nullptr;
    QLabel* Label29 = nullptr;
    QLineEdit* Edit18 = nullptr;
    QPushButton* Button20 = nullptr;
    QPushButton* Button21 = nullptr;
    QPushButton* Button22 = nullptr;
    QPushButton* Button23 = nullptr;

signals:
    // ApplyScheme: put the editor's look on the main window.
    void applyRequested();

private:
    void buildControls();
    void showEditor();
    // Lists every scheme again, keeping the text of the box as it is.
    void relist();
    SchemeStore store() const;

    SectionHost& m_host;
    SchemeLook m_editor;
};
