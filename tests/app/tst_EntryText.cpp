#include "app/EntryText.h"

#include <QTest>

using namespace quillmere;

class TestEntryText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each row: the typed text, the entry's bytes ("-" when it cannot be stored) and the message.
    void typedText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("plain") << QStringLiteral(" a-b.example ") << QByteArray(" a-b.example ")
                               << QString();
        QTest::newRow("Latin-1 letters are single bytes")
            << QStringLiteral("caf\u00e9\u00ff.ex") << QByteArray("caf\xe9\xff.ex") << QString();
        QTest::newRow("a letter beyond Latin-1")
            << QStringLiteral("\u0107evap.ex") << QByteArray("-")
            << QStringLiteral("\"\u0107evap.ex\" cannot be stored: the character \u0107 (U+0107) "
                              "is not in the single-byte code page of the list files (ISO-8859-1)");
        QTest::newRow("a character beyond 16 bits is named whole")
            << QStringLiteral("a\U0001F600.ex") << QByteArray("-")
            << QStringLiteral("\"a\U0001F600.ex\" cannot be stored: the character \U0001F600 "
                              "(U+1F600) is not in the single-byte code page of the list files "
                              "(ISO-8859-1)");
    }

    void typedText() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const auto entry = textToEntry(text);
        QCOMPARE(entry ? QByteArray::fromStdString(*entry) : QByteArray("-"), bytes);
        QCOMPARE(unstorableTextMessage(text), message);
        if (entry)
            QCOMPARE(entryToText(*entry), text);
    }
};

QTEST_GUILESS_MAIN(TestEntryText)
#include "tst_EntryText.moc"
