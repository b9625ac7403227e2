#include "console/terminaltext.h"

#include <QTest>

namespace {

QString repeat(QChar c, qsizetype n)
{
    return QString(n, c);
}

} // namespace

class TstTerminalText : public QObject
{
    Q_OBJECT

private slots:
    void rules_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QStringList>("arrivals");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("logged"); // what the last arrival put in

        QTest::newRow("CR LF is one line end")
            << QString() << QStringList{QStringLiteral("AB\r\nCD")}
            << QStringLiteral("AB\r\nCD") << QStringLiteral("AB\r\nCD");
        QTest::newRow("lone LF dropped") << QString() << QStringList{QStringLiteral("AB\nCD")}
                                         << QStringLiteral("ABCD") << QStringLiteral("ABCD");
        QTest::newRow("CR becomes CR LF") << QString() << QStringList{QStringLiteral("AB\r")}
                                          << QStringLiteral("AB\r\n") << QStringLiteral("AB\r\n");
        QTest::newRow("CR and LF in different arrivals")
            << QString() << QStringList{QStringLiteral("AB\r"), QStringLiteral("\nCD")}
            << QStringLiteral("AB\r\nCD") << QStringLiteral("CD");
        QTest::newRow("LF CR") << QString() << QStringList{QStringLiteral("\n\r")}
                               << QStringLiteral("\r\n") << QStringLiteral("\r\n");
        QTest::newRow("character and backspace in one arrival")
            << QStringLiteral("ok") << QStringList{QStringLiteral("X\b")} << QStringLiteral("ok")
            << QString();
        QTest::newRow("leading backspace takes the box's last character")
            << QStringLiteral("abc") << QStringList{QStringLiteral("\bZ")}
            << QStringLiteral("abZ") << QStringLiteral("Z");
        QTest::newRow("two leading backspaces take one character")
            << QStringLiteral("abc") << QStringList{QStringLiteral("\b\b")}
            << QStringLiteral("ab") << QString();
        QTest::newRow("backspace on an empty box")
            << QString() << QStringList{QStringLiteral("\bA")} << QStringLiteral("A")
            << QStringLiteral("A");
        QTest::newRow("backspaces beyond the arrival")
            << QStringLiteral("abc") << QStringList{QStringLiteral("XY\b\b\b\bZ")}
            << QStringLiteral("abZ") << QStringLiteral("Z");
        QTest::newRow("backspace before LF removal")
            << QString() << QStringList{QStringLiteral("A\r\n\bB")} << QStringLiteral("A\r\nB")
            << QStringLiteral("A\r\nB");
        QTest::newRow("backspace into a line end leaves a lone CR")
            << QStringLiteral("A\r\n") << QStringList{QStringLiteral("\bB")}
            << QStringLiteral("A\rB") << QStringLiteral("B");
    }
    void rules()
    {
        QFETCH(QString, before);
        QFETCH(QStringList, arrivals);
        QFETCH(QString, after);
        QFETCH(QString, logged);
        TerminalText t;
        t.setText(before);
        QString last;
        for (const QString &a : arrivals)
            last = t.showData(a);
        QCOMPARE(t.text(), after);
        QCOMPARE(last, logged);
    }

    void capDropsTheOldest()
    {
        TerminalText t;
        QString start;
        for (int i = 0; i < 16001; ++i)
            start += QChar(u'a' + i % 26);
        t.setText(start);
        t.showData(QStringLiteral("x"));
        QCOMPARE(t.length(), 11905 + 1);
        QCOMPARE(t.text(), start.mid(4096) + u'x');

        // Exactly at the cap nothing goes yet.
        t.setText(repeat(u'a', TerminalText::kCapChars));
        t.showData(QStringLiteral("b"));
        QCOMPARE(t.length(), TerminalText::kCapChars + 1);
    }

    void capKeepsTheTextBounded()
    {
        TerminalText t;
        const QString line = QStringLiteral("0123456789012345678901234567890123456789\r\n");
        for (int i = 0; i < 5000; ++i) {
            t.showData(line);
            QVERIFY(t.length() <= TerminalText::kCapChars + line.size() + 1);
        }
        QVERIFY(t.text().endsWith(QStringLiteral("789\r\n")));
    }

    // The shown form follows the text when the cap cuts a CR LF in two.
    void capCutsALineEnd()
    {
        TerminalText t;
        // Character 4096 is a CR whose LF stays.
        const QString before = repeat(u'a', 4095) + QStringLiteral("\r\n") + repeat(u'b', 12000);
        t.setText(before);
        QString shown = TerminalText::toDisplay(before);
        TerminalText::DisplayEdit edit;
        t.showData(QStringLiteral("c"), &edit);
        QVERIFY(t.text().startsWith(u'\n'));
        TerminalText::applyEdit(shown, edit);
        QCOMPARE(shown, TerminalText::toDisplay(t.text()));
        QCOMPARE(shown.at(0), QChar(TerminalText::kLoneLf));
    }

    void displayRoundTrip()
    {
        const QString text = QStringLiteral("A\r\nB\rC\nD\r\r\n\n\r");
        const QString shown = TerminalText::toDisplay(text);
        QCOMPARE(shown, QStringLiteral("A\nB\u240DC\u240AD\u240D\n\u240A\u240D"));
        QCOMPARE(TerminalText::fromDisplay(shown), text);
        // Qt's own separators are line breaks.
        QCOMPARE(TerminalText::fromDisplay(QStringLiteral("a\u2029b\u2028c")),
                 QStringLiteral("a\r\nb\r\nc"));
    }
};

QTEST_GUILESS_MAIN(TstTerminalText)
#include "tst_terminaltext.moc"
