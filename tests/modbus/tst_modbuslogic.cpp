#include "modbus/datalog.h"
#include "modbus/linestore.h"
#include "modbus/modbushelp.h"
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

class TstModbusLogic : public QObject
{
    Q_OBJECT

private slots:
    void framesAndSendLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("line"); // empty: refused
        QTest::addColumn<QString>("error");
        const QString design = QStringLiteral("10 20 00 00 00 06 --> 21 04 00 00 00 40 ");
        QTest::newRow("design") << "10 20 00 00 00 06    21 04 00 00 00 40" << design << "";
        QTest::newRow("blanks around") << "  10 20 00 00 00 06 21 04 00 00 00 40  " << design << "";
        QTest::newRow("case and zeros") << "a 0A 000a ff Ff 0 00 000000FF"
                                        << "0A 0A 0A FF FF 00 --> 00 FF " << "";
        QTest::newRow("empty") << "" << "" << "empty";
        QTest::newRow("only blanks") << "     " << "" << "empty";
        QTest::newRow("not hex") << "10 20 00 00 00 06 2G 04" << "" << "\"2G\"";
        QTest::newRow("prefix") << "0x10 20 00 00 00 06 21 04" << "" << "\"0x10\"";
        QTest::newRow("tab") << "10\t20 00 00 00 06 21 04 00" << "" << "hexadecimal";
        QTest::newRow("above FF") << "10 20 00 00 00 06 21 100" << "" << "\"100\"";
        QTest::newRow("far above FF") << "FFFFFFFFFFFFFFFFFFFF 0 0 0 0 0 0 0" << "" << "larger than FF";
        QTest::newRow("seven bytes") << "10 20 00 00 00 06 21" << "" << "only 7 bytes";
        QTest::newRow("one byte") << "10" << "" << "only 1 byte.";
    }
    void framesAndSendLines()
    {
        QFETCH(QString, text);
        QFETCH(QString, line);
        QFETCH(QString, error);
        const ParsedFrame parsed = parseFrame(text);
        QVERIFY2(parsed.error.contains(error), qPrintable(parsed.error));
        QCOMPARE(parsed.ok(), !line.isEmpty());
        QCOMPARE(sendLine(parsed.bytes), line);
    }

    void receiveLines_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QStringList>("lines");
        const QString indent(35, QLatin1Char(' '));
        const QString first = hexRun(0, 5) + "--> " + hexRun(6, 17);
        QTest::newRow("6, no arrow") << 6 << QStringList{hexRun(0, 5)};
        QTest::newRow("7") << 7 << QStringList{hexRun(0, 5) + "--> 06 "};
        QTest::newRow("18") << 18 << QStringList{first};
        QTest::newRow("19") << 19 << QStringList{first, indent + "12 "};
        QTest::newRow("30") << 30 << QStringList{first, indent + hexRun(18, 29)};
        QTest::newRow("31") << 31 << QStringList{first, indent + hexRun(18, 29), indent + "1E "};
    }
    void receiveLines()
    {
        QFETCH(int, size);
        QFETCH(QStringList, lines);
        QCOMPARE(ModbusText::receiveLines(bytes(size)), lines);
    }

    void statisticsFormats()
    {
        QCOMPARE(diffPercentText(3, 3), QStringLiteral("0.00 %"));
        QCOMPARE(diffPercentText(1, 0), QStringLiteral("100.00 %"));
        QCOMPARE(diffPercentText(2, 3), QStringLiteral("-50.00 %"));
        QCOMPARE(diffPercentText(3, 1), QStringLiteral("66.67 %"));
        QCOMPARE(diffPercentText(0, 1), QStringLiteral("0.00 %")); // a reply after Clear
        QCOMPARE(averageText(8.26), QStringLiteral("008.3"));
        QCOMPARE(averageText(1234.56), QStringLiteral("1234.6"));
        QCOMPARE(averageText(-5.0), QStringLiteral("-005.0"));
        QCOMPARE(averageText(1000.0, 5.0), QStringLiteral("200.0"));
        QCOMPARE(averageText(1000.0, 0.0), QStringLiteral("000.0"));

        // Counters do not wrap where 32 bits would; round trips across the tick wrap.
        ModbusCounters c;
        c.countSent(12);
        c.countReceived(std::numeric_limits<qint32>::max());
        c.countReceived(19);
        QVERIFY(c.recvBytes > std::numeric_limits<qint32>::max());
        QCOMPARE(c.diffPackets(), -1);
        QCOMPARE(RoundTrip::elapsed(static_cast<qint32>(0xFFFFFFF0u), 0x10), 0x20);
        qint32 minTime = RoundTrip::kMinTimeReset, maxTime = RoundTrip::kMaxTimeReset;
        RoundTrip::record(1500, minTime, maxTime);
        QCOMPARE(minTime, 1000); // a second or more never becomes the minimum
        const RoundTrip::Change change = RoundTrip::record(1500, minTime, maxTime);
        QVERIFY2(!change.max && !change.min, "an equal round trip changes nothing");
    }

    void intervals()
    {
        QCOMPARE(intervalMs(QStringLiteral(" 32767 ")), std::optional<int>(32767));
        QCOMPARE(intervalMs(QStringLiteral("2.5")), std::optional<int>(2)); // halves to even
        for (const char *bad : {"", "abc", "32768", "-1", "1e9", "10ms", "inf", "nan"})
            QVERIFY2(!intervalMs(QString::fromLatin1(bad)), bad);
    }

    void logLinesAndFile()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const QDateTime when(QDate(2024, 5, 6), QTime(7, 8, 9));
        QCOMPARE(sendLogLine(when, QStringLiteral("10 20 ")), QStringLiteral("5/6/24 07:08:09 >>>> 10 20 "));
        QCOMPARE(receiveLogLine(QStringLiteral("00 01 ")), QStringLiteral(" <<<< 00 01 "));
        QLocale::setDefault(QLocale::system());

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("DataLog.txt"));
        DataLog log;
        QVERIFY(log.open(path));
        log.writeLine(QStringLiteral("first"));
        QFile reader(path);
        QVERIFY(reader.open(QIODevice::ReadOnly));
        QCOMPARE(reader.readAll(), QByteArray("first\r\n")); // on disk while open
        log.writeLine(QString::fromUtf8("中"));
        QCOMPARE(reader.readAll(), QByteArray("\xA4\xA4\r\n"));
        QVERIFY(log.open(path));
        QVERIFY(reader.seek(0));
        QCOMPARE(reader.readAll(), QByteArray()); // opening again empties it
        QVERIFY2(!log.open(dir.path()), "a folder is no log file");
        log.writeLine(QStringLiteral("nowhere"));
    }
    void explanationsLineByLine_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("request");  // the line after the channel line
        QTest::addColumn<QString>("last");
        const QString forProto = QStringLiteral("[Prefixed 6 bytes for Modbus/TCP protocol]");
        const QString ofProto = QStringLiteral("[Prefixed 6 bytes of Modbus/TCP protocol]");
        QTest::newRow("02") << 1 << forProto << "    Byte 4-5:     Bit count"
                            << "    Byte 3-(B+2): Bit values (least significant is first coil)";
        QTest::newRow("04") << 3 << forProto << "    Byte 4-5:     Word count"
                            << "    Byte 3-(B+2): Register values";
        QTest::newRow("05 ends with a line end")
            << 4 << forProto << "    Byte 4:       =FF for trun ON coil, 00 for trun OFF coil" << "";
        QTest::newRow("06") << 5 << ofProto << "    Byte 4-5:     Register value"
                            << "    Byte 4-5:     Register value";
        QTest::newRow("15") << 6 << ofProto << "    Byte 4-5:     Bit count" << "    Byte 4-5:     Bit count";
        QTest::newRow("16") << 7 << forProto << "    Byte 4-5:     Word count"
                            << "    Byte 4-5:     Word count";
    }
    void explanationsLineByLine()
    {
        QFETCH(int, item);
        QFETCH(QString, first);
        QFETCH(QString, request);
        QFETCH(QString, last);
        const QString text = ModbusHelp::explanation(item);
        const QStringList lines = text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.first(), first);
        QCOMPARE(lines.at(1), QStringLiteral("    Byte 0: MB transaction identificaion - copied by server - normally 0"));
        QCOMPARE(lines.at(9), QStringLiteral("[Request]"));
        const QString item8 = ModbusHelp::functionItems().at(item);
        QCOMPARE(lines.at(12), QStringLiteral("    Byte 2-3:     Channel NO. of Device for ") + item8.right(2));
        QCOMPARE(lines.at(13), request);
        QCOMPARE(lines.last(), last);
        QCOMPARE(text.count(QLatin1Char('\n')) + text.count(QLatin1Char('\r')),
                 2 * text.count(QStringLiteral("\r\n")));
        const QString call = item < 6 ? QStringLiteral("0%1").arg(item + 1)
                                      : QStringLiteral("%1 (hex)").arg(item == 6 ? "0F" : "10");
        QCOMPARE(text.count(QStringLiteral("    Byte 1:       Function call=") + call + "\r\n"), 2);
        QCOMPARE(ModbusHelp::itemForText(item8), std::optional<int>(item));
    }

    void readCoilsExplanationEnds()
    {
        QVERIFY(ModbusHelp::explanation(0).endsWith(QStringLiteral(
            "    Byte 4-5:     Bit count\r\n\r\n[Response]\r\n    Byte 0:       Net ID (Device number)\r\n"
            "    Byte 1:       Function call=01\r\n"
            "    Byte 2:       Byte count of response [B=(bit count + 7)/8]\r\n"
            "    Byte 3-(B+2): Bit values (least significant is first coil)")));
        QVERIFY(!ModbusHelp::itemForText(QStringLiteral("Modbus Function")));
        QVERIFY(!ModbusHelp::itemForText(ModbusHelp::functionItems().at(3) + QLatin1Char(' ')));
        QVERIFY(ModbusHelp::explanation(8).isEmpty());
    }

    void byteTipsPerFunctionCode_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("shown"); // request labels, then response labels
        QTest::addColumn<QString>("command4");
        QTest::addColumn<QString>("response3");
        QTest::newRow("1") << 1 << "11111100 11110000" << " Bit count (high byte) "
                           << " Byte 3-(B+2): Bit values (least significant is first coil) ";
        QTest::newRow("4") << 4 << "11111100 11110000" << " Word count (high byte) "
                           << " Byte 3-(B+2): Register values ";
        QTest::newRow("5") << 5 << "11111100 11111100" << " =FF to turn ON coil, =00 to turn OFF coil "
                           << " Reference number (low byte) ";
        QTest::newRow("6") << 6 << "11111100 11111100" << " Register value (high byte) "
                           << " Reference number (low byte) ";
        QTest::newRow("15") << 15 << "11111111 11111100" << " Bit count (high byte) "
                            << " Reference number (low byte) ";
        QTest::newRow("16") << 16 << "11111111 11111100" << " Word count (high byte) "
                            << " Reference number (low byte) ";
        QTest::newRow("7") << 7 << "11110000 11000000" << "" << "";
        QTest::newRow("0x83") << 0x83 << "11110000 11000000" << "" << "";
    }
    void byteTipsPerFunctionCode()
    {
        QFETCH(int, code);
        QFETCH(QString, shown);
        QFETCH(QString, command4);
        QFETCH(QString, response3);
        const ModbusHelp::ByteTips t = ModbusHelp::byteTips(code);
        QString visible;
        for (bool v : t.commandVisible)
            visible += v ? '1' : '0';
        visible += ' ';
        for (bool v : t.responseVisible)
            visible += v ? '1' : '0';
        QCOMPARE(visible, shown);
        const QString call = QStringLiteral(" Function call=%1) ").arg(code);
        QCOMPARE(t.command[1].value_or(QString()), call);
        QCOMPARE(t.response[1].value_or(QString()), call);
        // Labels that stay hidden keep the tip they had: nothing is set for them.
        QCOMPARE(t.command[4].value_or(QString()), command4);
        QCOMPARE(t.response[3].value_or(QString()), response3);
    }

    void lineStoreKeepsLinesCompactly()
    {
        LineStore store;
        const int n = 20000; // several blocks
        for (int i = 0; i < n; ++i)
            store.append(QStringLiteral("line %1 ").arg(i) + QString(i % 40, QLatin1Char('x')));
        for (int i : {0, 1234, n - 1})
            QCOMPARE(store.at(i), QStringLiteral("line %1 ").arg(i) + QString(i % 40, QLatin1Char('x')));
        // A line longer than a block, an empty line and text beyond ASCII.
        const QString huge(LineStore::kBlockBytes + 10, QLatin1Char('h'));
        store.append(huge);
        store.append(QString());
        store.append(QString::fromUtf8("中文 ok"));
        store.append(QLatin1StringView("caf\xe9"));
        QCOMPARE(store.at(n), huge);
        QCOMPARE(store.at(n + 1), QString());
        QCOMPARE(store.at(n + 2) + store.at(n + 3), QString::fromUtf8("中文 okcafé"));
        QCOMPARE(store.longest(), qsizetype(n));
        store.clear();
        QCOMPARE(store.memoryBytes(), qsizetype(0));

        // A list line costs its characters and little more.
        const QString line = QStringLiteral("10 20 00 00 00 06 --> 21 04 00 00 00 40 ");
        for (int i = 0; i < 100000; ++i)
            store.append(line);
        const double perLine = double(store.memoryBytes()) / store.size();
        QVERIFY2(perLine < line.size() + 16, qPrintable(QString::number(perLine)));
    }
};

QTEST_GUILESS_MAIN(TstModbusLogic)
#include "tst_modbuslogic.moc"
