#pragma once

#include <QObject>

class PluginHost;
class QGroupBox;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class SectionHost;

// The section "Плагины": the libraries found at start-up, the selected one's
// description, and running, deleting and a restart that scans again.
class PluginsSection : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PluginsSection)

public:
    static constexpr int kHelpPage = 13;

    PluginsSection(SectionHost& host, QGroupBox* box, PluginHost& plugins);

    void ListBox6Click();
    void BitBtn24Click();
    void BitBtn26Click();
    void BitBtn36Click();
    // Switches the selected library on again, for the next start.
    void SwitchOnClick();

    QListWidget* ListBox6 = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    QPushButton* BitBtn24 = nullptr;
    QPushButton* BitBtn36 = nullptr;
    QPushButton* BitBtn26 = nullptr;
    QPushButton* Button6 = nullptr;
    // "Включить": enabled while a switched-off library is selected.
    QPushButton* SwitchOnButton = nullptr;

signals:
    void helpRequested(int page);
    // "Обновить" is about to start the new copy: this copy lets go of what the
    // new one must take (the one-copy-per-user name).
    void restarting();
    // "Обновить" has started the new copy: this one must close as on Exit.
    void restartRequested();

private:
    void showEntryState(int row);

    SectionHost& m_host;
    PluginHost& m_plugins;
};
