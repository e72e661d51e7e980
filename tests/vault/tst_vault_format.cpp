// The stored secrets against docs/vault-format.md, through a second reader
// written from that page alone (second_reader.py, Python with libsodium's
// own bindings): it must open what the program sealed, refuse what the page
// calls damaged, and the program must open what it sealed.
#include "diary_store.h"
#include "key_record.h"
#include "password_bank.h"
#include "profile_database.h"
#include "test_home.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <memory>

namespace {

const QString kBankPassword = QStringLiteral("Банк: сезам, откройся!");
const QString kDiaryPassword = QStringLiteral("дневник 2024");
// "пароль" and the characters with the same low bytes of UTF-16: a
// derivation that drops the high bytes takes them for one password.
const QString kCyrillic = QStringLiteral("пароль");
const QString kLowBytes = QStringLiteral("?0@>;L");

// Exit codes of the second reader.
constexpr int kWrongPassword = 2;
constexpr int kDamagedRecord = 3;
constexpr int kDamagedValue = 4;

struct Account
{
    QString container;
    QString login;
    QString password;
};

struct Page
{
    QDate day;
    QString text;
};

QString fiftyCharacters()
{
    const QString value =
        QStringLiteral("ЁжикВТумане-0123456789-Щука_").repeated(2).left(PasswordBank::kFieldLength);
    Q_ASSERT(value.size() == 50);
    return value;
}

struct ReaderResult
{
    int exitCode = -1;
    QJsonObject json;
    QString output;
    QString errors;
};

} // namespace

class TestVaultFormat : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        KeyRecord::setPassesForTests(2);
        // The Debian interpreter first: python3-nacl installs there.
        QStringList candidates = {QStringLiteral("/usr/bin/python3")};
        const QString onPath = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (!onPath.isEmpty())
            candidates << onPath;
        for (const QString& candidate : std::as_const(candidates)) {
            if (!QFileInfo(candidate).isExecutable())
                continue;
            QProcess probe;
            probe.start(candidate,
                        {QStringLiteral("-c"), QStringLiteral("import nacl.bindings, nacl.pwhash")});
            if (probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit &&
                probe.exitCode() == 0) {
                m_python = candidate;
                break;
            }
        }
        if (m_python.isEmpty())
            QSKIP("python3 with PyNaCl is not installed (tools/install-deps.sh --tests)");
    }

    void cleanupTestCase() { KeyRecord::setPassesForTests(0); }

    void init()
    {
        m_home = std::make_unique<TestHome>();
        m_database = std::make_unique<ProfileDatabase>();
        QVERIFY(m_database->open(m_home->documents(), TestHome::programFolder()));
    }

    void cleanup()
    {
        m_database.reset();
        m_home.reset();
    }

    void storedSecretsOpenInTheSecondReader()
    {
        const QList<Account> accounts = {
            {QStringLiteral("Почта на Яндексе"), QStringLiteral("иван.петров"),
             QStringLiteral("Ёж-в-тумане №7")},
            {QStringLiteral("github.com"), QStringLiteral("octo-user"), QStringLiteral("hunter2")},
            {QStringLiteral("Пустые поля"), QString(), QString()},
            {fiftyCharacters(), QStringLiteral("x").repeated(50), fiftyCharacters()},
        };
        const QList<Page> pages = {
            {QDate(2024, 2, 29), QStringLiteral("Сегодня шёл снег.\nПотом — дождь.\n\n«Ёлки» стоят 🎄")},
            {QDate(2023, 12, 31), QStringLiteral("Новый год\r\nс табуляцией\tи кавычками \"' $ qv2:")},
            {QDate(2024, 3, 1), QStringLiteral("An ASCII day")},
            {QDate(2024, 3, 2), QStringLiteral("")},
        };
        const QList<qint64> keys = storeBank(kBankPassword, accounts);
        storeDiary(pages);
        QString error;
        QVERIFY2(DiaryStore(*m_database).lock(kDiaryPassword, &error), qPrintable(error));

        const ReaderResult opened = read({{"bank", kBankPassword}, {"diary", kDiaryPassword}});
        QVERIFY2(opened.exitCode == 0, qPrintable(opened.errors));
        compareAccounts(opened.json["bank"]["accounts"].toArray(), keys, accounts);
        QCOMPARE(opened.json["diary"]["locked"].toBool(), true);
        comparePages(opened.json["diary"]["pages"].toArray(), pages);

        // Each record opens with its own password only.
        for (const auto& [part, password] :
             {std::pair{"bank", kDiaryPassword}, std::pair{"bank", QString()},
              std::pair{"bank", kBankPassword + ' '}, std::pair{"diary", kBankPassword},
              std::pair{"diary", kDiaryPassword.toUpper()}}) {
            const ReaderResult wrong = read({{part, password}});
            QVERIFY2(wrong.exitCode == kWrongPassword, qPrintable(part + (": " + wrong.errors)));
            QCOMPARE(wrong.output, QString());
        }
        QCOMPARE(PasswordBank(*m_database).check(kDiaryPassword).verdict, MasterKey::Verdict::Wrong);

        // An open diary holds its pages in plain text and the flag cleared.
        const DiaryStore::Unlocked unlocked = DiaryStore(*m_database).unlock(kDiaryPassword);
        QVERIFY2(unlocked.verdict == MasterKey::Verdict::Opened, qPrintable(unlocked.error));
        const ReaderResult open = read({{"diary", QString()}});
        QVERIFY2(open.exitCode == 0, qPrintable(open.errors));
        QCOMPARE(open.json["diary"]["locked"].toBool(), false);
        comparePages(open.json["diary"]["pages"].toArray(), pages);

        // A page stored without any text (SQL NULL, as a null string is
        // saved) is still one of the pages of a locked diary.
        QVERIFY(DiaryStore(*m_database).savePage(QDate(2024, 3, 3), QString()));
        QVERIFY(DiaryStore(*m_database).lock(kDiaryPassword));
        const ReaderResult withNull = read({{"diary", kDiaryPassword}});
        QVERIFY2(withNull.exitCode == 0, qPrintable(withNull.errors));
    }

    void passwordsAreTheirUtf8BytesAsTyped()
    {
        const QList<qint64> keys =
            storeBank(kCyrillic, {{QStringLiteral("сайт"), QStringLiteral("я"), kCyrillic}});
        PasswordBank bank(*m_database);
        QCOMPARE(bank.check(kCyrillic).verdict, MasterKey::Verdict::Opened);
        QCOMPARE(bank.check(kLowBytes).verdict, MasterKey::Verdict::Wrong);
        const ReaderResult opened = read({{"bank", kCyrillic}});
        QVERIFY2(opened.exitCode == 0, qPrintable(opened.errors));
        compareAccounts(opened.json["bank"]["accounts"].toArray(), keys,
                        {{QStringLiteral("сайт"), QStringLiteral("я"), kCyrillic}});
        QCOMPARE(read({{"bank", kLowBytes}}).exitCode, kWrongPassword);

        // No normalisation: "й" typed as one character and as "и" with a
        // combining breve are two passwords.
        const QString composed = QStringLiteral("йод");
        const QString decomposed = QStringLiteral("и\u0306од");
        QCOMPARE(composed.normalized(QString::NormalizationForm_D), decomposed);
        storeDiary({{QDate(2024, 5, 1), QStringLiteral("йод")}});
        QVERIFY(DiaryStore(*m_database).lock(composed));
        QCOMPARE(read({{"diary", decomposed}}).exitCode, kWrongPassword);
        QCOMPARE(DiaryStore(*m_database).unlock(decomposed).verdict, MasterKey::Verdict::Wrong);
        QVERIFY(DiaryStore(*m_database).isLocked());
        const ReaderResult diary = read({{"diary", composed}});
        QVERIFY2(diary.exitCode == 0, qPrintable(diary.errors));
        comparePages(diary.json["diary"]["pages"].toArray(), {{QDate(2024, 5, 1), QStringLiteral("йод")}});
        QCOMPARE(DiaryStore(*m_database).unlock(composed).verdict, MasterKey::Verdict::Opened);

        // A record written outside for the Cyrillic password opens in the
        // program under the parameters it names, which differ from the ones
        // the program would choose.
        const QString outside = makeRecord(kCyrillic, 66560, 3);
        QVERIFY(outside.startsWith(QLatin1String("qv2$argon2id$m=66560,t=3,p=1$")));
        setKeyRecord(2, outside);
        QCOMPARE(bank.check(kCyrillic).verdict, MasterKey::Verdict::Opened);
        QCOMPARE(bank.check(kLowBytes).verdict, MasterKey::Verdict::Wrong);
        QCOMPARE(bank.check(decomposed).verdict, MasterKey::Verdict::Wrong);
    }

    void everyValueHasItsOwnNonceAndEveryRecordItsOwnSalt()
    {
        const Account same = {QStringLiteral("Сайт"), QStringLiteral("логин"),
                              QStringLiteral("один и тот же")};
        const QList<qint64> keys = storeBank(kBankPassword, {same, same});
        QCOMPARE(keys.size(), 2);
        const QStringList first = storedAccount(keys[0]);
        const QStringList second = storedAccount(keys[1]);
        QCOMPARE(first.size(), 3);
        QCOMPARE(second.size(), 3);
        for (int field = 0; field < 3; ++field)
            QVERIFY2(first[field] != second[field], qPrintable(first[field]));

        storeDiary(
            {{QDate(2024, 1, 1), QStringLiteral("то же")}, {QDate(2024, 1, 2), QStringLiteral("то же")}});
        QVERIFY(DiaryStore(*m_database).lock(kBankPassword));
        const QStringList sealedPages = column(QStringLiteral("Дневник"), QStringLiteral("Содержание"));
        QCOMPARE(sealedPages.size(), 2);
        QVERIFY(sealedPages[0] != sealedPages[1]);

        // The diary and the bank under one password: two salts, two keys.
        const QString diarySalt = saltOf(keyRecord(1));
        const QString bankSalt = saltOf(keyRecord(2));
        QCOMPARE(diarySalt.size(), 24);
        QVERIFY(diarySalt != bankSalt);
        const ReaderResult both = read({{"bank", kBankPassword}, {"diary", kBankPassword}});
        QVERIFY2(both.exitCode == 0, qPrintable(both.errors));
        QCOMPARE(both.json["diary"]["salt"].toString(), diarySalt);
        QCOMPARE(both.json["bank"]["salt"].toString(), bankSalt);

        // Locking again with a password chosen anew makes a new record.
        QCOMPARE(DiaryStore(*m_database).unlock(kBankPassword).verdict, MasterKey::Verdict::Opened);
        QVERIFY(DiaryStore(*m_database).lock(kBankPassword));
        QVERIFY(saltOf(keyRecord(1)) != diarySalt);

        // So does a new master password, with every account sealed under it.
        QString error;
        QVERIFY2(PasswordBank(*m_database).changeMasterPassword(kBankPassword, kCyrillic, &error),
                 qPrintable(error));
        QVERIFY(saltOf(keyRecord(2)) != bankSalt);
        QVERIFY(storedAccount(keys[0])[2] != first[2]);
        QCOMPARE(read({{"bank", kBankPassword}}).exitCode, kWrongPassword);
        const ReaderResult changed = read({{"bank", kCyrillic}});
        QVERIFY2(changed.exitCode == 0, qPrintable(changed.errors));
        compareAccounts(changed.json["bank"]["accounts"].toArray(), keys, {same, same});
    }

    void valuesMovedOrBrokenDoNotOpen()
    {
        const Account alpha = {QStringLiteral("Альфа"), QStringLiteral("alpha-login"),
                               QStringLiteral("альфа-пароль")};
        const Account beta = {QStringLiteral("Бета"), QStringLiteral("бета"), QStringLiteral("beta-secret")};
        const QList<qint64> keys = storeBank(kBankPassword, {alpha, beta});
        QCOMPARE(keys.size(), 2);
        const QList<Page> pages = {{QDate(2024, 4, 1), QStringLiteral("Первая")},
                                   {QDate(2024, 4, 2), QStringLiteral("Вторая\nстрока")}};
        storeDiary(pages);
        QVERIFY(DiaryStore(*m_database).lock(kBankPassword));

        PasswordBank bank(*m_database);
        MasterKey::Checked checked = bank.check(kBankPassword);
        QCOMPARE(checked.verdict, MasterKey::Verdict::Opened);
        const VaultKey& key = checked.key;
        const QStringList stored = storedAccount(keys[0]);
        QCOMPARE(stored.size(), 3);

        // Login and password of one account swapped: both under the bank's
        // key, told apart by their associated data only.
        setAccountField(keys[0], QStringLiteral("Логин"), stored[2]);
        setAccountField(keys[0], QStringLiteral("Пароль"), stored[1]);
        QVERIFY(bank.account(keys[0], key)->damaged);
        QVERIFY(!bank.passwordOf(keys[0], key));
        QCOMPARE(bank.passwordOf(keys[1], key).value_or("(none)"), beta.password);
        QVERIFY(!bank.account(keys[1], key)->damaged);
        QCOMPARE(read({{"bank", kBankPassword}}).exitCode, kDamagedValue);
        setAccountField(keys[0], QStringLiteral("Логин"), stored[1]);
        setAccountField(keys[0], QStringLiteral("Принадлежность"), stored[1]);
        QVERIFY(bank.account(keys[0], key)->damaged);
        setAccountField(keys[0], QStringLiteral("Принадлежность"), stored[0]);

        // Sealed under the right key for another field.
        setAccountField(
            keys[0], QStringLiteral("Пароль"),
            sealOutside("bank", kBankPassword, QStringLiteral("Дневник/Содержание"), alpha.password));
        QVERIFY(!bank.passwordOf(keys[0], key));
        QCOMPARE(read({{"bank", kBankPassword}}).exitCode, kDamagedValue);

        // A value without its '=' padding is not the base64 of the format.
        const QString padded =
            sealOutside("bank", kBankPassword, QStringLiteral("Пароли/Пароль"), QStringLiteral("a"));
        QVERIFY(padded.endsWith(QLatin1Char('='))); // 24 + 1 + 16 bytes
        setAccountField(keys[0], QStringLiteral("Пароль"), padded);
        QCOMPARE(bank.passwordOf(keys[0], key).value_or("(none)"), QStringLiteral("a"));
        setAccountField(keys[0], QStringLiteral("Пароль"), padded.chopped(1));
        QCOMPARE(read({{"bank", kBankPassword}}).exitCode, kDamagedValue);
        QVERIFY(!bank.passwordOf(keys[0], key));

        // Values that are not whole.
        QString shortValue = QStringLiteral("qv2:") + QString::fromLatin1(QByteArray(39, 'a').toBase64());
        QString flipped = stored[2];
        flipped[flipped.size() - 5] = flipped[flipped.size() - 5] == QLatin1Char('A') ? 'B' : 'A';
        for (const QString& broken :
             {QString(), alpha.password, stored[2].mid(4), QStringLiteral("qv3:") + stored[2].mid(4),
              stored[2].left(stored[2].size() - 1), stored[2] + QStringLiteral("\n"),
              QStringLiteral("qv2:") + QString(stored[2].mid(4)).replace('+', '-').replace('/', '_'),
              shortValue, flipped}) {
            if (broken == stored[2])
                continue; // neither '+' nor '/' in this one
            setAccountField(keys[0], QStringLiteral("Пароль"), broken);
            QVERIFY2(!bank.passwordOf(keys[0], key), qPrintable(broken));
            setAccountField(keys[0], QStringLiteral("Логин"), broken);
            QVERIFY2(bank.account(keys[0], key)->damaged, qPrintable(broken));
            QVERIFY2(read({{"bank", kBankPassword}}).exitCode == kDamagedValue, qPrintable(broken));
            setAccountField(keys[0], QStringLiteral("Логин"), stored[1]);
        }
        setAccountField(keys[0], QStringLiteral("Пароль"), stored[2]);
        QCOMPARE(bank.passwordOf(keys[0], key).value_or("(none)"), alpha.password);
        QCOMPARE(bank.account(keys[0], key)->login, alpha.login);

        // A diary page replaced by a bank value, or by one sealed under the
        // diary's key for a bank field: unlocking fails and changes nothing.
        const QString firstPage = column(QStringLiteral("Дневник"), QStringLiteral("Содержание")).first();
        for (const QString& moved :
             {stored[2],
              sealOutside("diary", kBankPassword, QStringLiteral("Пароли/Пароль"), pages[0].text)}) {
            setFirstPage(moved);
            const QStringList before = diaryState();
            const DiaryStore::Unlocked unlocked = DiaryStore(*m_database).unlock(kBankPassword);
            QCOMPARE(unlocked.verdict, MasterKey::Verdict::Failed);
            QVERIFY(!unlocked.error.isEmpty());
            QCOMPARE(diaryState(), before);
            QCOMPARE(read({{"diary", kBankPassword}}).exitCode, kDamagedValue);
        }
        setFirstPage(firstPage);
        QCOMPARE(DiaryStore(*m_database).unlock(kBankPassword).verdict, MasterKey::Verdict::Opened);
        QCOMPARE(DiaryStore(*m_database).page(pages[0].day).value_or("(none)"), pages[0].text);
    }

    void valuesSealedOutsideOpenInTheProgram()
    {
        const QList<qint64> keys =
            storeBank(kBankPassword, {{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}});
        QCOMPARE(keys.size(), 1);
        const QString container = QStringLiteral("Снаружи: «Госуслуги» 🔑");
        const QString password = QStringLiteral("Пароль,\nзапечатанный\tснаружи");
        setAccountField(
            keys[0], QStringLiteral("Принадлежность"),
            sealOutside("bank", kBankPassword, QStringLiteral("Пароли/Принадлежность"), container));
        setAccountField(keys[0], QStringLiteral("Логин"),
                        sealOutside("bank", kBankPassword, QStringLiteral("Пароли/Логин"), QString()));
        setAccountField(keys[0], QStringLiteral("Пароль"),
                        sealOutside("bank", kBankPassword, QStringLiteral("Пароли/Пароль"), password));
        PasswordBank bank(*m_database);
        PasswordBank::Unlocked unlocked = bank.unlock(kBankPassword);
        QVERIFY2(unlocked.verdict == MasterKey::Verdict::Opened, qPrintable(unlocked.error));
        const std::optional<PasswordBank::Account> account = bank.account(keys[0], unlocked.key);
        QVERIFY(account);
        QVERIFY(!account->damaged);
        QCOMPARE(account->container, container);
        QCOMPARE(account->login, QString());
        QCOMPARE(bank.passwordOf(keys[0], unlocked.key).value_or("(none)"), password);

        const QDate day(2024, 6, 12);
        storeDiary({{day, QStringLiteral("старый текст")}});
        QVERIFY(DiaryStore(*m_database).lock(kDiaryPassword));
        const QString page = QStringLiteral("Страница снаружи\nвторая строка 🎄");
        setFirstPage(sealOutside("diary", kDiaryPassword, QStringLiteral("Дневник/Содержание"), page));
        const DiaryStore::Unlocked diary = DiaryStore(*m_database).unlock(kDiaryPassword);
        QVERIFY2(diary.verdict == MasterKey::Verdict::Opened, qPrintable(diary.error));
        QCOMPARE(DiaryStore(*m_database).page(day).value_or("(none)"), page);

        // A whole record written outside: the program takes it and seals
        // new accounts under its key, and the outside reader opens them.
        setKeyRecord(2, makeRecord(kCyrillic, 65536, 2));
        QVERIFY(bank.remove(keys[0], nullptr));
        unlocked = bank.unlock(kCyrillic);
        QVERIFY2(unlocked.verdict == MasterKey::Verdict::Opened, qPrintable(unlocked.error));
        qint64 added = 0;
        QString error;
        QVERIFY2(bank.add(container, kLowBytes, password, unlocked.key, &added, &error), qPrintable(error));
        const ReaderResult opened = read({{"bank", kCyrillic}});
        QVERIFY2(opened.exitCode == 0, qPrintable(opened.errors));
        compareAccounts(opened.json["bank"]["accounts"].toArray(), {added},
                        {{container, kLowBytes, password}});
    }

    void recordsOfAnotherShapeOpenNothing()
    {
        storeBank(kCyrillic, {{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}});
        PasswordBank bank(*m_database);
        const QString whole = makeRecord(kCyrillic, 65536, 2);
        setKeyRecord(2, whole);
        QCOMPARE(bank.check(kCyrillic).verdict, MasterKey::Verdict::Opened);
        const QStringList parts = whole.split(QLatin1Char('$'));
        QCOMPARE(parts.size(), 5);
        const QString salt = parts[3];
        const QString check = parts[4];
        const QString head = QStringLiteral("qv2$argon2id$m=65536,t=2,p=1$");

        // Each one rightly sealed for the password, or an edit of such a one.
        const QStringList damaged = {
            makeRecord(kCyrillic, 32768, 2),
            makeRecord(kCyrillic, 65535, 3),
            makeRecord(kCyrillic, 65536, 1),
            QString(whole).replace(QLatin1String("p=1"), QLatin1String("p=2")),
            QString(whole).replace(QLatin1String("m=65536"), QLatin1String("m=065536")),
            QString(whole).replace(QLatin1String("t=2"), QLatin1String("t=02")),
            QString(whole).replace(QLatin1String("t=2"), QLatin1String("t=+2")),
            QString(whole).replace(QLatin1String("argon2id"), QLatin1String("argon2i")),
            QString(whole).replace(QLatin1String("m=65536,t=2,p=1"), QLatin1String("t=2,m=65536,p=1")),
            QString(whole).replace(QLatin1String("m=65536,t=2,p=1"), QLatin1String("m=65536,t=2")),
            head + salt.chopped(2) + '$' + check,
            head + QString::fromLatin1(QByteArray(12, 'x').toBase64()) + '$' + check,
            head + salt + '$' + check.mid(4),
            head + salt + '$' + check + QStringLiteral("$"),
            QStringLiteral("qv2$argon2id$") + salt + '$' + check,
            QStringLiteral("qv2$"),
        };
        for (const QString& record : damaged) {
            setKeyRecord(2, record);
            const MasterKey::Checked checked = bank.check(kCyrillic);
            QVERIFY2(checked.verdict == MasterKey::Verdict::Damaged,
                     qPrintable(QStringLiteral("%1: verdict %2").arg(record).arg(int(checked.verdict))));
            const ReaderResult refused = read({{"bank", kCyrillic}});
            QVERIFY2(refused.exitCode == kDamagedRecord, qPrintable(record + ": " + refused.errors));
            QVERIFY(!refused.errors.isEmpty());
        }

        // A check that is not a whole sealed value: not padded base64,
        // shorter than 40 bytes, empty, or not base64 at all.
        const QString shortCheck =
            QStringLiteral("qv2:") + QString::fromLatin1(QByteArray(39, 'x').toBase64());
        for (const QString& checkText : {check + QStringLiteral("\n"), shortCheck, QStringLiteral("qv2:"),
                                         QStringLiteral("qv2:!!!!") + check.mid(8)}) {
            setKeyRecord(2, head + salt + '$' + checkText);
            QVERIFY2(read({{"bank", kCyrillic}}).exitCode == kDamagedRecord, qPrintable(checkText));
            QCOMPARE(bank.check(kCyrillic).verdict, MasterKey::Verdict::Damaged);
        }
        QVERIFY(check.endsWith(QLatin1Char('='))); // "#VAULT#" sealed is 47 bytes: one '=' of padding
        setKeyRecord(2, head + salt + '$' + check.chopped(1));
        QCOMPARE(read({{"bank", kCyrillic}}).exitCode, kDamagedRecord);
        QCOMPARE(bank.check(kCyrillic).verdict, MasterKey::Verdict::Damaged);

        // The diary's record the same way: unlocking leaves the pages sealed.
        storeDiary({{QDate(2024, 7, 1), QStringLiteral("страница")}});
        QVERIFY(DiaryStore(*m_database).lock(kCyrillic));
        setKeyRecord(1, makeRecord(kCyrillic, 65536, 1));
        const QStringList before = diaryState();
        QCOMPARE(DiaryStore(*m_database).unlock(kCyrillic).verdict, MasterKey::Verdict::Damaged);
        QCOMPARE(diaryState(), before);
        QCOMPARE(read({{"diary", kCyrillic}}).exitCode, kDamagedRecord);
    }

private:
    // Sets the master password and adds the accounts; their keys come back.
    QList<qint64> storeBank(const QString& password, const QList<Account>& accounts)
    {
        PasswordBank bank(*m_database);
        QString error;
        if (!bank.setMasterPassword(password, &error)) {
            qWarning("setMasterPassword: %s", qPrintable(error));
            return {};
        }
        PasswordBank::Unlocked unlocked = bank.unlock(password);
        if (unlocked.verdict != MasterKey::Verdict::Opened) {
            qWarning("unlock: %s", qPrintable(unlocked.error));
            return {};
        }
        QList<qint64> keys;
        for (const Account& account : accounts) {
            qint64 key = 0;
            if (!bank.add(account.container, account.login, account.password, unlocked.key, &key, &error))
                qWarning("add: %s", qPrintable(error));
            keys << key;
        }
        return keys;
    }

    void storeDiary(const QList<Page>& pages)
    {
        DiaryStore diary(*m_database);
        for (const Page& page : pages) {
            QString error;
            QVERIFY2(diary.savePage(page.day, page.text, &error), qPrintable(error));
        }
    }

    // The second reader on the profile; input goes on its standard input.
    ReaderResult run(const QStringList& arguments, const QJsonObject& input) const
    {
        QProcess reader;
        reader.start(m_python, QStringList{QString::fromUtf8(QUILL_SECOND_READER)} + arguments);
        ReaderResult result;
        if (!reader.waitForStarted(30000)) {
            result.errors = reader.errorString();
            return result;
        }
        reader.write(QJsonDocument(input).toJson(QJsonDocument::Compact));
        reader.closeWriteChannel();
        if (!reader.waitForFinished(120000) || reader.exitStatus() != QProcess::NormalExit) {
            reader.kill();
            reader.waitForFinished();
            result.errors = QStringLiteral("the second reader did not end");
            return result;
        }
        result.exitCode = reader.exitCode();
        result.output = QString::fromUtf8(reader.readAllStandardOutput()).trimmed();
        result.errors = QString::fromUtf8(reader.readAllStandardError()).trimmed();
        if (result.exitCode == 0)
            result.json = QJsonDocument::fromJson(result.output.toUtf8()).object();
        return result;
    }

    ReaderResult read(const QJsonObject& passwords) const
    {
        return run({QStringLiteral("open"), ProfileDatabase::profileFile(m_home->documents())}, passwords);
    }

    QString sealOutside(const char* part, const QString& password, const QString& associated,
                        const QString& text) const
    {
        const ReaderResult sealed =
            run({QStringLiteral("seal"), ProfileDatabase::profileFile(m_home->documents()),
                 QString::fromLatin1(part), associated},
                {{"password", password}, {"text", text}});
        if (sealed.exitCode != 0 || !sealed.output.startsWith(QLatin1String("qv2:")))
            qWarning("seal: %s", qPrintable(sealed.errors));
        return sealed.output;
    }

    QString makeRecord(const QString& password, int memoryKiB, int passes) const
    {
        const ReaderResult made =
            run({QStringLiteral("record"), QString::number(memoryKiB), QString::number(passes)},
                {{"password", password}});
        if (made.exitCode != 0)
            qWarning("record: %s", qPrintable(made.errors));
        return made.output;
    }

    static void compareAccounts(const QJsonArray& read, const QList<qint64>& keys,
                                const QList<Account>& expected)
    {
        QCOMPARE(read.size(), expected.size());
        for (int n = 0; n < expected.size(); ++n) {
            const QJsonObject account = read[n].toObject();
            QCOMPARE(account["Key"].toInteger(), keys[n]);
            QCOMPARE(account[QStringLiteral("Принадлежность")].toString(), expected[n].container);
            QCOMPARE(account[QStringLiteral("Логин")].toString(), expected[n].login);
            QCOMPARE(account[QStringLiteral("Пароль")].toString(), expected[n].password);
        }
    }

    // The reader lists the pages by date.
    static void comparePages(const QJsonArray& read, QList<Page> expected)
    {
        std::sort(expected.begin(), expected.end(),
                  [](const Page& a, const Page& b) { return a.day < b.day; });
        QCOMPARE(read.size(), expected.size());
        for (int n = 0; n < expected.size(); ++n) {
            const QJsonObject page = read[n].toObject();
            QCOMPARE(page["date"].toString().left(10), expected[n].day.toString(Qt::ISODate));
            QCOMPARE(page["text"].toString(), expected[n].text);
        }
    }

    QSqlQuery exec(const QString& statement, const QVariantList& values = {}) const
    {
        QSqlQuery query(m_database->BigBd());
        query.prepare(statement);
        for (const QVariant& value : values)
            query.addBindValue(value);
        if (!query.exec())
            qWarning("%s", qPrintable(statement));
        return query;
    }

    QStringList column(const QString& table, const QString& field) const
    {
        QSqlQuery query = exec(QStringLiteral("SELECT \"%1\" FROM \"%2\" ORDER BY rowid").arg(field, table));
        QStringList values;
        while (query.next())
            values << query.value(0).toString();
        return values;
    }

    // Row n of the keys table in the order of Count, from 1.
    QString keyRecord(int row) const
    {
        QSqlQuery query = exec(
            QStringLiteral("SELECT \"Ключ\" FROM \"Ключи\" ORDER BY \"Count\" LIMIT 1 OFFSET ?"), {row - 1});
        return query.next() ? query.value(0).toString() : QString();
    }

    void setKeyRecord(int row, const QString& record) const
    {
        exec(QStringLiteral("UPDATE \"Ключи\" SET \"Ключ\" = ? WHERE \"Count\" = "
                            "(SELECT \"Count\" FROM \"Ключи\" ORDER BY \"Count\" LIMIT 1 OFFSET ?)"),
             {record, row - 1});
    }

    static QString saltOf(const QString& record) { return record.section(QLatin1Char('$'), 3, 3); }

    QStringList storedAccount(qint64 key) const
    {
        QSqlQuery query =
            exec(QStringLiteral(
                     "SELECT \"Принадлежность\", \"Логин\", \"Пароль\" FROM \"Пароли\" WHERE \"Key\" = ?"),
                 {key});
        if (!query.next())
            return {};
        return {query.value(0).toString(), query.value(1).toString(), query.value(2).toString()};
    }

    void setAccountField(qint64 key, const QString& field, const QString& value) const
    {
        exec(QStringLiteral("UPDATE \"Пароли\" SET \"%1\" = ? WHERE \"Key\" = ?").arg(field), {value, key});
    }

    void setFirstPage(const QString& value) const
    {
        exec(QStringLiteral("UPDATE \"Дневник\" SET \"Содержание\" = ? WHERE rowid = (SELECT min(rowid) FROM "
                            "\"Дневник\")"),
             {value});
    }

    // Every page and the diary's row of the keys table, as stored.
    QStringList diaryState() const
    {
        QStringList state = column(QStringLiteral("Дневник"), QStringLiteral("Содержание"));
        QSqlQuery lock = exec(
            QStringLiteral("SELECT \"Ключ\", \"Заблокировано\" FROM \"Ключи\" ORDER BY \"Count\" LIMIT 1"));
        if (lock.next())
            state << lock.value(0).toString() << lock.value(1).toString();
        return state;
    }

    QString m_python;
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<ProfileDatabase> m_database;
};

QTEST_GUILESS_MAIN(TestVaultFormat)
#include "tst_vault_format.moc"
