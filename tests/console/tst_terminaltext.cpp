#include "console/terminaltext.h"

#include <QTest>

// The rules by which received text enters the terminal, the size cap, and the
// box's shown form of the text.
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
        auto row = [](const char *name, const char *before, QStringList arrivals,
                      const char *after, const char *logged) {
            QTest::newRow(name) << before << arrivals << after << logged;
        };
        row("CR LF, lone LF dropped", "", {"AB\r\nC\nD"}, "AB\r\nCD", "AB\r\nCD");
        row("CR becomes CR LF", "", {"AB\r"}, "AB\r\n", "AB\r\n");
        row("CR and LF apart", "", {"AB\r", "\nCD"}, "AB\r\nCD", "CD");
        row("LF CR", "", {"\n\r"}, "\r\n", "\r\n");
        row("character and backspace", "ok", {"X\b"}, "ok", "");
        row("leading backspace", "abc", {"\bZ"}, "abZ", "Z");
        row("two leading backspaces take one", "abc", {"\b\b"}, "ab", "");
        row("backspace on an empty box", "", {"\bA"}, "A", "A");
        row("backspaces beyond the arrival", "abc", {"XY\b\b\b\bZ"}, "abZ", "Z");
        row("backspace before LF removal", "", {"A\r\n\bB"}, "A\r\nB", "A\r\nB");
        row("backspace into a line end", "A\r\n", {"\bB"}, "A\rB", "B");
    }
    void rules()
    {
        QFETCH(QString, before);
        QFETCH(QStringList, arrivals);
        TerminalText t;
        t.setText(before);
        QString last;
        for (const QString &a : arrivals)
            last = t.showData(a);
        QTEST(t.text(), "after");
        QTEST(last, "logged");
    }

    // Beyond the cap the oldest 4096 characters go, here cutting a CR LF in
    // two; the box's shown form follows.
    void capDropsTheOldest()
    {
        TerminalText t;
        const QString start = QString(4095, u'a') + "\r\n" + QString(11904, u'b');
        t.setText(start);
        QString shown = TerminalText::toDisplay(start);
        TerminalText::DisplayEdit edit;
        t.showData("x", &edit);
        QCOMPARE(t.text(), start.mid(4096) + u'x');
        TerminalText::applyEdit(shown, edit);
        QCOMPARE(shown, TerminalText::toDisplay(t.text()));
        // Exactly at the cap nothing goes yet.
        t.setText(QString(TerminalText::kCapChars, u'a'));
        t.showData("b");
        QCOMPARE(t.length(), TerminalText::kCapChars + 1);
    }

    void displayRoundTrip()
    {
        const QString text = "A\r\nB\rC\nD\r\r\n\n\r";
        QCOMPARE(TerminalText::toDisplay(text), "A\nB\u240DC\u240AD\u240D\n\u240A\u240D");
        QCOMPARE(TerminalText::fromDisplay(TerminalText::toDisplay(text)), text);
        // Qt's own separators are line breaks.
        QCOMPARE(TerminalText::fromDisplay("a\u2029b\u2028c"), "a\r\nb\r\nc");
    }
};

QTEST_GUILESS_MAIN(TstTerminalText)
#include "tst_terminaltext.moc"
