#include "modbus/linestore.h"
#include "modbus/modbushelp.h"

#include <QTest>

using namespace ModbusHelp;

namespace {

// Which labels a function code shows, as a string of 0 and 1 per label.
QString shown(const std::array<bool, kPduLabels> &visible)
{
    QString s;
    for (bool v : visible)
        s += v ? QLatin1Char('1') : QLatin1Char('0');
    return s;
}

} // namespace

class TstModbusHelp : public QObject
{
    Q_OBJECT

private slots:
    void functionItemsAndLookup()
    {
        const QStringList items = functionItems();
        QCOMPARE(items.size(), kFunctionItems);
        QCOMPARE(items.first(), QStringLiteral("Function Code 01(0x01) Read Coils for DO"));
        QCOMPARE(items.last(), QStringLiteral("Function Code 16(0x10) Write Multiple Registers for AO"));
        for (int i = 0; i < kFunctionItems; ++i)
            QCOMPARE(itemForText(items.at(i)), std::optional<int>(i));
        QVERIFY(!itemForText(QStringLiteral("Modbus Function")));
        QVERIFY(!itemForText(items.at(3) + QLatin1Char(' ')));
        QVERIFY(!itemForText(items.at(3).toLower()));
    }

    void readCoilsExplanationInFull()
    {
        const QString expected = QStringLiteral(
            "[Prefixed 6 bytes for Modbus/TCP protocol]\r\n"
            "    Byte 0: MB transaction identificaion - copied by server - normally 0\r\n"
            "    Byte 1: MB transaction identificaion - copied by server - normally 0\r\n"
            "    Byte 2: MB protocol identification=0\r\n"
            "    Byte 3: MB protocol identification=0\r\n"
            "    Byte 4: Length field for Upper byte=0\r\n"
            "                (since all messages are smaller than 256)\r\n"
            "    Byte 5: Length field for Lower byte=number of bytes following\r\n"
            "\r\n"
            "[Request]\r\n"
            "    Byte 0:       Net ID (Device number)\r\n"
            "    Byte 1:       Function call=01\r\n"
            "    Byte 2-3:     Channel NO. of Device for DO\r\n"
            "    Byte 4-5:     Bit count\r\n"
            "\r\n"
            "[Response]\r\n"
            "    Byte 0:       Net ID (Device number)\r\n"
            "    Byte 1:       Function call=01\r\n"
            "    Byte 2:       Byte count of response [B=(bit count + 7)/8]\r\n"
            "    Byte 3-(B+2): Bit values (least significant is first coil)");
        QCOMPARE(explanation(0), expected);
    }

    void explanationsDifferWhereTheyShould_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("channel");
        QTest::addColumn<QString>("last");
        const QString forProto = QStringLiteral("[Prefixed 6 bytes for Modbus/TCP protocol]");
        const QString ofProto = QStringLiteral("[Prefixed 6 bytes of Modbus/TCP protocol]");
        QTest::newRow("02") << 1 << forProto << "02" << "DI"
                            << "    Byte 3-(B+2): Bit values (least significant is first coil)";
        QTest::newRow("03") << 2 << forProto << "03" << "AO" << "    Byte 3-(B+2): Register values";
        QTest::newRow("04") << 3 << forProto << "04" << "AI" << "    Byte 3-(B+2): Register values";
        QTest::newRow("05") << 4 << forProto << "05" << "DO" << "";
        QTest::newRow("06") << 5 << ofProto << "06" << "AO" << "    Byte 4-5:     Register value";
        QTest::newRow("15") << 6 << ofProto << "0F (hex)" << "DO" << "    Byte 4-5:     Bit count";
        QTest::newRow("16") << 7 << forProto << "10 (hex)" << "AO" << "    Byte 4-5:     Word count";
    }
    void explanationsDifferWhereTheyShould()
    {
        QFETCH(int, item);
        QFETCH(QString, first);
        QFETCH(QString, call);
        QFETCH(QString, channel);
        QFETCH(QString, last);
        const QString text = explanation(item);
        const QStringList lines = text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.first(), first);
        QCOMPARE(text.count(QStringLiteral("\r\n")), text.count(QLatin1Char('\n')));
        QCOMPARE(text.count(QStringLiteral("    Byte 1:       Function call=") + call + "\r\n"), 2);
        QVERIFY(text.contains(QStringLiteral("    Byte 2-3:     Channel NO. of Device for ") + channel));
        QCOMPARE(lines.last(), last);
        QCOMPARE(text.endsWith(QStringLiteral("\r\n")), item == 4);
    }

    void writeSingleCoilKeepsItsWording()
    {
        const QString text = explanation(4);
        QVERIFY(text.contains(QStringLiteral(
            "\r\n    Byte 4:       =FF for trun ON coil, 00 for trun OFF coil\r\n    Byte 5:       =00\r\n\r\n")));
        QVERIFY(text.endsWith(QStringLiteral(
            "    Byte 4:       =FF to trun ON coil, =00 to trun OFF coil (echoed)\r\n"
            "    Byte 5:       =00\r\n")));
        QVERIFY(explanation(8).isEmpty());
        QVERIFY(explanation(-1).isEmpty());
    }

    void byteTipsPerFunctionCode_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("commandShown");
        QTest::addColumn<QString>("responseShown");
        QTest::addColumn<QString>("command4");
        QTest::addColumn<QString>("response3");
        QTest::newRow("1") << 1 << "11111100" << "11110000" << " Bit count (high byte) "
                           << " Byte 3-(B+2): Bit values (least significant is first coil) ";
        QTest::newRow("2") << 2 << "11111100" << "11110000" << " Bit count (high byte) "
                           << " Byte 3-(B+2): Bit values (least significant is first coil) ";
        QTest::newRow("4") << 4 << "11111100" << "11110000" << " Word count (high byte) "
                           << " Byte 3-(B+2): Register values ";
        QTest::newRow("5") << 5 << "11111100" << "11111100"
                           << " =FF to turn ON coil, =00 to turn OFF coil "
                           << " Reference number (low byte) ";
        QTest::newRow("6") << 6 << "11111100" << "11111100" << " Register value (high byte) "
                           << " Reference number (low byte) ";
        QTest::newRow("15") << 15 << "11111111" << "11111100" << " Bit count (high byte) "
                            << " Reference number (low byte) ";
        QTest::newRow("16") << 16 << "11111111" << "11111100" << " Word count (high byte) "
                            << " Reference number (low byte) ";
        QTest::newRow("7") << 7 << "11110000" << "11000000" << "" << "";
        QTest::newRow("0x83") << 0x83 << "11110000" << "11000000" << "" << "";
        QTest::newRow("0") << 0 << "11110000" << "11000000" << "" << "";
    }
    void byteTipsPerFunctionCode()
    {
        QFETCH(int, code);
        QFETCH(QString, commandShown);
        QFETCH(QString, responseShown);
        QFETCH(QString, command4);
        QFETCH(QString, response3);
        const ByteTips t = byteTips(code);
        QCOMPARE(shown(t.commandVisible), commandShown);
        QCOMPARE(shown(t.responseVisible), responseShown);
        const QString call = QStringLiteral(" Function call=%1) ").arg(code);
        QCOMPARE(t.command[1].value_or(QString()), call);
        QCOMPARE(t.response[1].value_or(QString()), call);
        QCOMPARE(t.command[0].value_or(QString()), QStringLiteral(" Net ID (Device number) "));
        QCOMPARE(t.command[3].value_or(QString()), QStringLiteral(" Reference number (low byte) "));
        // Labels that stay hidden keep the tip they had: nothing is set for them.
        QCOMPARE(t.command[4].value_or(QString()), command4);
        QCOMPARE(t.response[3].value_or(QString()), response3);
        for (int i = 0; i < kPduLabels; ++i) {
            QCOMPARE(t.command[i].has_value(), t.commandVisible[i]);
            QCOMPARE(t.response[i].has_value(), t.responseVisible[i]);
            for (const auto &tip : {t.command[i], t.response[i]}) {
                if (tip)
                    QVERIFY2(tip->startsWith(' ') && tip->endsWith(' '), qPrintable(*tip));
            }
        }
    }

    void headerTipsAndNotes()
    {
        QCOMPARE(headerTip(0), QStringLiteral(" Transaction identifier - copied by server - usually 0 "));
        QCOMPARE(headerTip(1), headerTip(0));
        QCOMPARE(headerTip(3), QStringLiteral(" Protocol identifier=0 "));
        QCOMPARE(headerTip(4), QStringLiteral(" Length field (upper byte)=0 "));
        QCOMPARE(headerTip(5), QStringLiteral(" Length field (lower byte)=number of bytes following "));
        QVERIFY(netIdNote().startsWith(QStringLiteral("Note: The NetID is mean one byte")));
        QVERIFY(netIdNote().endsWith(QStringLiteral("slave RTU device addr.")));
        QCOMPARE(netIdExample(),
                 QStringLiteral("EX: NetID:21 Hex mean COM2 of RM4630K-M and 01 is address of Modbus device."));
    }

    void lineStoreKeepsLinesCompactly()
    {
        LineStore store;
        QCOMPARE(store.longest(), qsizetype(-1));
        QVERIFY(store.at(0).isNull());
        const int n = 20000; // several blocks
        for (int i = 0; i < n; ++i)
            store.append(QStringLiteral("line %1 ").arg(i) + QString(i % 40, QLatin1Char('x')));
        QCOMPARE(store.size(), qsizetype(n));
        for (int i : {0, 1, 1234, 5000, n - 2, n - 1})
            QCOMPARE(store.at(i), QStringLiteral("line %1 ").arg(i) + QString(i % 40, QLatin1Char('x')));
        QCOMPARE(store.at(n), QString());
        // A line longer than a block, an empty line and text beyond Latin-1.
        const QString huge(LineStore::kBlockBytes + 10, QLatin1Char('h'));
        store.append(huge);
        store.append(QString());
        store.append(QString::fromUtf8("中文 ok"));
        QCOMPARE(store.at(n), huge);
        QCOMPARE(store.at(n + 1), QString());
        QCOMPARE(store.at(n + 2), QString::fromUtf8("中文 ok"));
        QCOMPARE(store.at(n - 1), QStringLiteral("line %1 ").arg(n - 1) + QString((n - 1) % 40, 'x'));
        QCOMPARE(store.longest(), qsizetype(n));
        store.clear();
        QCOMPARE(store.size(), qsizetype(0));
        QCOMPARE(store.memoryBytes(), qsizetype(0));

        // A list line costs its characters and little more.
        const QString line = QStringLiteral("10 20 00 00 00 06 --> 21 04 00 00 00 40 ");
        for (int i = 0; i < 100000; ++i)
            store.append(line);
        const double perLine = double(store.memoryBytes()) / store.size();
        QVERIFY2(perLine < line.size() + 16, qPrintable(QString::number(perLine)));
    }
};

QTEST_GUILESS_MAIN(TstModbusHelp)
#include "tst_modbushelp.moc"
