#pragma once

#include "main_window.h"
#include "registry_store.h"
#include "scripted_seams.h"
#include "settings.h"
#include "system_info.h"
#include "test_home.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

// A fresh home and a program folder of its own, with the template database
// and a "Plugins" folder that holds only what a test puts there. Every call
// the test plug-ins receive is written to log().
struct PluginWorld
{
    PluginWorld()
    {
        QDir(m_program.path()).mkpath(QStringLiteral("Plugins"));
        QFile::copy(TestHome::programFolder() + QStringLiteral("empty.mdb"),
                    m_program.filePath(QStringLiteral("empty.mdb")));
        SystemInfo::setProgramFolder(programFolder());
        qputenv("QUILL_TEST_PLUGIN_LOG", logPath().toUtf8());
    }
    ~PluginWorld()
    {
        window.reset();
        registry.reset();
        SystemInfo::setProgramFolder(TestHome::programFolder());
    }
    Q_DISABLE_COPY_MOVE(PluginWorld)

    QString programFolder() const { return m_program.path() + QLatin1Char('/'); }
    QString programPlugins() const { return programFolder() + QStringLiteral("Plugins"); }
    QString userPlugins() const { return home.path() + QStringLiteral("/.local/share/Quillarbor/Plugins"); }
    QString logPath() const { return home.path() + QStringLiteral("/plugin-calls.log"); }

    static QString built(const char* name)
    {
        return QStringLiteral(QUILL_TEST_PLUGIN_DIR "/") + name + ".so";
    }

    // Copies a built test plug-in into a folder under the given file name.
    static void put(const QString& folder, const char* builtName, const QString& asName)
    {
        QDir().mkpath(folder);
        QFile::remove(folder + QLatin1Char('/') + asName);
        QVERIFY(QFile::copy(built(builtName), folder + QLatin1Char('/') + asName));
    }
    void putProgram(const char* builtName, const QString& asName)
    {
        put(programPlugins(), builtName, asName);
    }
    void putUser(const char* builtName, const QString& asName) { put(userPlugins(), builtName, asName); }

    QStringList calls() const
    {
        QFile file(logPath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    void clearCalls() const { QFile::remove(logPath()); }

    // First-run settings, the given changes, then the main window.
    TForm1& start(const std::function<void(RegistryStore&)>& prepare = {})
    {
        registry = std::make_unique<RegistryStore>(RegistryStore::defaultPath());
        registry->load();
        Settings::writeFirstRunDefaults(*registry);
        if (prepare)
            prepare(*registry);
        window = std::make_unique<TForm1>(*registry);
        window->show();
        // Activation gives the section tree its focus, and with it a current
        // node: let that happen now, not inside a test's first wait.
        QTest::qWait(20);
        return *window;
    }

    TestHome home;
    TestSeams seams;
    std::unique_ptr<RegistryStore> registry;
    std::unique_ptr<TForm1> window;

private:
    QTemporaryDir m_program;
};
