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

    // Each question's answer, line by line; the same by index and by key.
    void answers_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("halted")
            << 3 << "C1"
            << QStringList{"1. Please check the download image by connecting Init* to GND in "
                           "RM4630K utility.",
                           "",
                           "2. Possibly Init* was once connected to V+ by a mistake and that may "
                           "cause hardware damage. Please send it back for a hardware fix."};
        QTest::newRow("RS232")
            << 4 << "C2"
            << QStringList{"1. Please make sure the TX,RX,GND of the cable are connected to "
                           "RM4630K's TX,RX,GND correctly!",
                           "",
                           "2. If you want to type command to RM4630K, don't to forget to connect "
                           "Init* to GND after PORTD.exe loaded.",
                           "",
                           "3. If you use Hyperterminal, please make sure COM port setting as "
                           "follow:",
                           "       Baudrate:57600bps",
                           "       Databit: 8",
                           "       Parity:  N",
                           "       Stopbit: 1",
                           "       Flowcontrol: None"};
        QTest::newRow("ethernet")
            << 5 << "C3"
            << QStringList{"1. Please check the connection of RJ45 cable of 4630K or hub!",
                           "(If 4630K is connected to PC directly, a cross cable must be used!)",
                           "",
                           "2. If 4630K is in LAN, please make sure the first 3 numbers of IP of "
                           "4630K must be the same as the console PC and the fouth number of IP "
                           "must be different from remote PC."};
        QTest::newRow("download")
            << 6 << "C4"
            << QStringList{"1. If you download by connecting Init* to GND, please make sure Init* "
                           "is disconnected from ground immediately prior to the completion of "
                           "updating disk image, otherwise the system will hang.",
                           "(If 4630K is connected to PC directly, a cross cable must be used!)",
                           "",
                           "2. Xmodem must be selected for transfer protocol.",
                           "",
                           "3. After entering imgput /e or Init* to GND, please start the "
                           "transfer process in 60 seconds otherwise timeout will occur."};
        QTest::newRow("NetID")
            << 7 << "C5"
            << QStringList{"The NetID is mean one byte, left digit of one byte is mean gateway "
                           "COM port no of RM4630K-M being used. and right digit of one byte is "
                           "mean slave RTU device addr.",
                           "",
                           "Example: NetID:21 Hex mean COM2 of RM4630K-M and 01 is address of "
                           "Modbus device."};
    }

    // Lines joined by CR LF, none after the last.
    void answers()
    {
        QFETCH(int, index);
        QFETCH(QString, key);
        QFETCH(QStringList, lines);
        const auto byIndex = answerAt(index);
        QVERIFY(byIndex);
        const QStringList got = byIndex->split(QStringLiteral("\r\n"));
        for (qsizetype i = 0; i < qMin(got.size(), lines.size()); ++i)
            QVERIFY2(got.at(i) == lines.at(i),
                     qPrintable(QStringLiteral("line %1: \"%2\"").arg(i + 1).arg(got.at(i))));
        QCOMPARE(got.size(), lines.size());
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
