#include "test_home.h"

#include "registry_store.h"
#include "system_info.h"

#include <QDir>
#include <QFile>

TestHome::TestHome()
{
    const QString home = m_dir.path();
    QDir(home).mkpath(QStringLiteral("Documents"));
    QDir(home).mkpath(QStringLiteral(".config"));
    QDir(home).mkpath(QStringLiteral(".local/share"));
    QDir(home).mkpath(QStringLiteral(".cache"));
    QDir(home).mkpath(QStringLiteral("run"));
    QFile::setPermissions(home + QStringLiteral("/run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toUtf8());
    qputenv("XDG_DATA_HOME", (home + QStringLiteral("/.local/share")).toUtf8());
    qputenv("XDG_CACHE_HOME", (home + QStringLiteral("/.cache")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", (home + QStringLiteral("/run")).toUtf8());
    // Sound plays into nothing: the tests run on machines without audio.
    QFile asoundrc(home + QStringLiteral("/.asoundrc"));
    if (asoundrc.open(QIODevice::WriteOnly))
        asoundrc.write("pcm.!default { type null }\n");
    // Nor the user's keyring, through the session bus.
    if (qEnvironmentVariableIsEmpty("QUILLARBOR_TEST_SESSION_BUS"))
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quillarbor-test-bus");
    // The plug-in catalogue download reaches no server unless a test starts its own.
    qputenv("QUILLARBOR_PLUGIN_SERVER", "https://127.0.0.1:9/plugins/");
    SystemInfo::setProgramFolder(programFolder());
    SystemInfo::setUserName(QStringLiteral("tester"));
}

TestHome::~TestHome()
{
    SystemInfo::setUserName(QString());
}

QString TestHome::registryFile() const
{
    return RegistryStore::defaultPath();
}

QString TestHome::programFolder()
{
    return QStringLiteral(QUILL_PROGRAM_DIR "/");
}
