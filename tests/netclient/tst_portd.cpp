#include "app/codepage.h"
#include "netclient/portd.h"
#include "tests/support/randomtext.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Portd;

namespace {

// A reading shown as a text: "-" for nothing.
QString shown(const std::optional<double> &v)
{
    return v ? QString::number(*v) : QStringLiteral("-");
}

// Texts that a device or a user might hand the readers, damaged ones included.
QString randomReply(QRandomGenerator &rng)
{
    static const char16_t pool[] = {u'0', u'1', u'8', u'9', u'M', u'E', u'e', u',', u'.',
                                    u' ', u'-', u'+', u'\r', u'\n', u'\0', u'\xFF',
                                    u'\u4E2D', u'\xD83D', u'\xDE00', u'\xDC00'};
    return randomText(rng, pool, 23);
}

} // namespace

// Requests of the Portd protocol and the readings of its replies.
class TstPortd : public QObject
{
    Q_OBJECT

private slots:
    void requests_data()
    {
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("expected");
        QTest::newRow("connect queries") << connectQueries().join(u'|') << "10|01|13|15|21|161";
        QTest::newRow("settings of port 8") << requestPortSettings(8) << "168";
        QTest::newRow("Modbus status of port 2") << requestModbusStatus(2) << "332";
        QTest::newRow("LED on") << requestLed(true) << "201";
        QTest::newRow("LED off") << requestLed(false) << "200";
        QTest::newRow("reboot") << requestReboot() << "99";
        QTest::newRow("baud rate") << requestSetBaudrate(3, "9600") << "0639600";
        QTest::newRow("data format") << requestSetDataFormat(3, "8", 1, "1") << "073811";
        QTest::newRow("typed parity") << requestSetDataFormat(2, "8", -1, "1") << "0728-11";
        QTest::newRow("Modbus on") << requestSetModbus(1, 1) << "3211";
        QTest::newRow("IP") << requestSetIp(addressArgument({192, 9, 40, 100})) << "08192009040100";
        QTest::newRow("mask") << requestSetMask(addressArgument({255, 255, 255, 0}))
                              << "14255255255000";
        QTest::newRow("gateway") << requestSetGateway(addressArgument({192, 9, 40, 254}))
                                 << "12192009040254";
        QTest::newRow("zero address") << addressArgument({0, 0, 0, 0}) << "000000000000";
    }
    void requests()
    {
        QFETCH(QString, request);
        QTEST(request, "expected");
    }

    // The fifth character picks the separator; the count is the second piece,
    // and only a whole number 1 to 8 is a port count.
    void moduleName_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("modbus");
        QTest::addColumn<QString>("count"); // "-" when the separator is missing
        QTest::addColumn<int>("ports");     // 0 when the count is no port count
        auto row = [](const char *name, const QString &reply, bool modbus, const char *count,
                      int ports) { QTest::newRow(name) << reply << modbus << count << ports; };
        row("Modbus, four ports", "4630M4", true, "4", 4);
        row("eight ports", "4630E8", false, "8", 8);
        row("four characters, M, 4", "abcdM4", true, "4", 4);
        row("no E on a plain device", "RM4630K", false, "-", 0);
        row("M only counts at the fifth place", "4630K-M4", false, "-", 0);
        row("case-sensitive", "4630e8", false, "-", 0);
        row("empty", "", false, "-", 0);
        row("separator twice", "4630M4M2", true, "4", 4);
        row("separator among the first four", "E23dE8", false, "23d", 0);
        row("Modbus with an early M", "RM46M2", true, "46", 0);
        row("blanks around", "4630E 4 ", false, " 4 ", 4);
        row("leading zero", "4630E04", false, "04", 4);
        row("nine", "4630E9", false, "9", 0);
        row("zero", "4630E0", false, "0", 0);
        row("nothing behind", "4630E", false, "", 0);
        row("sign", "4630E+4", false, "+4", 0);
        row("fraction", "4630E4.0", false, "4.0", 0);
        row("long digits", "4630E99999999999999999", false, "99999999999999999", 0);
        row("non-ASCII digit", QStringLiteral("4630E\u0664"), false, "\u0664", 0);
        row("double-byte name", QStringLiteral("ab中文M3"), true, "3", 3);
    }
    void moduleName()
    {
        QFETCH(QString, reply);
        QFETCH(bool, modbus);
        const ModuleName m = readModuleName(reply);
        QCOMPARE(m.modbus, modbus);
        QCOMPARE(isModbusVariant(reply), modbus);
        QTEST(m.hasCount ? m.countText : QStringLiteral("-"), "count");
        QTEST(m.portCount.value_or(0), "ports");
        if (m.hasCount)
            QCOMPARE(portsLabel(m.countText), m.countText + " COM Ports");
    }

    // Cut from the right; places before the start give empty fields.
    // One arrival decoded on its own; of a flood only its end.
    void replyText_data()
    {
        QTest::addColumn<QByteArray>("arrival");
        QTest::addColumn<int>("wholeBytes"); // 0: the client's own
        QTest::addColumn<QString>("text");
        QTest::newRow("lead byte at the end") << QByteArray("4630E2A\xA4") << 0 << u"4630E2A\uFFFD"_qs;
        QTest::newRow("the next reply") << QByteArray("V1.0") << 0 << "V1.0";
        QTest::newRow("double-byte") << QByteArray("\xA4\xA4") << 0 << u"\u4E2D"_qs;
        QTest::newRow("cut after an ASCII byte") << QByteArray("\xA4\xA4\xA4\xA4" "ab\xA4\xA4") << 4
                                                 << u"b\u4E2D"_qs;
        QTest::newRow("no ASCII in the end") << QByteArray("\xA4\xA4\xA4\xA4\xA4\xA4") << 3
                                             << u"\u4E2D\uFFFD"_qs;
        QByteArray sane;
        while (sane.size() < 4000)
            sane += "V1.0 \xA4\xA4 ";
        QTest::newRow("4000 bytes whole") << sane << 0 << Cp950::toUnicode(sane);
        // The control connection's receive limit: 64 KiB, with a character
        // split across every 16 KiB bound.
        QByteArray limit = "x";
        while (limit.size() < 64 * 1024)
            limit += "\xA4\xA4";
        limit.truncate(64 * 1024);
        QTest::newRow("64 KiB whole") << limit << 0 << Cp950::toUnicode(limit);
    }
    void replyText()
    {
        QFETCH(QByteArray, arrival);
        QFETCH(int, wholeBytes);
        QTEST(wholeBytes ? Portd::replyText(arrival, wholeBytes) : Portd::replyText(arrival), "text");
    }

    // A flood of 4 MB in one arrival: only a short end of it is decoded.
    void replyTextOfAFlood()
    {
        QByteArray flood;
        for (int i = 0; flood.size() < 4 * 1024 * 1024; ++i)
            flood += QByteArray::number(i) + " \xA4\xA4\r\n";
        flood += "\xA4";
        const QString text = Portd::replyText(flood);
        QVERIFY2(!text.isEmpty() && text.size() <= 64 * 1024, qPrintable(QString::number(text.size())));
        QVERIFY(Cp950::toUnicode(flood).endsWith(text));
    }

    void portSettings_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("fields"); // baud|data|parity|stop
        QTest::newRow("reply") << "19200,8,0,1" << "19200|8|0|1";
        QTest::newRow("six-digit baud") << "115200,8,0,2" << "115200|8|0|2";
        QTest::newRow("five characters") << "8,0,1" << "|8|0|1";
        QTest::newRow("six characters") << "x8,0,1" << "|8|0|1";
        QTest::newRow("error reply") << "ERROR" << "|E|R|R";
        QTest::newRow("one character") << "1" << "|||1";
        QTest::newRow("empty") << "" << "|||";
        QTest::newRow("line end taken as it is") << "19200,8,0,1\r\n" << "19200,8|0|1|\n";
    }
    void portSettings()
    {
        QFETCH(QString, reply);
        const PortSettings s = readPortSettings(reply);
        QTEST(QStringList({s.baudrate, s.databits, s.parity, s.stopbits}).join(u'|'), "fields");
    }

    // The number a text begins with, and the Modbus status read from it.
    void values_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("wording");
        QTest::newRow("off") << "0" << "0" << "Modbus Disable";
        QTest::newRow("on") << "1" << "1" << "Modbus Enable";
        QTest::newRow("other number") << "2" << "2" << "Modbus Enable";
        QTest::newRow("line end") << "1\r\n" << "1" << "Modbus Enable";
        QTest::newRow("leading blanks") << "  0" << "0" << "Modbus Disable";
        QTest::newRow("negative") << "-1" << "-1" << "Modbus Enable";
        QTest::newRow("plus") << "+300" << "300" << "Modbus Enable";
        QTest::newRow("fraction") << "255.5" << "255.5" << "Modbus Enable";
        QTest::newRow("fraction only") << ".5" << "0.5" << "Modbus Enable";
        QTest::newRow("text behind") << "1e3" << "1" << "Modbus Enable";
        QTest::newRow("huge") << "99999999999999999999999" << "1e+15" << "Modbus Enable";
        QTest::newRow("error reply") << "Input Command Not Support: Module not support ModbusTCP,"
                                     << "-" << "-";
        QTest::newRow("empty") << "" << "-" << "-";
        QTest::newRow("sign alone") << "-" << "-" << "-";
        QTest::newRow("point alone") << "." << "-" << "-";
        QTest::newRow("tab first") << "\t1" << "-" << "-";
    }
    void values()
    {
        QFETCH(QString, text);
        QFETCH(QString, value);
        QCOMPARE(shown(leadingValue(text)), value);
        QCOMPARE(shown(readModbusStatus(text)), value);
        QTEST(modbusWording(text).value_or(QStringLiteral("-")), "wording");
    }

    void ports()
    {
        QCOMPARE(readControlPort("10000").value_or(0), 10000);
        QCOMPARE(readControlPort(" 502 ").value_or(0), 502);
        QCOMPARE(readControlPort("65535").value_or(0), 65535);
        for (const char *bad : {"0", "65536", "-1", "1e4", "abc", "", "10 000", "99999999999"})
            QVERIFY2(!readControlPort(bad), bad);
        QCOMPARE(dataPort(10000, 1).value_or(0), 10001);
        QCOMPARE(dataPort(10000, 8).value_or(0), 10008);
        QCOMPARE(dataPort(65527, 8).value_or(0), 65535);
        QVERIFY(!dataPort(65530, 6));
        QVERIFY(!dataPort(10000, 0));
        QVERIFY(!dataPort(10000, 9));
    }

    // Any text, damaged or not, gives a reading cut from inside it.
    void readersAreTotal()
    {
        QRandomGenerator rng(4630);
        for (int i = 0; i < 20000; ++i) {
            const QString t = randomReply(rng);
            const ModuleName m = readModuleName(t);
            QVERIFY(!m.hasCount || t.contains(m.countText));
            QVERIFY(!m.portCount || (*m.portCount >= 1 && *m.portCount <= kMaxPorts));
            const PortSettings s = readPortSettings(t);
            QVERIFY(s.baudrate.size() + s.databits.size() + s.parity.size() + s.stopbits.size()
                    <= t.size());
            modbusWording(t);
            readControlPort(t);
        }
        const QString huge(1 << 20, u'9');
        QVERIFY(leadingValue(huge).has_value());
        QVERIFY(!readModuleName(QStringLiteral("4630E") + huge).portCount);
    }
};

QTEST_GUILESS_MAIN(TstPortd)
#include "tst_portd.moc"
