#include "app/codepage.h"
#include "console/menuscreen.h"
#include "console/terminaltext.h"
#include "tests/support/simulateddevice.h"

#include <QTest>

using namespace MenuScreen;

namespace {

// A screen the way the terminal holds it: every line ends in CR LF.
QString lines(std::initializer_list<const char *> rows)
{
    QString s;
    for (const char *r : rows)
        s += QString::fromLatin1(r) + QStringLiteral("\r\n");
    return s;
}

// Bytes from the device through the display rules, in the given pieces.
QString throughTerminal(const QByteArray &bytes, const QList<qsizetype> &cuts)
{
    TerminalText term;
    Cp950::Decoder decoder;
    qsizetype from = 0;
    for (const qsizetype cut : cuts) {
        term.showData(decoder.decode(bytes.mid(from, cut - from)));
        from = cut;
    }
    term.showData(decoder.decode(bytes.mid(from)));
    return term.text();
}

} // namespace

class TstMenuScreen : public QObject
{
    Q_OBJECT

private slots:
    void prompt_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<bool>("found");
        QTest::newRow("prompt") << QStringLiteral("\r\nA:\\>") << true;
        QTest::newRow("blank after") << QStringLiteral("\r\nA:\\> ") << false;
        QTest::newRow("line end after") << QStringLiteral("A:\\>\r\n") << false;
        QTest::newRow("lower case") << QStringLiteral("a:\\>") << false;
        QTest::newRow("empty") << QString() << false;
    }
    void prompt()
    {
        QFETCH(QString, screen);
        QFETCH(bool, found);
        QCOMPARE(hasPrompt(screen), found);
    }

    void readings_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("expected");

        const QString full = lines({"I : Modify IP ADDR  192.  9. 40.100",
                                    "M : Modify Model No  4630M4 rest",
                                    "B : Modify Baudrate 1:57600 2:9600 3:9600 4:9600 ",
                                    "                    5:9600 6:9600 7:9600 8:9600 ",
                                    "D : Modify Databit  1:8 2:8 3:8 4:8 5:8 6:8 7:8 8:8 ",
                                    "P : Modify Parity   1:0 2:0 3:0 4:0 5:0 6:0 7:0 8:0 ",
                                    "U : Modify fUnction 5"});
        QTest::newRow("address") << full << kLabelIp << QStringLiteral("192.  9. 40.100");
        QTest::newRow("model, six from the column")
            << full << kLabelModel << QStringLiteral(" 4630M");
        QTest::newRow("baud rates over two lines")
            << full << kLabelBaudrate
            << QStringLiteral("1:57600 2:9600 3:9600 4:9600 5:9600 6:9600 7:9600 8:9600");
        QTest::newRow("to the line end")
            << full << kLabelParity << QStringLiteral("1:0 2:0 3:0 4:0 5:0 6:0 7:0 8:0");
        QTest::newRow("one-digit mask") << full << kLabelModbus << QStringLiteral("05");

        // Open cases: whatever is missing reads as empty, never from elsewhere.
        QTest::newRow("missing label") << full << kLabelGateway << QString();
        QTest::newRow("label is case-sensitive")
            << lines({"i : modify ip addr  1.  2.  3.  4"}) << kLabelIp << QString();
        QTest::newRow("text ends in the value")
            << QStringLiteral("I : Modify IP ADDR  192.  9") << kLabelIp
            << QStringLiteral("192.  9");
        QTest::newRow("text ends at the label")
            << QStringLiteral("I : Modify IP ADDR  ") << kLabelIp << QString();
        QTest::newRow("line without CR")
            << QStringLiteral("P : Modify Parity   1:0 2:0") << kLabelParity << QString();
        QTest::newRow("line shorter than the column")
            << lines({"P : Modify Parity", "x"}) << kLabelParity << QString();
        QTest::newRow("baud second line unfinished")
            << QStringLiteral("B : Modify Baudrate 1:57600 2:9600 \r\n                    5:96")
            << kLabelBaudrate << QStringLiteral("1:57600 2:9600");
        QTest::newRow("baud first line unfinished")
            << QStringLiteral("B : Modify Baudrate 1:57600") << kLabelBaudrate << QString();
        QTest::newRow("baud second line short")
            << lines({"B : Modify Baudrate 1:57600 ", "x"}) << kLabelBaudrate
            << QStringLiteral("1:57600");
        QTest::newRow("mask at the end of the text")
            << QStringLiteral("U : Modify fUnction F") << kLabelModbus << QStringLiteral("F");
        QTest::newRow("first occurrence counts")
            << lines({"D : Modify Databit  1:7 ", "D : Modify Databit  1:8 "}) << kLabelDatabit
            << QStringLiteral("1:7");
    }
    void readings()
    {
        QFETCH(QString, screen);
        QFETCH(QString, label);
        QFETCH(QString, expected);
        QString value;
        if (label == kLabelBaudrate)
            value = readTwoLines(screen, label);
        else if (label == kLabelModbus)
            value = readModbusField(screen);
        else if (label == kLabelDatabit || label == kLabelParity || label == kLabelStopbit)
            value = readToLineEnd(screen, label);
        else
            value = readFixed(screen, label, label == kLabelModel ? kModelChars : kAddressChars);
        QCOMPARE(value, expected);
    }

    void model_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("ports");
        QTest::addColumn<bool>("modbus");
        QTest::newRow("Modbus, four ports") << QStringLiteral("4630M4") << 4 << true;
        QTest::newRow("eight ports") << QStringLiteral("46308") << 8 << false;
        QTest::newRow("digit 0") << QStringLiteral("4630M0") << 0 << true;
        QTest::newRow("not a digit") << QStringLiteral("4630MX") << 0 << true;
        QTest::newRow("trailing blank") << QStringLiteral("46308 ") << 0 << false;
        QTest::newRow("lower-case m") << QStringLiteral("4630m4") << 4 << false;
    }
    void model()
    {
        QFETCH(QString, model);
        QFETCH(int, ports);
        QFETCH(bool, modbus);
        QCOMPARE(portCount(model), ports);
        QCOMPARE(isModbusModel(model), modbus);
    }

    void portMask_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("on"); // ports 1 to 8
        QTest::newRow("all") << QStringLiteral("FF") << QStringLiteral("11111111");
        QTest::newRow("ports 1 to 4") << QStringLiteral("0F") << QStringLiteral("11110000");
        QTest::newRow("padded digit") << QStringLiteral("05") << QStringLiteral("10100000");
        QTest::newRow("lower case") << QStringLiteral("a1") << QStringLiteral("10000101");
        QTest::newRow("not hex") << QStringLiteral("G1") << QStringLiteral("10000000");
        QTest::newRow("one character") << QStringLiteral("3") << QStringLiteral("00001100");
    }
    void portMask()
    {
        QFETCH(QString, mask);
        QFETCH(QString, on);
        const auto flags = decodePortMask(mask);
        QString got;
        for (const bool f : flags)
            got += f ? u'1' : u'0';
        QCOMPARE(got, on);
    }

    void portValue_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("value");
        const QString bauds = QStringLiteral("1:57600 2:9600 3:9600 4:9600 5:9600 6:9600 7:9600 8:19200");
        QTest::newRow("first") << bauds << 1 << QStringLiteral("57600");
        QTest::newRow("middle") << bauds << 4 << QStringLiteral("9600");
        QTest::newRow("last, to the end") << bauds << 8 << QStringLiteral("19200");
        QTest::newRow("port 9") << bauds << 9 << QString();
        QTest::newRow("own entry missing") << QStringLiteral("1:8 2:8 4:8") << 3 << QString();
        QTest::newRow("next entry missing") << QStringLiteral("1:8 2:8 3:7 5:8") << 3
                                            << QStringLiteral("7");
        QTest::newRow("short list") << QStringLiteral("1:8 2:8 3:7") << 3 << QStringLiteral("7");
        QTest::newRow("entries out of order") << QStringLiteral("2:8 1:7") << 1 << QString();
    }
    void portValue()
    {
        QFETCH(QString, list);
        QFETCH(int, port);
        QFETCH(QString, value);
        QCOMPARE(MenuScreen::portValue(list, port), value);
    }

    void octets_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("octets"); // joined with "|"; "-" for none
        QTest::newRow("padded") << QStringLiteral("192.  9. 40.100") << QStringLiteral("192|9|40|100");
        QTest::newRow("gateway with NULs")
            << QStringLiteral("192.168.1.1") + QString(5, QChar(0)) << QStringLiteral("192|168|1|1");
        QTest::newRow("leading zeros") << QStringLiteral("010.001.0.07") << QStringLiteral("10|1|0|7");
        QTest::newRow("text") << QStringLiteral("a.b.c.d") << QStringLiteral("0|0|0|0");
        QTest::newRow("five dots") << QStringLiteral("1.2.3.4.5") << QStringLiteral("1|2|3|4");
        QTest::newRow("launcher default") << QStringLiteral("Label1") << QStringLiteral("-");
        QTest::newRow("two dots") << QStringLiteral("1.2.3") << QStringLiteral("-");
    }
    void octets()
    {
        QFETCH(QString, address);
        QFETCH(QString, octets);
        const auto split = splitOctets(address);
        if (octets == QLatin1String("-")) {
            QVERIFY(!split);
            return;
        }
        QVERIFY(split);
        QStringList got;
        for (const qint64 v : *split)
            got << QString::number(v);
        QCOMPARE(got.join(QLatin1Char('|')), octets);
    }

    void leadingNumbers()
    {
        QCOMPARE(leadingNumber(QStringLiteral("  42x")), 42);
        QCOMPARE(leadingNumber(QStringLiteral("-5")), 0);
        QVERIFY(leadingNumber(QString(40, u'9')) > 255); // no overflow
    }

    // The simulated device's screen, sent in pieces through the display
    // rules, reads back as the device's values wherever it is cut.
    void deviceScreenReadsBack_data()
    {
        QTest::addColumn<bool>("modbus");
        QTest::newRow("Modbus model") << true;
        QTest::newRow("eight-port model") << false;
    }
    void deviceScreenReadsBack()
    {
        QFETCH(bool, modbus);
        SimulatedDevice::Settings s;
        s.ip = {192, 168, 1, 20};
        s.gateway = {10, 0, 0, 254};
        s.model = modbus ? QStringLiteral("4630M4") : QStringLiteral(" 46308");
        s.baudrates[7] = QStringLiteral("115200");
        s.parities[1] = QStringLiteral("2");
        s.modbusMask = 0x5;
        const QByteArray bytes = SimulatedDevice::menuScreen(s);

        for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
            const QString screen = throughTerminal(bytes, {cut});
            const DeviceMenu m = readDeviceMenu(screen);
            QCOMPARE(m.ip, QStringLiteral("192.168.  1. 20"));
            QCOMPARE(m.mask, QStringLiteral("255.255.255.  0"));
            QCOMPARE(m.gateway, QStringLiteral(" 10.  0.  0.254"));
            QCOMPARE(m.model.trimmed(), modbus ? QStringLiteral("4630M4") : QStringLiteral("46308"));
            QCOMPARE(m.baudrates,
                     QStringLiteral("1:57600 2:9600 3:9600 4:9600 5:9600 6:9600 7:9600 8:115200"));
            QCOMPARE(m.databits, QStringLiteral("1:8 2:8 3:8 4:8 5:8 6:8 7:8 8:8"));
            QCOMPARE(m.parities, QStringLiteral("1:0 2:2 3:0 4:0 5:0 6:0 7:0 8:0"));
            QCOMPARE(m.stopbits, QStringLiteral("1:1 2:1 3:1 4:1 5:1 6:1 7:1 8:1"));
            QCOMPARE(readModbusField(screen), modbus ? QStringLiteral("05") : QString());
        }
    }

    // A screen cut short anywhere gives, for every value, either the value,
    // the start of a fixed-length one, or nothing.
    void truncatedScreenIsHarmless()
    {
        const QString full = throughTerminal(SimulatedDevice::menuScreen({}), {});
        const DeviceMenu whole = readDeviceMenu(full);
        auto acceptable = [](const QString &got, const QString &want, bool prefixAllowed) {
            return got.isEmpty() || got == want || (prefixAllowed && want.startsWith(got));
        };
        for (qsizetype n = 0; n <= full.size(); ++n) {
            const QString cut = full.left(n);
            const DeviceMenu m = readDeviceMenu(cut);
            QVERIFY2(acceptable(m.ip, whole.ip, true), qPrintable(m.ip));
            QVERIFY2(acceptable(m.model, whole.model, true), qPrintable(m.model));
            QVERIFY2(acceptable(m.baudrates, whole.baudrates, true), qPrintable(m.baudrates));
            QVERIFY2(acceptable(m.databits, whole.databits, false), qPrintable(m.databits));
            QVERIFY2(acceptable(m.stopbits, whole.stopbits, false), qPrintable(m.stopbits));
            QVERIFY(acceptable(readModbusField(cut), QStringLiteral("FF"), true));
        }
    }
};

QTEST_GUILESS_MAIN(TstMenuScreen)
#include "tst_menuscreen.moc"
