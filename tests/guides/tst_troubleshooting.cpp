#include "guides/troubleshooting.h"

#include <QTest>

using namespace Troubleshooting;

// The troubleshooting tree's questions and answers.
class TstTroubleshooting : public QObject
{
    Q_OBJECT

private slots:
    // Both roots first, then each question under its family.
    void tree()
    {
        QStringList shape;
        for (const Node &n : Troubleshooting::nodes())
            shape << n.parentKey + '/' + n.key;
        QCOMPARE(shape, QStringList({"/R", "/M", "R/C1", "R/C2", "R/C3", "R/C4", "M/C5"}));
        QCOMPARE(Troubleshooting::nodes().at(5).text,
                 QStringLiteral("Why do I fail to download the image file? "));
    }

    // Each question's answer, told by its first line; the same by index and
    // by key.
    void answers_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("first");
        QTest::addColumn<int>("lines");
        QTest::newRow("halted") << 3 << "C1"
                                << "1. Please check the download image by connecting Init* to GND "
                                   "in RM4630K utility."
                                << 3;
        QTest::newRow("RS232") << 4 << "C2"
                               << "1. Please make sure the TX,RX,GND of the cable are connected to "
                                  "RM4630K's TX,RX,GND correctly!"
                               << 10;
        QTest::newRow("ethernet") << 5 << "C3"
                                  << "1. Please check the connection of RJ45 cable of 4630K or hub!"
                                  << 4;
        QTest::newRow("download") << 6 << "C4"
                                  << "1. If you download by connecting Init* to GND, please make "
                                     "sure Init* is disconnected from ground immediately prior to "
                                     "the completion of updating disk image, otherwise the system "
                                     "will hang."
                                  << 6;
        QTest::newRow("NetID") << 7 << "C5"
                               << "The NetID is mean one byte, left digit of one byte is mean "
                                  "gateway COM port no of RM4630K-M being used. and right digit of "
                                  "one byte is mean slave RTU device addr."
                               << 3;
    }

    // Lines joined by CR LF, none after the last.
    void answers()
    {
        QFETCH(int, index);
        QFETCH(QString, key);
        const auto byIndex = answerAt(index);
        QVERIFY(byIndex);
        const QStringList lines = byIndex->split(QStringLiteral("\r\n"));
        QTEST(lines.first(), "first");
        QTEST(int(lines.size()), "lines");
        QCOMPARE(byIndex->count(u'\n'), lines.size() - 1);
        QVERIFY(!byIndex->endsWith('\n'));
        QCOMPARE(answerFor(key), byIndex);
    }

    void noAnswerLeavesTheBox_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("key");
        QTest::newRow("root R") << 1 << "R";
        QTest::newRow("root M") << 2 << "M";
        QTest::newRow("nothing selected") << 0 << "";
        QTest::newRow("past the end") << 8 << "C6";
        QTest::newRow("negative, lower-case key") << -1 << "c1";
    }

    void noAnswerLeavesTheBox()
    {
        QFETCH(int, index);
        QFETCH(QString, key);
        QVERIFY(!answerAt(index));
        QVERIFY(!answerFor(key));
    }
};

QTEST_GUILESS_MAIN(TstTroubleshooting)
#include "tst_troubleshooting.moc"
