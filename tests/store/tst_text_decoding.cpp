#include "text_decoding.h"

#include <QTest>

class TestTextDecoding : public QObject
{
    Q_OBJECT

private slots:
    void readsUtf8Windows1251AndByteOrderMarks()
    {
        const QString russian = QStringLiteral("Привет, ёжик! №5");
        QCOMPARE(TextDecoding::decode(russian.toUtf8()), russian);
        QCOMPARE(TextDecoding::decode("\xEF\xBB\xBF" + russian.toUtf8()), russian);
        // The same text as the Windows version wrote it.
        const QByteArray cp1251("\xCF\xF0\xE8\xE2\xE5\xF2, \xB8\xE6\xE8\xEA! \xB9"
                                "5");
        QCOMPARE(TextDecoding::decode(cp1251), russian);
        QByteArray utf16("\xFF\xFE");
        for (QChar c : russian) {
            utf16.append(char(c.unicode() & 0xFF));
            utf16.append(char(c.unicode() >> 8));
        }
        QCOMPARE(TextDecoding::decode(utf16), russian);
        QCOMPARE(TextDecoding::decode(QByteArray()), QString());
    }
};

QTEST_GUILESS_MAIN(TestTextDecoding)
#include "tst_text_decoding.moc"
