#include "appearance.h"
#include "main_window.h"
#include "registry_store.h"
#include "scripted_seams.h"
#include "settings.h"
#include "slide_show.h"
#include "slides_page.h"
#include "test_home.h"
#include "test_main.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>

namespace {

const QString kSlides = QStringLiteral("Software\\Quillarbor\\Slides");

// The colour of the picture's middle: tells the pictures apart.
QRgb middleOf(const QLabel* picture)
{
    const QImage image = picture->pixmap().toImage();
    return image.isNull() ? 0 : image.pixel(image.width() / 2, image.height() / 2);
}

void makePicture(const QString& path, const QColor& colour)
{
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(colour);
    QVERIFY(picture.save(path, "JPG", 100));
}

} // namespace

class TestSlidesPage : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        m_seams = std::make_unique<TestSeams>();
        m_seams->clock.current = QDateTime(QDate(2026, 7, 10), QTime(9, 0));
        m_registry = std::make_unique<RegistryStore>(RegistryStore::defaultPath());
        m_registry->load();
        Settings::writeFirstRunDefaults(*m_registry);
    }
    void cleanup()
    {
        m_window.reset();
        m_registry.reset();
        m_seams.reset();
        m_home.reset();
    }

    void startUpShowsTheSeasonAndAClickOpensThePage()
    {
        startWindow();
        const QImage summer = SlideShow::loadPicture(TestHome::programFolder() + "Images/summer.jpg");
        QVERIFY(!m_window->Image1->pixmap().isNull());
        QCOMPARE(m_window->Image1->pixmap().toImage().pixel(100, 60), summer.pixel(100, 60));
        auto* timer = m_window->findChild<QTimer*>("SlideTimer");
        QVERIFY(timer);
        QVERIFY(!timer->isActive());
        QCOMPARE(m_window->Image1->size(), QSize(161, 161));

        QTest::mouseClick(m_window->Image1, Qt::LeftButton);
        QCOMPARE(m_window->currentSection(), 15);
        QCOMPARE(m_window->PageControl1->currentIndex(), 3);
        SlidesPage* page = m_window->appearance()->slidesPage();
        QVERIFY(page->isVisible());
        QVERIFY(page->RadioButton1->isChecked());
        QCOMPARE(page->Edit12->text(), QStringLiteral("None"));
        QCOMPARE(page->Edit19->text(), QStringLiteral("1"));
        QCOMPARE(page->ComboBox6->currentText(), QStringLiteral("минут"));
        for (QWidget* control :
             QList<QWidget*>{page->Edit19, page->ComboBox6, page->CheckBox4, page->Edit12, page->Button24})
            QVERIFY(!control->isEnabled());
        QVERIFY(!m_window->settingsChanged());
    }

    void thePageShowsEditsAndReadsTheSettings()
    {
        m_registry->writeInteger(kSlides, "Type", 3);
        m_registry->writeString(kSlides, "Directory", "/srv/фото");
        m_registry->writeInteger(kSlides, "Interval", 5);
        m_registry->writeInteger(kSlides, "IntervalType", 1);
        m_registry->writeBool(kSlides, "Random", true);
        startWindow();
        SlidesPage* page = m_window->appearance()->slidesPage();

        // Until the page has been shown a save takes nothing from it.
        Settings::Record record = m_window->settings();
        page->readInto(record);
        QCOMPARE(record.slideType, 3);
        QCOMPARE(record.slideDirectory, QStringLiteral("/srv/фото"));

        m_window->showSection(15);
        m_window->PageControl1->setCurrentIndex(3);
        QVERIFY(page->RadioButton3->isChecked());
        QCOMPARE(page->Edit12->text(), QStringLiteral("/srv/фото"));
        QCOMPARE(page->Edit19->text(), QStringLiteral("5"));
        QCOMPARE(page->ComboBox6->currentIndex(), 1);
        QVERIFY(page->CheckBox4->isChecked());
        QVERIFY(page->Edit12->isEnabled() && page->Button24->isEnabled() && page->Edit19->isEnabled());
        QVERIFY(!m_window->settingsChanged());

        page->RadioButton2->click();
        QVERIFY(m_window->settingsChanged());
        QVERIFY(!page->Edit12->isEnabled() && !page->Button24->isEnabled());
        QVERIFY(page->Edit19->isEnabled() && page->ComboBox6->isEnabled() && page->CheckBox4->isEnabled());
        page->RadioButton1->click();
        QVERIFY(!page->Edit19->isEnabled() && !page->ComboBox6->isEnabled() && !page->CheckBox4->isEnabled());
        page->RadioButton3->click();
        QVERIFY(page->Edit12->isEnabled() && page->Edit19->isEnabled());

        // The folder dialog: cancelled, then a folder.
        QTest::mouseClick(page->Button24, Qt::LeftButton);
        QCOMPARE(page->Edit12->text(), QStringLiteral("/srv/фото"));
        m_seams->files.answers.enqueue("/home/tester/Картинки");
        QTest::mouseClick(page->Button24, Qt::LeftButton);
        QCOMPARE(m_seams->files.titles,
                 (QStringList{"Please specify a directory", "Please specify a directory"}));
        QCOMPARE(page->Edit12->text(), QStringLiteral("/home/tester/Картинки"));

        // A count that is no number keeps the previous Interval.
        page->Edit19->setText("пять");
        page->ComboBox6->setCurrentIndex(2);
        page->CheckBox4->setChecked(false);
        page->readInto(record);
        QCOMPARE(record.slideType, 3);
        QCOMPARE(record.slideDirectory, QStringLiteral("/home/tester/Картинки"));
        QCOMPARE(record.slideInterval, 5);
        QCOMPARE(record.slideIntervalType, 2);
        QCOMPARE(record.slideRandom, false);
        page->Edit19->setText(" 12 ");
        page->readInto(record);
        QCOMPARE(record.slideInterval, 12);

        // The arrows stay within 0..100 and step from the last good number.
        page->Edit19->setText("100");
        QTest::mouseClick(page->UpDown1->up, Qt::LeftButton);
        QCOMPARE(page->Edit19->text(), QStringLiteral("100"));
        page->Edit19->setText("пять");
        QTest::mouseClick(page->UpDown1->down, Qt::LeftButton);
        QCOMPARE(page->Edit19->text(), QStringLiteral("99"));
        page->Edit19->setText("0");
        QTest::keyClick(page->Edit19, Qt::Key_Down);
        QCOMPARE(page->Edit19->text(), QStringLiteral("0"));
        QTest::keyClick(page->Edit19, Qt::Key_Up);
        QCOMPARE(page->Edit19->text(), QStringLiteral("1"));
    }

    void aSaveSetsTheShowUpAgain()
    {
        QTemporaryDir pictures;
        makePicture(pictures.path() + "/1.jpg", QColor(250, 0, 0));
        makePicture(pictures.path() + "/2.jpg", QColor(0, 0, 250));
        startWindow();
        SlidesPage* page = m_window->appearance()->slidesPage();
        m_window->showSection(15);
        m_window->PageControl1->setCurrentIndex(3);

        page->RadioButton3->click();
        m_seams->files.answers.enqueue(pictures.path());
        QTest::mouseClick(page->Button24, Qt::LeftButton);
        page->Edit19->setText("2");
        page->ComboBox6->setCurrentIndex(1);
        // What the settings save does with the page.
        m_window->appearance()->readSlidePage(m_window->settings());
        m_window->appearance()->SlideSetUp();

        auto* timer = m_window->findChild<QTimer*>("SlideTimer");
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 2000);
        QVERIFY(qRed(middleOf(m_window->Image1)) > 200);
        m_window->appearance()->slideShow()->SlideTimerTimer();
        QVERIFY(qBlue(middleOf(m_window->Image1)) > 200);
        // The timer is wired to the tick.
        timer->start(1);
        QTRY_VERIFY(qRed(middleOf(m_window->Image1)) > 200);

        // Back to the season picture: the show stops.
        page->RadioButton1->click();
        m_window->appearance()->readSlidePage(m_window->settings());
        m_window->appearance()->SlideSetUp();
        QVERIFY(!timer->isActive());
        QVERIFY(qGreen(middleOf(m_window->Image1)) > qRed(middleOf(m_window->Image1)) ||
                qBlue(middleOf(m_window->Image1)) > qRed(middleOf(m_window->Image1)));
    }

private:
    void startWindow()
    {
        m_window = std::make_unique<TForm1>(*m_registry);
        QVERIFY(m_window->startedUp());
        m_window->show();
        m_window->Timer1Timer();
    }

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<TestSeams> m_seams;
    std::unique_ptr<RegistryStore> m_registry;
    std::unique_ptr<TForm1> m_window;
};

QUILL_TEST_MAIN(TestSlidesPage)
#include "tst_slides_page.moc"
