#include "browser_engine.h"
#include "browser_section.h"
#include "error_handler.h"
#include "scripted_seams.h"
#include "test_home.h"
#include "test_main.h"

#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

constexpr int kLoad = 60000;

void writePage(const QString& path, const QByteArray& html)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(html);
}

} // namespace

class TestBrowserSection : public QObject
{
    Q_OBJECT

    QTemporaryDir m_pages;
    QString page(const char* name) const { return QUrl::fromLocalFile(m_pages.filePath(name)).toString(); }

private slots:
    void initTestCase()
    {
        // One link filling the whole first page, so that a click anywhere follows it.
        writePage(m_pages.filePath("first.html"),
                  "<html><head><title>first</title></head><body style='margin:0'>"
                  "<a id='next' href='second.html' style='display:block;width:100vw;height:100vh'>дальше</a>"
                  "</body></html>");
        writePage(m_pages.filePath("second.html"),
                  "<html><head><title>second</title></head><body>вторая</body></html>");
    }

    void browsingLocalPages()
    {
        TestHome home;
        TestSeams seams;
        QGroupBox box;
        box.setObjectName("Browser");
        box.resize(689, 561);
        BrowserSection section(&box, TestHome::programFolder());
        box.show();
        QVERIFY(section.Edit7->text().isEmpty());
        QCOMPARE(section.BitBtn19->text(), QStringLiteral("Назад"));
        QCOMPARE(section.BitBtn22->text(), QStringLiteral("Go!"));
        QCOMPARE(section.BitBtn20->text(), QStringLiteral("Вперед"));
        // The buttons before any engine: nothing happens.
        QTest::mouseClick(section.BitBtn19, Qt::LeftButton);
        QTest::mouseClick(section.BitBtn20, Qt::LeftButton);
        QVERIFY(section.Edit7->text().isEmpty());

        section.open(page("first.html"));
        QVERIFY2(section.view(), "the browser module did not load");
        QTRY_COMPARE_WITH_TIMEOUT(section.Edit7->text(), page("first.html"), kLoad);

        // "Назад" on the first page does nothing and shows nothing.
        QTest::mouseClick(section.BitBtn19, Qt::LeftButton);
        QTest::qWait(300);
        QCOMPARE(section.Edit7->text(), page("first.html"));
        QVERIFY(seams.boxes.shown.isEmpty());

        // Following a link: the address box follows when the navigation completes.
        QWidget* surface = section.view()->widget()->focusProxy();
        QVERIFY(surface);
        QTRY_VERIFY_WITH_TIMEOUT(surface->isVisible(), kLoad);
        QTest::qWait(500); // the page's layout reaches the engine's input handling
        QTest::mouseClick(surface, Qt::LeftButton, {}, surface->rect().center());
        QTRY_COMPARE_WITH_TIMEOUT(section.Edit7->text(), page("second.html"), kLoad);

        QTest::mouseClick(section.BitBtn19, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(section.Edit7->text(), page("first.html"), kLoad);
        QTest::mouseClick(section.BitBtn20, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(section.Edit7->text(), page("second.html"), kLoad);

        // "Go!" hands the text over as typed: a bare path, which the engine reads as a local file.
        section.Edit7->setText(m_pages.filePath("first.html"));
        QTest::mouseClick(section.BitBtn22, Qt::LeftButton);
        QCOMPARE(section.Edit7->text(), m_pages.filePath("first.html"));
        QTRY_COMPARE_WITH_TIMEOUT(section.Edit7->text(), page("first.html"), kLoad);
        // A move within the page completes at once and is shown too.
        section.Edit7->setText(page("first.html") + "#next");
        QTest::mouseClick(section.BitBtn22, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(section.Edit7->text(), page("first.html") + "#next", kLoad);
        // The Enter key in the box does not navigate.
        section.Edit7->setText(page("second.html") + "#x");
        QTest::keyClick(section.Edit7, Qt::Key_Return);
        QTest::qWait(500);
        QCOMPARE(section.view()->locationUrl(), page("first.html") + "#next");
        QVERIFY(seams.boxes.shown.isEmpty());
    }

    void missingModuleIsToldInTheSection()
    {
        TestSeams seams;
        QGroupBox box;
        BrowserSection section(&box, m_pages.path() + "/");
        section.open(QStringLiteral("https://lenta.ru/"));
        QVERIFY(!section.view());
        QVERIFY(box.findChild<QWidget*>("BrowserUnavailable"));
        QTest::mouseClick(section.BitBtn22, Qt::LeftButton);
        QVERIFY(seams.boxes.shown.isEmpty());
    }
};

QUILL_TEST_MAIN(TestBrowserSection)
#include "tst_browser_section.moc"
