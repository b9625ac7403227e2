#include "modbus/linelistmodel.h"
#include "modbus/linestore.h"
#include "modbus/modbushelp.h"
#include "modbus/modbusstatistics.h"
#include "modbus/modbustext.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
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
        // A share that rounds to zero from below shows no minus sign.
        QCOMPARE((QStringList{diffPercentText(3, 1), diffPercentText(2, 3), diffPercentText(0, 1),
                              diffPercentText(100000, 100001), averageText(8.26),
                              averageText(1234.56), averageText(1000.0, 5.0), averageText(1000.0, 0.0)}),
                 (QStringList{"66.67 %", "-50.00 %", "0.00 %", "0.00 %", "008.3", "1234.6", "200.0",
                              "000.0"}));

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
        // The first reply after a reset is both the longest and the shortest.
        minTime = RoundTrip::kMinTimeReset;
        maxTime = RoundTrip::kMaxTimeReset;
        const RoundTrip::Change first = RoundTrip::record(7, minTime, maxTime);
        QVERIFY(first.min && first.max && minTime == 7 && maxTime == 7);
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

    // Every line of every item's explanation.
    void explanations_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<QStringList>("request");  // after the function line
        QTest::addColumn<QStringList>("response"); // after the function line
        const QString bitCount = QStringLiteral("    Byte 4-5:     Bit count");
        const QString wordCount = QStringLiteral("    Byte 4-5:     Word count");
        const QStringList bitReply = {
            QStringLiteral("    Byte 2:       Byte count of response [B=(bit count + 7)/8]"),
            QStringLiteral("    Byte 3-(B+2): Bit values (least significant is first coil)")};
        const QStringList wordReply = {
            QStringLiteral("    Byte 2:       Byte count of response (B=2 x word count)"),
            QStringLiteral("    Byte 3-(B+2): Register values")};
        const QString ch = QStringLiteral("channel"); // the channel line of the item
        QTest::newRow("01") << 0 << QStringList{ch, bitCount} << bitReply;
        QTest::newRow("02") << 1 << QStringList{ch, bitCount} << bitReply;
        QTest::newRow("03") << 2 << QStringList{ch, wordCount} << wordReply;
        QTest::newRow("04") << 3 << QStringList{ch, wordCount} << wordReply;
        QTest::newRow("05 ends with a line end")
            << 4
            << QStringList{ch, "    Byte 4:       =FF for trun ON coil, 00 for trun OFF coil",
                           "    Byte 5:       =00"}
            << QStringList{ch, "    Byte 4:       =FF to trun ON coil, =00 to trun OFF coil (echoed)",
                           "    Byte 5:       =00", ""};
        QTest::newRow("06") << 5 << QStringList{ch, "    Byte 4-5:     Register value"}
                            << QStringList{ch, "    Byte 4-5:     Register value"};
        QTest::newRow("15")
            << 6
            << QStringList{ch, bitCount, "    Byte 6:       Byte count [B=(bit count + 7)/8]",
                           "    Byte 7-(B+6): Data to be written (least significant is first coil)"}
            << QStringList{ch, bitCount};
        QTest::newRow("16")
            << 7
            << QStringList{ch, wordCount, "    Byte 6:       Byte count (B=2 x word count)",
                           "    Byte 7-(B+6): Register values"}
            << QStringList{ch, wordCount};
    }
    void explanations()
    {
        QFETCH(int, item);
        QFETCH(QStringList, request);
        QFETCH(QStringList, response);
        const QString itemText = ModbusHelp::functionItems().at(item);
        const QString channel = QStringLiteral("    Byte 2-3:     Channel NO. of Device for ")
                                + itemText.right(2);
        const QString call = item < 6 ? QStringLiteral("0%1").arg(item + 1)
                                      : QStringLiteral("%1 (hex)").arg(item == 6 ? "0F" : "10");
        const QString function = QStringLiteral("    Byte 1:       Function call=") + call;
        const QString netId = QStringLiteral("    Byte 0:       Net ID (Device number)");
        QStringList expected = {
            item == 5 || item == 6 ? QStringLiteral("[Prefixed 6 bytes of Modbus/TCP protocol]")
                                   : QStringLiteral("[Prefixed 6 bytes for Modbus/TCP protocol]"),
            "    Byte 0: MB transaction identificaion - copied by server - normally 0",
            "    Byte 1: MB transaction identificaion - copied by server - normally 0",
            "    Byte 2: MB protocol identification=0",
            "    Byte 3: MB protocol identification=0",
            "    Byte 4: Length field for Upper byte=0",
            "                (since all messages are smaller than 256)",
            "    Byte 5: Length field for Lower byte=number of bytes following",
            "",
            "[Request]", netId, function};
        for (const QString &line : request)
            expected << (line == QLatin1String("channel") ? channel : line);
        expected << "" << "[Response]" << netId << function;
        for (const QString &line : response)
            expected << (line == QLatin1String("channel") ? channel : line);
        const QString text = ModbusHelp::explanation(item);
        QCOMPARE(text.split(QStringLiteral("\r\n")), expected);
        // No line end but CR LF.
        QCOMPARE(text.count(QLatin1Char('\n')) + text.count(QLatin1Char('\r')), 2 * text.count(QStringLiteral("\r\n")));
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
        QCOMPARE(store.longestLine(), huge);
        store.clear();
        QCOMPARE(store.memoryBytes(), qsizetype(0));
        QCOMPARE(store.firstNumber(), quint64(5003));
        for (int i = 0; i < 100000; ++i)
            store.append(line);
        const double perLine = double(store.memoryBytes()) / store.size();
        QVERIFY2(perLine < line.size() + 16, qPrintable(QString::number(perLine)));
    }

    // A bounded store keeps its latest lines, however they fall into blocks
    // (a line longer than a block among them), and the memory of those only.
    void lineStoreKeepsTheLatestLines()
    {
        LineStore store(1000);
        const QString huge(LineStore::kBlockBytes * 2, QLatin1Char('h'));
        for (int i = 0; i < 200000; ++i)
            store.append(i == 150500 ? huge : QStringLiteral("line %1 of the list").arg(i));
        QCOMPARE(store.size(), qsizetype(1000));
        QCOMPARE(store.firstNumber(), quint64(199000));
        QCOMPARE(store.at(0), QStringLiteral("line 199000 of the list"));
        QCOMPARE(store.at(999), QStringLiteral("line 199999 of the list"));
        QCOMPARE(store.longestLine(), huge); // gone, but the list stays that wide
        QVERIFY2(store.memoryBytes() < 1000 * 30 + 2 * LineStore::kBlockBytes + huge.size(),
                 qPrintable(QString::number(store.memoryBytes())));
        LineStore one(0); // at least one line is kept
        one.append(QStringLiteral("a"));
        one.append(QStringLiteral("b"));
        QCOMPARE(one.size(), qsizetype(1));
        QCOMPARE(one.at(0), QStringLiteral("b"));
    }

    // Views learn of added and dropped lines in one removal and one insertion
    // per publish, whatever falls between two publishes, and always see the
    // store's latest lines in order.
    void lineModelPublishesInBatches_data()
    {
        QTest::addColumn<int>("maxLines");
        QTest::addColumn<QList<int>>("batches"); // lines added before each publish
        QTest::newRow("one at a time") << 5 << QList<int>{1, 1, 1, 1, 1, 1, 1};
        QTest::newRow("within the bound") << 100 << QList<int>{3, 40, 0, 57};
        QTest::newRow("some leave") << 5 << QList<int>{3, 4, 2};
        QTest::newRow("all shown leave") << 5 << QList<int>{3, 12, 0, 6};
        QTest::newRow("full before the first") << 4 << QList<int>{9, 1};
    }
    void lineModelPublishesInBatches()
    {
        QFETCH(int, maxLines);
        QFETCH(QList<int>, batches);
        LineListModel model(maxLines);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        int next = 0;
        for (const int batch : batches) {
            const int rowsBefore = model.rowCount();
            for (int i = 0; i < batch; ++i)
                model.append(QStringView(QStringLiteral("line %1").arg(next++)));
            QCOMPARE(model.rowCount(), rowsBefore); // not yet told
            for (int row = 0; row < rowsBefore; ++row) {
                const qsizetype line = model.lineOfRow(row);
                QCOMPARE(model.index(row).data().toString(),
                         line < 0 ? QString() : model.lines().at(line));
            }
            inserted.clear();
            removed.clear();
            model.publish();
            QVERIFY(inserted.size() <= 1 && removed.size() <= 1 && !model.hasUnpublished());
            QCOMPARE(model.rowCount(), std::min(next, maxLines));
            for (int row = 0; row < model.rowCount(); ++row) {
                QCOMPARE(model.index(row).data().toString(),
                         QStringLiteral("line %1").arg(next - model.rowCount() + row));
                QCOMPARE(model.rowOfLine(row), row);
            }
        }
        model.append(QStringView(u"more"));
        model.clear();
        QVERIFY(model.rowCount() == 0 && !model.hasUnpublished());
    }
};

QTEST_GUILESS_MAIN(TstModbusLogic)
#include "tst_modbuslogic.moc"
