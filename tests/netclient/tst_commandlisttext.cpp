#include "netclient/commandlisttext.h"

#include <QTest>

namespace {

QStringList builtLines()
{
    const QString text = CommandListText::text();
    QStringList lines = text.split(QStringLiteral("\r\n"));
    // The last line's CR LF leaves an empty piece behind it.
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

// The command list's help text: its shape, and lines of every kind with
// their columns and blanks.
class TstCommandListText : public QObject
{
    Q_OBJECT

private slots:
    void lines_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("expected");
        QTest::newRow("a code with an argument: example and reply in their columns") << 0
            << QStringLiteral("00[arg]           Stop Server Portd.exe.                                 00quit                        (none)");
        QTest::newRow("a code without one") << 4
            << QStringLiteral("01                   Read version information.                             01                               V1.0.00[01/06/2003]");
        QTest::newRow("a detail of level 3") << 24
            << QStringLiteral("                             (7,8==>COM1~COM2)");
        QTest::newRow("an explanation in two lines") << 37
            << QStringLiteral("06[arg]           Set Baudrate of COM port and write the       0629600                      OK.");
        QTest::newRow("its second line") << 38
            << QStringLiteral("                       baudrate setting to SEPROM.");
        QTest::newRow("code 11's own detail columns") << 78
            << QStringLiteral("                        Arg: SSS");
        QTest::newRow("a note beside a detail") << 116
            << QStringLiteral("                       Arg: 11                                                                                            (Set COM1");
        QTest::newRow("code 231, answered as 331") << 122
            << QStringLiteral("231                 Inquire the flow control status of COM         331                             0");
        QTest::newRow("its note") << 123
            << QStringLiteral("                       port (COM1 only)                                                                           (Flow control of");
        QTest::newRow("the last line, ending in blanks") << 145
            << QStringLiteral("99                   Reboot 4630K.                                              99                               ");
    }
    void lines()
    {
        QFETCH(int, index);
        const QStringList lines = builtLines();
        QVERIFY2(index < lines.size(), "the text has fewer lines");
        QTEST(lines.at(index), "expected");
    }

    // Every line ends in CR LF, the last one too, and no separator follows the
    // last block; only the line of 99 ends in blanks.
    void shape()
    {
        const QString text = CommandListText::text();
        QVERIFY(text.endsWith(QStringLiteral("\r\n")));
        QCOMPARE(text.count(u'\r'), text.count(u'\n'));
        const QStringList lines = builtLines();
        QCOMPARE(lines.size(), 146);
        QCOMPARE(text.count(QStringLiteral("\r\n")), lines.size());
        QCOMPARE(lines.count(QString(81, u'=')), 20);
        QString codes; // each block's code, after each separator
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i == 0 || lines.at(i - 1) == QString(81, u'='))
                codes += lines.at(i).left(3).trimmed().remove(QStringLiteral("[")) + u' ';
            QVERIFY2(i + 1 == lines.size() || !lines.at(i).endsWith(u' '), qPrintable(lines.at(i)));
        }
        QCOMPARE(codes, QStringLiteral("00 01 02 03 06 07 08 10 11 12 13 14 15 16 20 21 22 231 32 33 99 "));
    }
};

QTEST_GUILESS_MAIN(TstCommandListText)
#include "tst_commandlisttext.moc"
