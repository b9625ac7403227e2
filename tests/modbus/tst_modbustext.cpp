#include "modbus/datalog.h"
#include "modbus/modbusstatistics.h"
#include "modbus/modbustext.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

using namespace ModbusText;

namespace {

QByteArray bytes(int n)
{
    QByteArray b;
    for (int i = 0; i < n; ++i)
        b.append(static_cast<char>(i));
    return b;
}

QString hexRun(int from, int to)
{
    QString s;
    for (int i = from; i <= to; ++i)
        s += QStringLiteral("%1 ").arg(i, 2, 16, QLatin1Char('0')).toUpper();
    return s;
}

} // namespace

class TstModbusText : public QObject
{
    Q_OBJECT

private slots:
    void parsesFrames_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("frame");
        const QByteArray design = QByteArray::fromHex("102000000006210400000040");
        QTest::newRow("design") << QStringLiteral("10 20 00 00 00 06    21 04 00 00 00 40") << design;
        QTest::newRow("blanks around") << QStringLiteral("   10 20 00 00 00 06 21 04 00 00 00 40   ")
                                       << design;
        QTest::newRow("case and zeros") << QStringLiteral("a 0A 000a ff Ff 0 00 000000FF")
                                        << QByteArray::fromHex("0a0a0affff0000ff");
        QTest::newRow("eight bytes") << QStringLiteral("0 1 2 3 4 5 6 7")
                                     << QByteArray::fromHex("0001020304050607");
    }
    void parsesFrames()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, frame);
        const ParsedFrame parsed = parseFrame(text);
        QVERIFY2(parsed.ok(), qPrintable(parsed.error));
        QCOMPARE(parsed.bytes, frame);
    }

    void refusesWhatIsNoFrame_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("empty") << QString() << QStringLiteral("empty");
        QTest::newRow("only blanks") << QStringLiteral("     ") << QStringLiteral("empty");
        QTest::newRow("not hex") << QStringLiteral("10 20 00 00 00 06 2G 04") << QStringLiteral("\"2G\"");
        QTest::newRow("prefix") << QStringLiteral("0x10 20 00 00 00 06 21 04") << QStringLiteral("\"0x10\"");
        QTest::newRow("tab is no separator") << QStringLiteral("10\t20 00 00 00 06 21 04 00")
                                             << QStringLiteral("hexadecimal");
        QTest::newRow("above FF") << QStringLiteral("10 20 00 00 00 06 21 100") << QStringLiteral("\"100\"");
        QTest::newRow("far above FF") << QStringLiteral("FFFFFFFFFFFFFFFFFFFF 0 0 0 0 0 0 0")
                                      << QStringLiteral("larger than FF");
        QTest::newRow("seven bytes") << QStringLiteral("10 20 00 00 00 06 21") << QStringLiteral("only 7 bytes");
        QTest::newRow("one byte") << QStringLiteral("10") << QStringLiteral("only 1 byte.");
    }
    void refusesWhatIsNoFrame()
    {
        QFETCH(QString, text);
        QFETCH(QString, mentions);
        const ParsedFrame parsed = parseFrame(text);
        QVERIFY(!parsed.ok());
        QVERIFY(parsed.bytes.isEmpty());
        QVERIFY2(parsed.error.contains(mentions), qPrintable(parsed.error));
    }

    void sendLines_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("line");
        QTest::newRow("design") << QByteArray::fromHex("102000000006210400000040")
                                << QStringLiteral("10 20 00 00 00 06 --> 21 04 00 00 00 40 ");
        QTest::newRow("eight") << QByteArray::fromHex("00ff0a00000201 0f")
                               << QStringLiteral("00 FF 0A 00 00 02 --> 01 0F ");
        QTest::newRow("long, not wrapped") << bytes(40) << (hexRun(0, 5) + "--> " + hexRun(6, 39));
    }
    void sendLines()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QString, line);
        QCOMPARE(sendLine(frame), line);
    }

    void receiveLines_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QStringList>("lines");
        const QString indent(35, QLatin1Char(' '));
        QTest::newRow("1") << 1 << QStringList{hexRun(0, 0)};
        QTest::newRow("6, no arrow") << 6 << QStringList{hexRun(0, 5)};
        QTest::newRow("7 ends with the arrow and a byte") << 7 << QStringList{hexRun(0, 5) + "--> 06 "};
        QTest::newRow("18 on one line") << 18 << QStringList{hexRun(0, 5) + "--> " + hexRun(6, 17)};
        QTest::newRow("19") << 19
                            << QStringList{hexRun(0, 5) + "--> " + hexRun(6, 17), indent + "12 "};
        QTest::newRow("30") << 30
                            << QStringList{hexRun(0, 5) + "--> " + hexRun(6, 17),
                                           indent + hexRun(18, 29)};
        QTest::newRow("31") << 31
                            << QStringList{hexRun(0, 5) + "--> " + hexRun(6, 17),
                                           indent + hexRun(18, 29), indent + "1E "};
    }
    void receiveLines()
    {
        QFETCH(int, size);
        QFETCH(QStringList, lines);
        QCOMPARE(ModbusText::receiveLines(bytes(size)), lines);
    }

    void percentAndAverage_data()
    {
        QTest::addColumn<qint64>("sent");
        QTest::addColumn<qint64>("received");
        QTest::addColumn<QString>("percent");
        QTest::newRow("all back") << qint64(3) << qint64(3) << QStringLiteral("0.00 %");
        QTest::newRow("none back") << qint64(1) << qint64(0) << QStringLiteral("100.00 %");
        QTest::newRow("quarter lost") << qint64(4) << qint64(3) << QStringLiteral("25.00 %");
        QTest::newRow("more back") << qint64(2) << qint64(3) << QStringLiteral("-50.00 %");
        QTest::newRow("thirds") << qint64(3) << qint64(1) << QStringLiteral("66.67 %");
        QTest::newRow("nothing sent") << qint64(0) << qint64(0) << QStringLiteral("0.00 %");
        QTest::newRow("reply after clear") << qint64(0) << qint64(1) << QStringLiteral("0.00 %");
    }
    void percentAndAverage()
    {
        QFETCH(qint64, sent);
        QFETCH(qint64, received);
        QFETCH(QString, percent);
        QCOMPARE(diffPercentText(sent, received), percent);
    }

    void averageFormat()
    {
        QCOMPARE(averageText(8.26), QStringLiteral("008.3"));
        QCOMPARE(averageText(1234.56), QStringLiteral("1234.6"));
        QCOMPARE(averageText(0.0), QStringLiteral("000.0"));
        QCOMPARE(averageText(9.96), QStringLiteral("010.0"));
        QCOMPARE(averageText(-5.0), QStringLiteral("-005.0"));
        QCOMPARE(averageText(1000.0, 5.0), QStringLiteral("200.0"));
        QCOMPARE(averageText(1000.0, 0.0), QStringLiteral("000.0"));
        QCOMPARE(averageText(1000.0, qQNaN()), QStringLiteral("000.0"));
    }

    void typedNumbers()
    {
        QCOMPARE(intervalMs(QStringLiteral("100")), std::optional<int>(100));
        QCOMPARE(intervalMs(QStringLiteral(" 250 ")), std::optional<int>(250));
        QCOMPARE(intervalMs(QStringLiteral("0")), std::optional<int>(0));
        QCOMPARE(intervalMs(QStringLiteral("32767")), std::optional<int>(32767));
        QCOMPARE(intervalMs(QStringLiteral("99.6")), std::optional<int>(100));
        QCOMPARE(intervalMs(QStringLiteral("2.5")), std::optional<int>(2));
        QCOMPARE(intervalMs(QStringLiteral("3.5")), std::optional<int>(4));
        for (const char *bad : {"", "abc", "32768", "-1", "1e9", "10ms", "inf", "nan"})
            QVERIFY2(!intervalMs(QString::fromLatin1(bad)), bad);
        QVERIFY(intervalError(QStringLiteral("abc")).contains(QStringLiteral("0 to 32767")));
        QCOMPARE(wholeNumber(QStringLiteral("502"), INT_MIN, INT_MAX), std::optional<qint64>(502));
        QVERIFY(!wholeNumber(QStringLiteral("3000000000"), INT_MIN, INT_MAX));
    }

    void countersAndRoundTrips()
    {
        ModbusCounters c;
        c.countSent(12);
        c.countSent(12);
        c.countReceived(137);
        QCOMPARE(c.sendBytes, 24);
        QCOMPARE(c.sendPackets, 2);
        QCOMPARE(c.recvBytes, 137);
        QCOMPARE(c.diffPackets(), 1);
        // Counters do not wrap where 32 bits would.
        c.countReceived(std::numeric_limits<qint32>::max());
        QVERIFY(c.recvBytes > std::numeric_limits<qint32>::max());
        c.clear();
        QCOMPARE(c.sendPackets + c.recvPackets + c.sendBytes + c.recvBytes, 0);

        qint32 minTime = RoundTrip::kMinTimeReset, maxTime = RoundTrip::kMaxTimeReset;
        auto change = RoundTrip::record(5, minTime, maxTime);
        QVERIFY(change.max && change.min);
        change = RoundTrip::record(5, minTime, maxTime);
        QVERIFY2(!change.max && !change.min, "an equal round trip changes nothing");
        change = RoundTrip::record(2, minTime, maxTime);
        QVERIFY(!change.max && change.min);
        QCOMPARE(minTime, 2);
        QCOMPARE(maxTime, 5);
        // A round trip of a second or more never becomes the minimum after a reset.
        minTime = RoundTrip::kMinTimeReset;
        maxTime = RoundTrip::kMaxTimeReset;
        RoundTrip::record(1000, minTime, maxTime);
        RoundTrip::record(1500, minTime, maxTime);
        QCOMPARE(minTime, 1000);
        QCOMPARE(maxTime, 1500);
        // Readings on both sides of the counter's wrap.
        QCOMPARE(RoundTrip::elapsed(static_cast<qint32>(0xFFFFFFF0u), 0x10), 0x20);
        QCOMPARE(RoundTrip::elapsed(std::numeric_limits<qint32>::max(),
                                    std::numeric_limits<qint32>::min()),
                 1);
    }

    void logLinesAndFile()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const QDateTime when(QDate(2024, 5, 6), QTime(7, 8, 9));
        QCOMPARE(timeOfDayText(when.time()), QStringLiteral("07:08:09"));
        QCOMPARE(dateTimeText(when), QStringLiteral("5/6/24 07:08:09"));
        const QString sent = QStringLiteral("10 20 00 00 00 06 --> 21 04 00 00 00 40 ");
        QCOMPARE(sendLogLine(when, sent),
                 QStringLiteral("5/6/24 07:08:09 >>>> 10 20 00 00 00 06 --> 21 04 00 00 00 40 "));
        QCOMPARE(receiveLogLine(QStringLiteral("00 01 ")), QStringLiteral(" <<<< 00 01 "));

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("DataLog.txt"));
        DataLog log;
        QVERIFY(log.open(path));
        log.writeLine(QStringLiteral("first"));
        // On disk at once, before the log is closed.
        QFile reader(path);
        QVERIFY(reader.open(QIODevice::ReadOnly));
        QCOMPARE(reader.readAll(), QByteArray("first\r\n"));
        log.writeLine(QString::fromUtf8("中"));
        log.close();
        QVERIFY(reader.seek(0));
        QCOMPARE(reader.readAll(), QByteArray("first\r\n\xA4\xA4\r\n"));
        // Opening again empties the file.
        QVERIFY(log.open(path));
        log.writeLine(QStringLiteral("again"));
        QVERIFY(reader.seek(0));
        QCOMPARE(reader.readAll(), QByteArray("again\r\n"));
        log.close();
        QVERIFY2(!log.open(dir.path()), "a folder is no log file");
        QVERIFY(!log.errorString().isEmpty());
        log.writeLine(QStringLiteral("nowhere"));
        QLocale::setDefault(QLocale::system());
    }
};

QTEST_GUILESS_MAIN(TstModbusText)
#include "tst_modbustext.moc"
