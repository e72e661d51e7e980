#include "record_cipher.h"

#include <QTest>

namespace {

QString fromBytes(const QByteArray& bytes)
{
    QString text;
    for (char byte : bytes)
        text.append(QChar(char16_t(quint8(byte))));
    return text;
}

QString enciphered(const QString& text, const QString& key)
{
    const auto result = RecordCipher::CipherText(text, key);
    return result ? *result : QStringLiteral("<no result>");
}

} // namespace

class TestRecordCipher : public QObject
{
    Q_OBJECT

private slots:
    void knownAnswers()
    {
        // The classic RC4 vectors: a key shorter than 256 characters repeats in
        // the key block, which is the textbook key schedule.
        QCOMPARE(enciphered("Plaintext", "Key"), fromBytes(QByteArray::fromHex("bbf316e8d940af0ad3")));
        QCOMPARE(enciphered("pedia", "Wiki"), fromBytes(QByteArray::fromHex("1021bf0420")));
        QCOMPARE(enciphered("Attack at dawn", "Secret"),
                 fromBytes(QByteArray::fromHex("45a01f645fc35b383552544b9bf5")));
        // A one-character key is the block q, q, q, ...
        QCOMPARE(enciphered("#VAULT#", "q"), fromBytes(QByteArray::fromHex("8dd6bcc2c32d8a")));
        QCOMPARE(enciphered(QString(), "q"), QString());
    }

    void everyLatin1TextComesBack()
    {
        QString all;
        for (int c = 0; c <= 0xFF; ++c)
            all.append(QChar(char16_t(c)));
        for (const QString& key : {QStringLiteral("k"), QStringLiteral("пароль"), QString(all)}) {
            const QString secret = enciphered(all, key);
            QCOMPARE(secret.size(), all.size());
            for (QChar unit : secret)
                QVERIFY(unit.unicode() <= 0xFF);
            QCOMPARE(enciphered(secret, key), all);
        }
        // Each call starts afresh.
        QCOMPARE(enciphered("same text", "key"), enciphered("same text", "key"));
    }

    void russianTextComesBackWithOneUnitPerUnit()
    {
        const QString diary = QStringLiteral("Сегодня был хороший день. Ёлка, «кавычки» и €.");
        const QString secret = enciphered(diary, QStringLiteral("секрет"));
        QCOMPARE(secret.size(), diary.size());
        QVERIFY(secret != diary);
        QCOMPARE(enciphered(secret, QStringLiteral("секрет")), diary);
        // High bytes ride along unchanged; low bytes are enciphered as for Latin-1 text.
        for (int n = 0; n < diary.size(); ++n)
            QCOMPARE(secret[n].unicode() & 0xFF00, diary[n].unicode() & 0xFF00);
    }

    void keyLengthsAndHighBytes()
    {
        const QString text = QStringLiteral("verifier & text");
        QString key300;
        for (int n = 0; n < 300; ++n)
            key300.append(QChar(char16_t('a' + n % 23)));
        QCOMPARE(enciphered(text, key300), enciphered(text, key300.left(44)));

        QString key256;
        for (int n = 0; n < 256; ++n)
            key256.append(QChar(char16_t('A' + n % 26)));
        QCOMPARE(enciphered(text, key256), enciphered(text, key256.left(255) + QChar(0)));

        // Only the low byte of a key's code unit counts: U+0431 "б" is 0x31, "1".
        QCOMPARE(enciphered(text, QStringLiteral("pass\u04311")), enciphered(text, QStringLiteral("pass11")));
    }

    void verifiers()
    {
        const auto stored = RecordCipher::makeVerifier(QStringLiteral("pass1"));
        QVERIFY(stored);
        QCOMPARE(stored->size(), 7);
        QVERIFY(RecordCipher::acceptsPassword(*stored, QStringLiteral("pass1")));
        QVERIFY(RecordCipher::acceptsPassword(*stored, QStringLiteral("pass\u0431"))); // same low bytes
        QVERIFY(!RecordCipher::acceptsPassword(*stored, QStringLiteral("Pass1")));
        QVERIFY(!RecordCipher::acceptsPassword(*stored, QStringLiteral("pass")));
        QVERIFY(!RecordCipher::acceptsPassword(QString(), QStringLiteral("pass1")));
        QVERIFY(!RecordCipher::acceptsPassword(*stored, QString()));
    }

    void emptyKeyIsRefused()
    {
        QVERIFY(!RecordCipher::CipherText(QStringLiteral("secret"), QString()));
        QVERIFY(!RecordCipher::makeVerifier(QString()));
        QVERIFY(!RecordCipher::kEmptyKeyMessage.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRecordCipher)
#include "tst_record_cipher.moc"
