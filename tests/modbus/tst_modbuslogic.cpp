#include "modbus/linestore.h"
#include "modbus/modbushelp.h"
#include "modbus/modbusstatistics.h"
#include "modbus/modbustext.h"

#include <QTest>

using namespace ModbusText;

namespace {

// "00 01 02 ... " for the bytes from to to, each byte its own index.
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
        QTest::newRow("case and zeros") << "a 0A 000a ff Ff 0 00 000000FF" << "0A 0A 0A FF FF 00 --> 00 FF " << "";
        QTest::newRow("only blanks") << "     " << "" << "empty";
        QTest::newRow("not hex") << "10 20 00 00 00 06 2G 04" << "" << "\"2G\"";
        QTest::newRow("prefix") << "0x10 20 00 00 00 06 21 04" << "" << "\"0x10\"";
        QTest::newRow("above FF") << "10 20 00 00 00 06 21 100" << "" << "\"100\"";
        QTest::newRow("far above FF") << "100000000000000FF 0 0 0 0 0 0 0" << "" << "larger than FF";
        QTest::newRow("seven bytes") << "10 20 00 00 00 06 21" << "" << "only 7 bytes";
    }
    void framesAndSendLines()
    {
        QFETCH(QString, text);
        QFETCH(QString, line);
        QFETCH(QString, error);
        const ParsedFrame parsed = parseFrame(text);
        QVERIFY2(parsed.error.contains(error) && parsed.ok() == !line.isEmpty(), qPrintable(parsed.error));
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
        QTest::newRow("31") << 31 << QStringList{first, indent + hexRun(18, 29), indent + "1E "};
    }
    void receiveLines()
    {
        QFETCH(int, size);
        QTEST(ModbusText::receiveLines(QByteArray::fromHex(hexRun(0, size - 1).toLatin1())), "lines");
    }

    void statisticsFormats()
    {
        // Lost share (nothing sent: a reply after Clear) and average round trip.
        QCOMPARE((QStringList{diffPercentText(3, 1), diffPercentText(2, 3), diffPercentText(0, 1), averageText(8.26),
                              averageText(1234.56), averageText(1000.0, 5.0), averageText(1000.0, 0.0)}),
                 (QStringList{"66.67 %", "-50.00 %", "0.00 %", "008.3", "1234.6", "200.0", "000.0"}));

        // Counters do not wrap where 32 bits would; round trips across the tick wrap.
        ModbusCounters c;
        c.countSent(12);
        c.countReceived(std::numeric_limits<qint32>::max());
        c.countReceived(19);
        QVERIFY(c.recvBytes > std::numeric_limits<qint32>::max() && c.diffPackets() == -1);
        QCOMPARE(RoundTrip::elapsed(static_cast<qint32>(0xFFFFFFF0u), 0x10), 0x20);
        qint32 minTime = RoundTrip::kMinTimeReset, maxTime = RoundTrip::kMaxTimeReset;
        RoundTrip::record(1500, minTime, maxTime);
        QCOMPARE(minTime, 1000); // a second or more never becomes the minimum
    }

    void intervals()
    {
        QCOMPARE(intervalMs(QStringLiteral(" 32767 ")), std::optional<int>(32767));
        QCOMPARE(intervalMs(QStringLiteral("2.5")), std::optional<int>(2)); // halves to even
        for (const char *bad : {"", "abc", "32768", "-1", "1e9", "10ms", "inf", "nan"})
            QVERIFY2(!intervalMs(QString::fromLatin1(bad)), bad);
        // The refusal quotes what was typed as typed, place markers included.
        QCOMPARE(intervalError(QStringLiteral("%0 %1 %2")),
                 QStringLiteral("\"%0 %1 %2\" is no valid interval. Type a whole number of "
                                "milliseconds from 0 to 32767."));
    }

    void explanations_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("last");
        QTest::newRow("01") << 0 << "    Byte 3-(B+2): Bit values (least significant is first coil)";
        QTest::newRow("05 ends with a line end") << 4 << "";
        QTest::newRow("06") << 5 << "    Byte 4-5:     Register value";
        QTest::newRow("15") << 6 << "    Byte 4-5:     Bit count";
        QTest::newRow("16") << 7 << "    Byte 4-5:     Word count";
    }
    void explanations()
    {
        QFETCH(int, item);
        const QString text = ModbusHelp::explanation(item);
        const QStringList lines = text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.at(9), QStringLiteral("[Request]"));
        const QString itemText = ModbusHelp::functionItems().at(item);
        QCOMPARE(lines.at(12), QStringLiteral("    Byte 2-3:     Channel NO. of Device for ") + itemText.right(2));
        QTEST(lines.last(), "last");
        QCOMPARE(text.count(QLatin1Char('\n')) + text.count(QLatin1Char('\r')), 2 * text.count(QStringLiteral("\r\n")));
        const QString call = item < 6 ? QStringLiteral("0%1").arg(item + 1)
                                      : QStringLiteral("%1 (hex)").arg(item == 6 ? "0F" : "10");
        QCOMPARE(text.count(QStringLiteral("    Byte 1:       Function call=") + call + "\r\n"), 2);
        QCOMPARE(ModbusHelp::itemForText(itemText), std::optional<int>(item));
        QVERIFY(!ModbusHelp::itemForText(itemText + QLatin1Char(' ')));
    }

    // Which byte labels show, and the tips they get; labels that stay hidden
    // keep the tip they had: nothing is set for them.
    void byteTipsPerFunctionCode_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("shown"); // request labels, then response labels
        QTest::addColumn<QString>("command4");
        QTest::newRow("5") << 5 << "11111100 11111100" << " =FF to turn ON coil, =00 to turn OFF coil ";
        QTest::newRow("6") << 6 << "11111100 11111100" << " Register value (high byte) ";
        QTest::newRow("16") << 16 << "11111111 11111100" << " Word count (high byte) ";
        QTest::newRow("0x83") << 0x83 << "11110000 11000000" << "";
    }
    void byteTipsPerFunctionCode()
    {
        QFETCH(int, code);
        const ModbusHelp::ByteTips t = ModbusHelp::byteTips(code);
        QString visible;
        for (bool v : t.commandVisible)
            visible += v ? '1' : '0';
        visible += ' ';
        for (bool v : t.responseVisible)
            visible += v ? '1' : '0';
        QTEST(visible, "shown");
        QCOMPARE(t.response[1].value_or(QString()), QStringLiteral(" Function call=%1) ").arg(code));
        QTEST(t.command[4].value_or(QString()), "command4");
        QCOMPARE(t.response[6].has_value(), false);
    }

    // Lines across blocks, one longer than a block, text beyond ASCII; a list
    // line costs its characters and little more.
    void lineStoreKeepsLinesCompactly()
    {
        LineStore store;
        const QString huge(LineStore::kBlockBytes + 10, QLatin1Char('h'));
        const QString line = QStringLiteral("10 20 00 00 00 06 --> 21 04 00 00 00 40 ");
        for (int i = 0; i < 5000; ++i)
            store.append(line + QString::number(i));
        store.append(huge);
        store.append(QString());
        store.append(QString::fromUtf8("中文 ok"));
        for (int i : {0, 1636, 4999})
            QCOMPARE(store.at(i), line + QString::number(i));
        QCOMPARE(store.at(5000) + store.at(5001) + store.at(5002), huge + QString::fromUtf8("中文 ok"));
        QCOMPARE(store.longest(), qsizetype(5000));
        store.clear();
        QCOMPARE(store.memoryBytes(), qsizetype(0));
        for (int i = 0; i < 100000; ++i)
            store.append(line);
        const double perLine = double(store.memoryBytes()) / store.size();
        QVERIFY2(perLine < line.size() + 16, qPrintable(QString::number(perLine)));
    }
};

QTEST_GUILESS_MAIN(TstModbusLogic)
#include "tst_modbuslogic.moc"
