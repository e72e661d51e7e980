// The plug-in contract as plug-in authors compile it: the record and the
// host table laid out as the Windows original had them, from the public
// header alone, in C++ here and in C in the library compared against.
#include "quillarbor_plugin.h"
#include "test_main.h"

#include <QLibrary>
#include <QTest>
#include <cstddef>

static_assert(sizeof(TPluginInfo) == 284);
static_assert(offsetof(TPluginInfo, Name) == 0);
static_assert(offsetof(TPluginInfo, Version) == 16);
static_assert(offsetof(TPluginInfo, HostVersion) == 20);
static_assert(offsetof(TPluginInfo, Description) == 24);
static_assert(offsetof(TPluginInfo, Reserved) == 280);
static_assert(offsetof(TIPluginDemoVtbl, GetApplication) == 0);
static_assert(offsetof(TIPluginDemoVtbl, PluginErrorMessage) == sizeof(void*));
static_assert(offsetof(TIPluginDemoVtbl, SetAction) == 2 * sizeof(void*));
static_assert(offsetof(TIPluginDemo, lpVtbl) == 0);

class TestPluginLayout : public QObject
{
    Q_OBJECT

private slots:
    void cAndCppAgreeOnTheLayout()
    {
        QLibrary library(QStringLiteral(QUILL_TEST_PLUGIN_DIR "/tp_c.so"));
        QVERIFY2(library.load(), qPrintable(library.errorString()));
        using Layout = void (*)(size_t*);
        const auto layout = reinterpret_cast<Layout>(library.resolve("LayoutOfC"));
        QVERIFY(layout);
        size_t figures[5] = {};
        layout(figures);
        QCOMPARE(figures[0], size_t(284));
        QCOMPARE(figures[1], offsetof(TPluginInfo, Version));
        QCOMPARE(figures[2], offsetof(TPluginInfo, HostVersion));
        QCOMPARE(figures[3], offsetof(TPluginInfo, Description));
        QCOMPARE(figures[4], offsetof(TIPluginDemoVtbl, SetAction));
    }

    void shortStringsAreCutToTheirField()
    {
        TPluginInfo info;
        memset(&info, 0xAB, sizeof info);
        QUILLARBOR_SET(info.Name, "a name much longer than fifteen");
        QCOMPARE(int(info.Name[0]), 15);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(info.Name + 1), 15), QByteArray("a name much lon"));
        // The next field is untouched.
        QCOMPARE(int(info.Version[0]), 0xAB);
        QUILLARBOR_SET(info.Version, "");
        QCOMPARE(int(info.Version[0]), 0);
        QUILLARBOR_SET(info.HostVersion, QUILLARBOR_HOST_VERSION);
        QCOMPARE(int(info.HostVersion[0]), 3);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(info.HostVersion + 1), 3), QByteArray("3.2"));
    }
};

QUILL_TEST_MAIN(TestPluginLayout)
#include "tst_plugin_layout.moc"
