#pragma once

#include "message_boxes.h"
#include "modal_windows.h"
#include "registry_store.h"
#include "settings.h"
#include "system_info.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>

// Small helpers shared by the benchmark programs.
namespace BenchSupport {

inline double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

// Points HOME and the XDG folders at a scratch folder.
inline void useHome(const QString& home)
{
    QDir(home).mkpath(QStringLiteral("Documents"));
    QDir(home).mkpath(QStringLiteral(".config"));
    QDir(home).mkpath(QStringLiteral(".local/share"));
    QDir(home).mkpath(QStringLiteral("run"));
    QFile::setPermissions(home + QStringLiteral("/run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toUtf8());
    qputenv("XDG_DATA_HOME", (home + QStringLiteral("/.local/share")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", (home + QStringLiteral("/run")).toUtf8());
}

// Answers every message box at once: benchmarks have nobody to click.
class SilentBoxes : public MessageBoxes::Backend
{
public:
    MessageBoxes::Button show(QWidget*, const MessageBoxes::Request&) override
    {
        return MessageBoxes::Button::Ok;
    }
    std::optional<QString> inputText(QWidget*, const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
};

// A scratch home with first-run settings, the program's side files and
// silent message boxes and windows: what a benchmark needs to start the main window.
class ScratchProfile
{
public:
    explicit ScratchProfile(const QString& programFolder)
    {
        useHome(m_home.path());
        SystemInfo::setProgramFolder(programFolder);
        MessageBoxes::setBackend(&m_boxes);
        // Reminders that fall due while measuring are put off at once.
        ModalWindows::setRunner([](QDialog*) { return 0; });
        m_registry = std::make_unique<RegistryStore>(RegistryStore::defaultPath());
        m_registry->load();
        Settings::writeFirstRunDefaults(*m_registry);
    }
    ~ScratchProfile()
    {
        ModalWindows::setRunner({});
        MessageBoxes::setBackend(nullptr);
    }
    Q_DISABLE_COPY_MOVE(ScratchProfile)

    RegistryStore& registry() { return *m_registry; }

private:
    QTemporaryDir m_home;
    SilentBoxes m_boxes;
    std::unique_ptr<RegistryStore> m_registry;
};

} // namespace BenchSupport
