#include "app/codepage.h"
#include "console/consolemenu.h"
#include "console/menuscreen.h"
#include "console/terminaltext.h"
#include "tests/support/simulateddevice.h"

#include <QTest>

using namespace MenuScreen;

namespace {

// Every value of a menu screen, in this order.
enum Field { Ip, Mask, Gateway, Model, Baud, Modbus, Databit, Parity, Stopbit };
QStringList readAll(const QString &screen)
{
    const DeviceMenu m = readDeviceMenu(screen);
    return {m.ip,        m.mask,     m.gateway,  m.model,  m.baudrates, readModbusField(screen),
            m.databits, m.parities, m.stopbits};
}

} // namespace

// Reading the device's menu screen, whole, damaged or cut short, and the
// per-port lists, masks and addresses read from it.
class TstMenuScreen : public QObject
{
    Q_OBJECT

private slots:
    void prompt()
    {
        QVERIFY(hasPrompt("\r\nA:\\>"));
        for (const char *screen : {"\r\nA:\\> ", "A:\\>\r\n", "a:\\>", ""})
            QVERIFY2(!hasPrompt(screen), screen);
    }

    // Damaged screens: whatever is missing reads as empty, never from
    // elsewhere. (Whole screens are read in deviceScreenReadsBack.)
    void damagedReadings_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("expected");
        auto row = [](const char *name, const char *screen, Field field, const char *expected) {
            QTest::newRow(name) << screen << int(field) << expected;
        };
        row("missing label", "I : Modify IP ADDR  1.2.3.4\r\n", Gateway, "");
        row("case-sensitive label", "i : modify ip addr  1.  2.  3.  4\r\n", Ip, "");
        row("text ends in the value", "I : Modify IP ADDR  192.  9", Ip, "192.  9");
        row("line shorter than the column", "P : Modify Parity\r\nx\r\n", Parity, "");
        row("first occurrence counts", "D : Modify Databit  1:7 \r\nD : Modify Databit  1:8 \r\n",
            Databit, "1:7");
        row("baud second line unfinished",
            "B : Modify Baudrate 1:57600 2:9600 \r\n                    5:96", Baud,
            "1:57600 2:9600");
        row("baud first line unfinished", "B : Modify Baudrate 1:57600", Baud, "");
        row("baud second line short", "B : Modify Baudrate 1:57600 \r\nx\r\n", Baud, "1:57600");
        row("mask at the end of the text", "U : Modify fUnction F", Modbus, "F");
    }
    void damagedReadings()
    {
        QFETCH(QString, screen);
        QFETCH(int, field);
        QTEST(readAll(screen).at(field), "expected");
    }

    // Model numbers, port masks, per-port lists, addresses and octet checks:
    // each a text in, a text out.
    void fields_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        auto row = [](const char *kind, const char *in, const char *out) {
            QTest::newRow(qPrintable(QStringLiteral("%1 \"%2\"").arg(kind, in)))
                << kind << in << out;
        };
        // Ports and whether it is a Modbus model.
        row("model", "46308", "8 -");
        row("model", "46309", "0 -");
        row("model", "4630M0", "0 M");
        row("model", "46308 ", "0 -");
        row("model", "4630m4", "4 -");
        // Ports 1 to 8.
        row("mask", "0F", "11110000");
        row("mask", "a1", "10000101");
        row("mask", "G1", "10000000");
        row("mask", "3", "00001100");
        // Port n of "n:list".
        const char *bauds = "1:57600 2:9600 3:9600 4:9600 5:9600 6:9600 7:9600 8:19200";
        row("1", bauds, "57600");
        row("8", bauds, "19200");
        row("9", bauds, "");
        row("3", "1:8 2:8 4:8", "");
        row("3", "1:8 2:8 3:7 5:8", "7");
        row("3", "1:8 2:8 3:7", "7");
        row("1", "2:8 1:7", "");
        // Octets, "-" for none.
        row("address", "192.  9. 40.100", "192|9|40|100");
        row("address", "010.001.0.07", "10|1|0|7");
        row("address", "a.-5.c.d", "0|0|0|0");
        row("address", "1.2.3.4.5", "1|2|3|4");
        row("address", "1.2.3", "-");
        // Ok when no octet's leading number reaches 256.
        row("check", "192|9|40|255", "ok");
        row("check", "192|9|40|256", "error");
        row("check", "300|1|1|1", "error");
        row("check", "010| 25 6|1|1", "ok");
        row("check", "1| 2560|1|1", "error");
        row("check", "|abc|-5|1", "ok");
        row("check", "1|99999999999999999999999999999999|1|1", "error");
    }
    void fields()
    {
        QFETCH(QString, kind);
        QFETCH(QString, in);
        QString got;
        if (kind == "model") {
            got = QString::number(portCount(in)) + (isModbusModel(in) ? " M" : " -");
        } else if (kind == "mask") {
            for (const bool on : decodePortMask(in))
                got += on ? u'1' : u'0';
        } else if (kind == "address") {
            const auto octets = splitOctets(in);
            for (const qint64 v : octets.value_or(std::array<qint64, 4>{}))
                got += QString::number(v) + u'|';
            got = octets ? got.chopped(1) : "-";
        } else if (kind == "check") {
            got = ConsoleMenu::octetsInRange(in.split(u'|')) ? "ok" : "error";
        } else {
            got = portValue(in, kind.toInt());
        }
        QTEST(got, "out");
    }

    // The simulated device's screen, sent through the display rules in two
    // pieces cut anywhere, reads back as the device's values; the first piece
    // alone gives for every value the value, the start of a fixed-length one,
    // or nothing.
    void deviceScreenReadsBack_data()
    {
        QTest::addColumn<QString>("model");
        QTest::newRow("Modbus model") << "4630M4";
        QTest::newRow("eight-port model") << " 46308";
    }
    void deviceScreenReadsBack()
    {
        QFETCH(QString, model);
        SimulatedDevice::Settings s;
        s.ip = {192, 168, 1, 20};
        s.gateway = {10, 0, 0, 254};
        s.model = model;
        s.baudrates[7] = "115200";
        s.parities[1] = "2";
        s.modbusMask = 0x5;
        const QByteArray bytes = SimulatedDevice::menuScreen(s);
        const QStringList want{"192.168.  1. 20", "255.255.255.  0", " 10.  0.  0.254", model,
                               "1:57600 2:9600 3:9600 4:9600 5:9600 6:9600 7:9600 8:115200",
                               s.isModbus() ? "05" : "", "1:8 2:8 3:8 4:8 5:8 6:8 7:8 8:8",
                               "1:0 2:2 3:0 4:0 5:0 6:0 7:0 8:0",
                               "1:1 2:1 3:1 4:1 5:1 6:1 7:1 8:1"};
        for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
            TerminalText term;
            Cp950::Decoder decoder;
            term.showData(decoder.decode(bytes.left(cut)));
            const QStringList part = readAll(term.text());
            term.showData(decoder.decode(bytes.mid(cut)));
            QCOMPARE(readAll(term.text()), want);
            // The lists end at their CR; a lone mask digit is padded at its CR.
            for (int i = 0; i < want.size(); ++i) {
                QVERIFY2(part[i].isEmpty() || part[i] == want[i]
                             || (i <= Modbus && want[i].startsWith(part[i]))
                             || (i == Modbus && want[i] == '0' + part[i]),
                         qPrintable(QStringLiteral("%1 after %2 bytes").arg(part[i]).arg(cut)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TstMenuScreen)
#include "tst_menuscreen.moc"
