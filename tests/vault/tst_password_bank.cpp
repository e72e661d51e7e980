#include "key_record.h"
#include "main_window.h"
#include "master_key.h"
#include "master_password_window.h"
#include "password_bank.h"
#include "password_bank_section.h"
#include "password_grid_model.h"
#include "profile_backup.h"
#include "profile_database.h"
#include "record_cipher.h"
#include "sealed_value.h"
#include "registry_store.h"
#include "scripted_seams.h"
#include "sections.h"
#include "settings.h"
#include "settings_section.h"
#include "test_home.h"
#include "test_main.h"
#include "tray_icon.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

const QString kWrong = QStringLiteral("Пароль не правильный!");
const QString kBankTitle = QStringLiteral("Предустановки - Главный пароль");

struct StoredAccount
{
    QString container;
    QString login;
    QString password;
    bool operator==(const StoredAccount&) const = default;
};

// Types into the set-up window the user sees and presses OK or Cancel; a
// window still open after OK (a refused entry) is cancelled by the runner.
ScriptedModals::Script answerSetUp(const QString& first, const QString& second, bool ok = true,
                                   QStringList* seen = nullptr)
{
    return [=](QDialog* window) {
        auto* form = qobject_cast<TForm12*>(window);
        QVERIFY(form);
        if (seen)
            *seen << form->windowTitle() << form->Label1->text() << form->StaticText1->text()
                  << QString::number(form->Edit1->echoMode() == QLineEdit::Password)
                  << QString::number(form->Edit2->echoMode() == QLineEdit::Password);
        form->Edit1->setText(first);
        form->Edit2->setText(second);
        QTest::mouseClick(ok ? form->Button1 : form->Button2, Qt::LeftButton);
    };
}

QString cipher(const QString& text, const QString& key)
{
    return *RecordCipher::CipherText(text, key);
}

} // namespace

class TestPasswordBank : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { KeyRecord::setPassesForTests(2); }
    void init()
    {
        m_home = std::make_unique<TestHome>();
        m_seams = std::make_unique<TestSeams>();
        m_registry = std::make_unique<RegistryStore>(RegistryStore::defaultPath());
        m_registry->load();
        Settings::writeFirstRunDefaults(*m_registry);
        m_registry->writeBool(Settings::fullKey("Config"), QStringLiteral("HideInTray"), false);
        m_window = std::make_unique<TForm1>(*m_registry);
        QVERIFY(m_window->startedUp());
        m_window->show();
        m_window->Timer1Timer();
    }
    void cleanup()
    {
        TrayIcon::setAvailableForTests(std::nullopt);
        m_window.reset();
        m_registry.reset();
        m_seams.reset();
        m_home.reset();
    }

    void setUpWindowStoresOnlyAnAgreedPassword()
    {
        // Cancel on the first showing stores nothing, and the window comes again.
        QStringList seen;
        m_seams->modals.scripts.enqueue(answerSetUp("тайна", "тайна", false, &seen));
        m_window->showSection(Sections::kPasswords);
        QCOMPARE(m_seams->modals.opened, QStringList{"TForm12"});
        QCOMPARE(seen,
                 (QStringList{kBankTitle, "Введите главный пароль защиты для банка паролей",
                              "В банке паролей хранятся Ваши данные для доступа к ресурсам", "1", "1"}));
        QCOMPARE(verifier(), QString());
        QVERIFY(locked());

        // Two different entries are refused and the window stays; two empty
        // ones are refused too; then two equal ones are taken.
        m_seams->modals.scripts.enqueue([](QDialog* window) {
            auto* form = qobject_cast<TForm12*>(window);
            form->Edit1->setText("abc");
            form->Edit2->setText("abd");
            QTest::mouseClick(form->Button1, Qt::LeftButton);
            QVERIFY(form->isVisible());
            form->Edit1->clear();
            form->Edit2->clear();
            QTest::mouseClick(form->Button1, Qt::LeftButton);
            QVERIFY(form->isVisible());
            form->Edit1->setText("Тайна-1");
            form->Edit2->setText("Тайна-1");
            QTest::mouseClick(form->Button1, Qt::LeftButton);
            QVERIFY(!form->isVisible());
        });
        m_window->showSection(Sections::kPasswords);
        QCOMPARE(m_seams->boxes.titles(),
                 (QStringList{"Несоответсвие вводимой информации", TForm12::kEmptyTitle}));
        QCOMPARE(m_seams->boxes.texts(),
                 (QStringList{"Проверьте првильность ввода!", TForm12::kEmptyPassword}));
        QCOMPARE(m_seams->boxes.shown[0].icon, MessageBoxes::Icon::Critical);
        QVERIFY(opens("Тайна-1"));
        QVERIFY(!opens("тайна-1"));
        QVERIFY(KeyRecord::isCurrentForm(verifier()));
        QVERIFY(locked());

        // Once set, showing the section offers no window and leaves the bank locked.
        m_window->showSection(Sections::kPasswords);
        QCOMPARE(m_seams->modals.opened.size(), 2);

        // Wrong, empty, then the right password.
        bank()->InputPrimaryPass->setText("тайна-1");
        click(bank()->BitBtn8);
        QCOMPARE(m_seams->boxes.shown.last().text.section("\r\n", 0, 0), kWrong);
        QVERIFY(locked());
        QCOMPARE(bank()->InputPrimaryPass->text(), QStringLiteral("тайна-1"));
        bank()->InputPrimaryPass->clear();
        click(bank()->BitBtn8);
        QVERIFY(m_seams->boxes.shown.last().text.startsWith(RecordCipher::kEmptyKeyMessage));
        QVERIFY(locked());
        bank()->InputPrimaryPass->setText("Тайна-1");
        click(bank()->BitBtn8);
        QVERIFY(!locked());
        QVERIFY(!bank()->InputPrimaryPass->isEnabled());
        // The key serves from now on; the password does not stay in the field.
        QCOMPARE(bank()->InputPrimaryPass->text(), QString());
        QCOMPARE(bank()->BitBtn8->toolTip(), QStringLiteral("Разблокировать\\Заблокировать"));
        QVERIFY(!bank()->BitBtn8->accessibleName().isEmpty());

        // The same button locks again and forgets the typed password.
        click(bank()->BitBtn8);
        QVERIFY(locked());
        QCOMPARE(bank()->InputPrimaryPass->text(), QString());
        // Showing the section again always starts locked.
        unlock("Тайна-1");
        m_window->showSection(Sections::kPasswords);
        QVERIFY(locked());
    }

    void accountsAreAddedShownCopiedAndDeleted()
    {
        setMaster("мастер");
        m_window->showSection(Sections::kPasswords);
        unlock("мастер");

        // All three questions cancelled: a row of empty fields.
        click(bank()->AddPass);
        QCOMPARE(m_seams->boxes.inputPrompts,
                 (QStringList{"Принадлежность пароля|Принадлежность", "Ваш логин:|Логин", "Пароль|Пароль"}));
        QCOMPARE(opened("мастер"), (QList<StoredAccount>{{"", "", ""}}));

        // Every field is sealed; nothing longer than the fields is taken.
        const QString quote = QStringLiteral("ivan'; DROP TABLE \"Пароли\";--");
        answer({"Почта", quote, "пароль Ж1"});
        click(bank()->AddPass);
        answer({QString(60, QChar(u'п')), QString(55, QChar(u'l')), QString(70, QChar(u'x'))});
        click(bank()->AddPass);
        QCOMPARE(stored().size(), 3);
        QCOMPARE(opened("мастер")[1], (StoredAccount{"Почта", quote, "пароль Ж1"}));
        QCOMPARE(opened("мастер")[2],
                 (StoredAccount{QString(50, QChar(u'п')), QString(50, QChar(u'l')), QString(50, QChar(u'x'))}));
        for (const StoredAccount& raw : stored())
            for (const QString& field : {raw.container, raw.login, raw.password})
                QVERIFY2(field.startsWith("qv2:") && !field.contains("Почта") && !field.contains("ivan"),
                         qPrintable(field));
        QCOMPARE(grid()->model()->rowCount(), 3);
        QCOMPARE(grid()->model()->data(grid()->model()->index(1, 1)).toString(), quote);

        // A click on a row shows its password in clear.
        clickCell(1, 0);
        QCOMPARE(bank()->PassLabel->text(), QStringLiteral("Пароль: пароль Ж1"));

        // The login is copied as plain text.
        bank()->N22->trigger();
        QCOMPARE(QApplication::clipboard()->text(), quote);
        QCOMPARE(m_window->statusMessage(), QStringLiteral("Логин скопирован в буфер обмена!"));
        QVERIFY(!QApplication::clipboard()->mimeData()->hasFormat("x-kde-passwordManagerHint"));

        // The password goes deciphered and marked as a secret, and leaves
        // again when the timer fires while it is still there.
        bank()->N23->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("пароль Ж1"));
        QCOMPARE(QApplication::clipboard()->mimeData()->data("x-kde-passwordManagerHint"),
                 QByteArray("secret"));
        QCOMPARE(m_window->statusMessage(), QStringLiteral("Пароль скопирован в буфер обмена!"));
        QVERIFY(bank()->ClipboardTimer->isActive());
        QCOMPARE(bank()->ClipboardTimer->interval(), 30000);
        bank()->ClipboardTimerTimer();
        QCOMPARE(QApplication::clipboard()->text(), QString());
        QCOMPARE(m_window->statusMessage(), QStringLiteral("Пароль удалён из буфера обмена"));
        // Something copied since is left alone.
        bank()->N23->trigger();
        QApplication::clipboard()->setText("своё");
        m_window->setStatusMessage(QString());
        bank()->ClipboardTimerTimer();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("своё"));
        QCOMPARE(m_window->statusMessage(), QString());

        // Deleting asks first; No keeps the row.
        clickCell(0, 1);
        m_seams->boxes.answers.enqueue(MessageBoxes::Button::No);
        click(bank()->DelPass);
        QCOMPARE(m_seams->boxes.shown.last().title, QStringLiteral("ВНИМАНИЕ"));
        QCOMPARE(m_seams->boxes.shown.last().text,
                 QStringLiteral("Вы действительно хотите удалить учётную запись?"));
        QCOMPARE(m_seams->boxes.shown.last().icon, MessageBoxes::Icon::Warning);
        QCOMPARE(stored().size(), 3);
        m_seams->boxes.answers.enqueue(MessageBoxes::Button::Yes);
        click(bank()->DelPass);
        QCOMPARE(stored().size(), 2);
        QCOMPARE(opened("мастер")[0].container, QStringLiteral("Почта"));

        // A password on screen goes when the section is left, and when the bank locks.
        clickCell(0, 0);
        QVERIFY(bank()->PassLabel->text().startsWith("Пароль: "));
        m_window->showSection(Sections::kNotes);
        QCOMPARE(bank()->PassLabel->text(), QString());
        m_window->showSection(Sections::kPasswords);
        unlock("мастер");
        clickCell(0, 0);
        click(bank()->BitBtn8);
        QCOMPARE(bank()->PassLabel->text(), QString());
        QCOMPARE(grid()->model()->rowCount(), 0);
    }

    void gridEditsArePostedWhenTheRowIsLeft()
    {
        setMaster("м");
        addAccount("Банк", "login1", "p1");
        addAccount("Форум", "login2", "p2");
        m_window->showSection(Sections::kPasswords);
        unlock("м");

        // Type into the first row's login: stored only once the row is left.
        editCell(0, 1, "новый логин");
        QCOMPARE(opened("м")[0].login, QStringLiteral("login1"));
        editCell(0, 0, QString(80, QChar(u'я')));
        QCOMPARE(opened("м")[0].container, QStringLiteral("Банк"));
        grid()->setCurrentIndex(grid()->model()->index(1, 0));
        QCOMPARE(opened("м")[0], (StoredAccount{QString(50, QChar(u'я')), "новый логин", "p1"}));

        // An edit left in the grid is posted when the bank locks.
        editCell(1, 0, "Форум 2");
        click(bank()->BitBtn8);
        QCOMPARE(opened("м")[1], (StoredAccount{"Форум 2", "login2", "p2"}));

        // And when the program ends with an edit left in the grid.
        unlock("м");
        editCell(0, 1, "последний");
        m_window.reset();
        m_window = std::make_unique<TForm1>(*m_registry);
        QCOMPARE(opened("м")[0].login, QStringLiteral("последний"));
    }

    void changingTheMasterPasswordReenciphersEveryPassword()
    {
        setMaster("старый");
        const QStringList plain = {"alpha", "Пароль Ы", QString(50, QChar(u'z')), ""};
        for (const QString& each : plain)
            addAccount("сайт " + each, "вход", each);
        const QList<StoredAccount> before = stored();
        const QString recordBefore = verifier();
        QPushButton* button12 = m_window->settingsSection()->Button12;
        QVERIFY(button12->isEnabled());
        QCOMPARE(button12->text(), QStringLiteral("Сменить пароль для банка паролей"));
        QSignalSpy ended(m_window.get(), &TForm1::programEnded);

        // Cancel at the old password: the cipher's error, and the program goes on.
        m_seams->boxes.inputs.enqueue(std::nullopt);
        click(button12);
        QCOMPARE(m_seams->boxes.inputPrompts.last(),
                 QStringLiteral("Ввод:|Введите СТАРЫЙ пароль для банка паролей:"));
        QVERIFY(m_seams->boxes.shown.last().text.startsWith(RecordCipher::kEmptyKeyMessage));
        QCOMPARE(ended.count(), 0);

        // The right old password, then Cancel in the window: nothing changes.
        m_seams->boxes.inputs.enqueue(QStringLiteral("старый"));
        m_seams->modals.scripts.enqueue(answerSetUp("новый", "новый", false));
        click(button12);
        QCOMPARE(stored(), before);
        QCOMPARE(verifier(), recordBefore);

        // Two empty entries are refused before anything is stored.
        m_seams->boxes.inputs.enqueue(QStringLiteral("старый"));
        m_seams->modals.scripts.enqueue(answerSetUp("", ""));
        click(button12);
        QCOMPARE(m_seams->boxes.shown.last().text, TForm12::kEmptyPassword);
        QCOMPARE(stored(), before);
        QCOMPARE(verifier(), recordBefore);

        // The change: every password reads the same under the new one.
        m_window->showSection(Sections::kPasswords);
        unlock("старый");
        m_seams->boxes.inputs.enqueue(QStringLiteral("старый"));
        m_seams->modals.scripts.enqueue(answerSetUp("Новый-2", "Новый-2"));
        click(button12);
        QCOMPARE(m_seams->boxes.shown.last().title, QStringLiteral("Успех"));
        QCOMPARE(m_seams->boxes.shown.last().text, QStringLiteral("Пароль изменен!"));
        QVERIFY(locked());
        QVERIFY(opens("Новый-2"));
        QVERIFY(!opens("старый"));
        const QList<StoredAccount> after = opened("Новый-2");
        QCOMPARE(after.size(), plain.size());
        for (int n = 0; n < plain.size(); ++n)
            QCOMPARE(after[n], (StoredAccount{("сайт " + plain[n]).left(50), "вход", plain[n]}));
        // Nothing stored before opens under the new key: every value was sealed anew.
        for (int n = 0; n < plain.size(); ++n)
            QVERIFY(stored()[n].password != before[n].password);
        // The old password no longer opens the bank; the new one does.
        bank()->InputPrimaryPass->setText("старый");
        click(bank()->BitBtn8);
        QVERIFY(locked());
        QCOMPARE(m_seams->boxes.shown.last().text.section("\r\n", 0, 0), kWrong);
        unlock("Новый-2");
        clickCell(1, 0);
        QCOMPARE(bank()->PassLabel->text(), QStringLiteral("Пароль: Пароль Ы"));

        // A wrong old password: the message, then the end of the program; nothing changed.
        const QList<StoredAccount> changed = stored();
        m_seams->boxes.inputs.enqueue(QStringLiteral("старый"));
        click(button12);
        QCOMPARE(m_seams->boxes.shown.last().text.section("\r\n", 0, 0), kWrong);
        QCOMPARE(ended.count(), 1);
        QVERIFY(!m_window->isVisible());
        QCOMPARE(stored(), changed);
        QCOMPARE(m_seams->modals.opened.size(), 3);
    }

    void withoutAMasterPasswordAnyOldPasswordEndsTheProgram()
    {
        QSignalSpy ended(m_window.get(), &TForm1::programEnded);
        m_seams->boxes.inputs.enqueue(QStringLiteral("что-нибудь"));
        click(m_window->settingsSection()->Button12);
        QCOMPARE(m_seams->boxes.shown.last().text.section("\r\n", 0, 0), kWrong);
        QCOMPARE(ended.count(), 1);
        QCOMPARE(verifier(), QString());
    }

    void theBankLocksWhenTheWindowGoesOutOfSight()
    {
        setMaster("м");
        addAccount("a", "b", "c");
        m_window->showSection(Sections::kPasswords);
        TrayIcon::setAvailableForTests(false);
        unlock("м");
        m_window->HideInTrayClick();
        QVERIFY(locked());
        QCOMPARE(bank()->InputPrimaryPass->text(), QString());

        TrayIcon::setAvailableForTests(true);
        m_window->showNormal();
        unlock("м");
        m_window->setWindowState(Qt::WindowMinimized);
        QApplication::processEvents();
        QVERIFY(locked());
    }

    void anOldBankIsSealedOnItsFirstRightPassword()
    {
        // A bank from before: the old verifier, passwords under the old
        // cipher, the other fields plain; and a daily copy of it from yesterday.
        const QString master = QStringLiteral("пароль");
        const QString lowBytes = QStringLiteral("?0@>;L"); // the same low bytes as the master password
        {
            QSqlQuery write(m_window->database().BigBd());
            QVERIFY(write.exec("UPDATE \"Ключи\" SET \"Ключ\" = '" + cipher("#VAULT#", master) +
                               "' WHERE \"Count\" = (SELECT \"Count\" FROM \"Ключи\" ORDER BY \"Count\" LIMIT 1 OFFSET 1)"));
            write.prepare("INSERT INTO \"Пароли\" (\"Принадлежность\", \"Логин\", \"Пароль\") VALUES (?, ?, ?)");
            for (const QString& each : {QStringLiteral("почта"), QStringLiteral("банк")}) {
                write.addBindValue(each);
                write.addBindValue("вход-" + each);
                write.addBindValue(cipher("секрет-" + each, master));
                QVERIFY(write.exec());
            }
        }
        const QString profile = ProfileDatabase::profileFolder(m_window->settings().documentsFolder);
        const QString yesterday = ProfileBackup::dailyFolder(profile) + "/profile-" +
                                  QDate::currentDate().addDays(-1).toString("yyyy-MM-dd") + ".mdb";
        QVERIFY(ProfileBackup::copyDatabase(profile + "/profile.mdb", yesterday).ok);
        const QList<StoredAccount> before = stored();

        // A wrong password changes nothing.
        m_window->showSection(Sections::kPasswords);
        bank()->InputPrimaryPass->setText("другой");
        click(bank()->BitBtn8);
        QCOMPARE(m_seams->boxes.shown.last().text.section("\r\n", 0, 0), kWrong);
        QCOMPARE(stored(), before);

        // The right one opens the bank, and everything is sealed under it at once.
        unlock(master);
        QCOMPARE(grid()->model()->rowCount(), 2);
        QCOMPARE(grid()->model()->data(grid()->model()->index(1, 1)).toString(), QStringLiteral("вход-банк"));
        clickCell(1, 0);
        QCOMPARE(bank()->PassLabel->text(), QStringLiteral("Пароль: секрет-банк"));
        QVERIFY(KeyRecord::isCurrentForm(verifier()));
        QCOMPARE(opened(master), (QList<StoredAccount>{{"почта", "вход-почта", "секрет-почта"},
                                                        {"банк", "вход-банк", "секрет-банк"}}));
        for (const StoredAccount& raw : stored())
            QVERIFY(raw.container.startsWith("qv2:") && raw.login.startsWith("qv2:") && raw.password.startsWith("qv2:"));
        // The old cipher took only the low bytes of a password; the new key takes every byte.
        QVERIFY(!opens(lowBytes));

        // No copy keeps the old values: one copy of the sealed state is left.
        const QStringList copies = ProfileBackup::dailyCopies(profile);
        QCOMPARE(copies.size(), 1);
        QVERIFY(!copies.first().endsWith(QFileInfo(yesterday).fileName()));
        {
            QFile copy(copies.first());
            QVERIFY(copy.open(QIODevice::ReadOnly));
            const QByteArray bytes = copy.readAll();
            QVERIFY(!bytes.contains(QStringLiteral("вход-почта").toUtf8()));
            QVERIFY(bytes.contains("qv2$argon2id$"));
        }
        // Nor does the profile's free space.
        QFile file(profile + "/profile.mdb");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.readAll().contains(QStringLiteral("вход-почта").toUtf8()));
    }

    void damagedValuesAreReportedAndLeftAsTheyAre()
    {
        setMaster("м");
        addAccount("первый", "login1", "p1");
        addAccount("второй", "login2", "p2");
        // The first account's password moved into its login field.
        {
            QSqlQuery write(m_window->database().BigBd());
            QVERIFY(write.exec("UPDATE \"Пароли\" SET \"Логин\" = \"Пароль\" WHERE \"Key\" = "
                               "(SELECT MIN(\"Key\") FROM \"Пароли\")"));
        }
        const QList<StoredAccount> before = stored();
        m_window->showSection(Sections::kPasswords);
        unlock("м");
        QVERIFY(m_seams->boxes.shown.last().text.contains(": 1."));
        QCOMPARE(grid()->model()->data(grid()->model()->index(1, 0)).toString(), QStringLiteral("второй"));
        QVERIFY(!(grid()->model()->flags(grid()->model()->index(0, 1)) & Qt::ItemIsEditable));
        clickCell(1, 0);
        QCOMPARE(bank()->PassLabel->text(), QStringLiteral("Пароль: p2"));
        click(bank()->BitBtn8);
        QCOMPARE(stored(), before);

        // A key record that is not whole: said so, nothing changed, the program goes on.
        QSignalSpy ended(m_window.get(), &TForm1::programEnded);
        QSqlQuery write(m_window->database().BigBd());
        const QString record = verifier();
        const QString weakened = QString(record).replace("m=65536", "m=1024");
        QVERIFY(write.exec("UPDATE \"Ключи\" SET \"Ключ\" = '" + weakened + "' WHERE \"Ключ\" = '" + record + "'"));
        bank()->InputPrimaryPass->setText("м");
        click(bank()->BitBtn8);
        QVERIFY(locked());
        QVERIFY(m_seams->boxes.shown.last().text.contains(MasterKey::damagedMessage()));
        QCOMPARE(verifier(), weakened);
        QCOMPARE(ended.count(), 0);
    }

    void aCopiedPasswordDoesNotOutliveTheOpenBank()
    {
        setMaster("м");
        addAccount("a", "b", "тайное");
        m_window->showSection(Sections::kPasswords);
        unlock("м");
        // The shown password cannot be selected into the primary selection.
        QCOMPARE(bank()->PassLabel->textInteractionFlags(), Qt::NoTextInteraction);

        bank()->N23->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("тайное"));
        click(bank()->BitBtn8);
        QCOMPARE(QApplication::clipboard()->text(), QString());

        unlock("м");
        bank()->N23->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("тайное"));
        m_window.reset();
        QCOMPARE(QApplication::clipboard()->text(), QString());
    }

private:
    PasswordBankSection* bank() const { return m_window->passwordBank(); }
    QTableView* grid() const { return bank()->DBGrid3; }
    bool locked() const
    {
        return !bank()->AddPass->isEnabled() && !bank()->CopyPass->isEnabled() &&
               !bank()->DelPass->isEnabled() && bank()->InputPrimaryPass->isEnabled() &&
               bank()->PassLabel->text().isEmpty();
    }
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void unlock(const QString& password)
    {
        bank()->InputPrimaryPass->setText(password);
        click(bank()->BitBtn8);
        QVERIFY(!locked());
    }
    void answer(const QStringList& three)
    {
        for (const QString& each : three)
            m_seams->boxes.inputs.enqueue(each);
    }
    void clickCell(int row, int column)
    {
        const QModelIndex index = grid()->model()->index(row, column);
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, grid()->visualRect(index).center());
    }
    void editCell(int row, int column, const QString& text)
    {
        const QModelIndex index = grid()->model()->index(row, column);
        grid()->setCurrentIndex(index);
        grid()->edit(index);
        auto* editor = qobject_cast<QLineEdit*>(grid()->indexWidget(index));
        QVERIFY(editor);
        QCOMPARE(editor->maxLength(), 50);
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);
    }
    void setMaster(const QString& password)
    {
        PasswordBank store(m_window->database());
        QVERIFY(store.setMasterPassword(password, nullptr));
        m_master = password;
    }
    void addAccount(const QString& container, const QString& login, const QString& password)
    {
        PasswordBank store(m_window->database());
        const MasterKey::Checked checked = store.check(m_master);
        QCOMPARE(checked.verdict, MasterKey::Verdict::Opened);
        QVERIFY(store.add(container, login, password, checked.key, nullptr, nullptr));
    }
    bool opens(const QString& password) const
    {
        return MasterKey::check(verifier(), password).verdict == MasterKey::Verdict::Opened;
    }
    // The accounts as the second reader of the file would open them.
    QList<StoredAccount> opened(const QString& password) const
    {
        const MasterKey::Checked checked = MasterKey::check(verifier(), password);
        if (checked.verdict != MasterKey::Verdict::Opened)
            return {{"<wrong password>", {}, {}}};
        QList<StoredAccount> list;
        for (const StoredAccount& raw : stored())
            list.append({SealedValue::open(checked.key, raw.container, SealedValue::kBankContainer).value_or("<x>"),
                         SealedValue::open(checked.key, raw.login, SealedValue::kBankLogin).value_or("<x>"),
                         SealedValue::open(checked.key, raw.password, SealedValue::kBankPassword).value_or("<x>")});
        return list;
    }
    QString verifier() const
    {
        QSqlQuery query(m_window->database().BigBd());
        query.exec("SELECT \"Ключ\" FROM \"Ключи\" ORDER BY \"Count\" LIMIT 1 OFFSET 1");
        return query.next() ? query.value(0).toString() : QStringLiteral("<no row>");
    }
    QList<StoredAccount> stored() const
    {
        QSqlQuery query(m_window->database().BigBd());
        query.exec("SELECT \"Принадлежность\", \"Логин\", \"Пароль\" FROM \"Пароли\" ORDER BY \"Key\"");
        QList<StoredAccount> list;
        while (query.next())
            list.append({query.value(0).toString(), query.value(1).toString(), query.value(2).toString()});
        return list;
    }

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<TestSeams> m_seams;
    std::unique_ptr<RegistryStore> m_registry;
    std::unique_ptr<TForm1> m_window;
    QString m_master;
};

QUILL_TEST_MAIN(TestPasswordBank)
#include "tst_password_bank.moc"
