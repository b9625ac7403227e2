#include "netclient/addresssetting.h"
#include "netclient/comsetting.h"

#include <QTest>

namespace {

AddressSetting::Octets octets(const QString &joined)
{
    const QStringList parts = joined.split(u'|');
    AddressSetting::Octets o;
    for (size_t i = 0; i < o.size() && i < size_t(parts.size()); ++i)
        o[i] = parts.at(qsizetype(i));
    return o;
}

QString joined(const AddressSetting::Octets &o)
{
    return QStringList(o.begin(), o.end()).join(u'|');
}

// The selected item of a list, "-" for none.
QString selected(const QStringList &items, int index)
{
    return index >= 0 && index < items.size() ? items.at(index) : QStringLiteral("-");
}

} // namespace

// The logic of the address dialogs and of the COM-port setting dialog.
class TstNetDialogs : public QObject
{
    Q_OBJECT

private slots:
    // The label split at its first three dots; no dotted address, no octets.
    void addressPrefill_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("boxes");
        QTest::newRow("address") << "10.0.0.1" << "10|0|0|1";
        QTest::newRow("more dots") << "1.2.3.4.5" << "1|2|3|4.5";
        QTest::newRow("line end") << "255.255.255.0\r\n" << "255|255|255|0\r\n";
        QTest::newRow("ends in a dot") << "1.2.3." << "1|2|3|";
        QTest::newRow("unconnected") << "Unconnected" << "|||";
        QTest::newRow("two dots") << "1.2.3" << "|||";
        QTest::newRow("design text") << "1,23,456,789" << "|||";
    }
    void addressPrefill()
    {
        QFETCH(QString, label);
        QTEST(joined(AddressSetting::splitLabel(label)), "boxes");
    }

    // Values of 256 and more fail, anywhere; octets below that typed with one
    // or two characters are zero-filled, everything else goes as typed.
    void addressCheck_data()
    {
        QTest::addColumn<QString>("boxes");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("argument");
        QTest::newRow("address") << "192|9|40|100" << true << "192009040100";
        QTest::newRow("255 passes") << "255|255|255|255" << true << "255255255255";
        QTest::newRow("256 first") << "256|9|40|1" << false << "256009040001";
        QTest::newRow("256 last") << "1|1|1|256" << false << "001001001256";
        QTest::newRow("empty box counts as 0") << "|1|2|3" << true << "001002003";
        QTest::newRow("leading zero") << "0255|1|1|1" << true << "0255001001001";
        QTest::newRow("negative") << "-1|1|1|1" << true << "0-1001001001";
        QTest::newRow("sign counts") << "+300|1|1|1" << false << "+300001001001";
        QTest::newRow("fraction counts") << "255.9|1|1|1" << true << "255.9001001001";
        QTest::newRow("leading blank") << " 256|1|1|1" << false << " 256001001001";
        QTest::newRow("inner blank ends the number") << "2 56|1|1|1" << true << "2 56001001001";
        QTest::newRow("no number") << "ab|1|1|1" << true << "0ab001001001";
        QTest::newRow("huge") << "99999999999999999999|1|1|1" << false
                              << "99999999999999999999001001001";
    }
    void addressCheck()
    {
        QFETCH(QString, boxes);
        QFETCH(bool, ok);
        QFETCH(QString, argument);
        const AddressSetting::Check c = AddressSetting::check(octets(boxes));
        QCOMPARE(c.ok, ok);
        QCOMPARE(c.status(), ok ? QStringLiteral("Ok!") : QStringLiteral("Error!"));
        QCOMPARE(c.argument, argument);
        QCOMPARE(QStringList(c.sent.begin(), c.sent.end()).join(QString()), argument);
    }

    void addressRequests()
    {
        using AddressSetting::Kind;
        const AddressSetting::Octets boxes = octets("192|9|40|100");
        const QString arg = AddressSetting::check(boxes).argument;
        QCOMPARE(AddressSetting::request(Kind::Ip, arg), QStringLiteral("08192009040100"));
        QCOMPARE(AddressSetting::request(Kind::Mask, arg), QStringLiteral("14192009040100"));
        QCOMPARE(AddressSetting::request(Kind::Gateway, arg), QStringLiteral("12192009040100"));
        QCOMPARE(AddressSetting::typedAddress(boxes), QStringLiteral("192.9.40.100"));
        QCOMPARE(AddressSetting::typedAddress(octets("010|0|0|1")), QStringLiteral("010.0.0.1"));
    }

    // The lists by port and the choices preselected from the settings reply
    // and the Modbus status; what matches no item selects nothing.
    void comFill_data()
    {
        QTest::addColumn<int>("portIndex");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("modbus");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shown"); // baud|data|parity|stop|modbus
        QTest::addColumn<QString>("lists"); // data bits / stop bits offered
        QTest::addColumn<bool>("modbusEnabled");
        auto row = [](const char *name, int p, const char *status, const char *module,
                      const char *modbus, const char *caption, const char *shown,
                      const char *lists, bool enabled) {
            QTest::newRow(name) << p << status << module << modbus << caption << shown << lists
                                << enabled;
        };
        row("COM3, plain device", 2, "115200,8,0,2", "4630E8", "1", "COMM3 Setting",
            "115200|8|none|2|-", "5678/12", false);
        row("COM1", 0, "9600,7,2,1", "4630E8", "", "COMM1 Setting", "9600|7|odd|1|-", "78/1",
            false);
        row("COM2 has no 5 data bits", 1, "9600,5,1,2", "4630E8", "", "COMM2 Setting",
            "9600|-|even|-|-", "78/1", false);
        row("error reply", 3, "ERROR", "4630E8", "", "COMM4 Setting", "-|-|-|-|-", "5678/12",
            false);
        row("five characters", 3, "8,0,1", "4630E8", "", "COMM4 Setting", "-|8|none|1|-",
            "5678/12", false);
        row("unknown parity digit", 3, "19200,8,3,1", "4630E8", "", "COMM4 Setting",
            "19200|8|-|1|-", "5678/12", false);
        row("unknown baud rate", 3, "19201,8,0,1", "4630E8", "", "COMM4 Setting",
            "-|8|none|1|-", "5678/12", false);
        row("Modbus on", 0, "19200,8,0,1", "4630M4", "1", "COMM1 Setting",
            "19200|8|none|1|Enable", "78/1", true);
        row("Modbus off", 0, "19200,8,0,1", "4630M4", "0", "COMM1 Setting",
            "19200|8|none|1|Disable", "78/1", true);
        row("Modbus status with line end", 0, "19200,8,0,1", "4630M4", "1\r\n",
            "COMM1 Setting", "19200|8|none|1|Enable", "78/1", true);
        row("Modbus error reply", 0, "19200,8,0,1", "4630M4",
            "Input Command Not Support: Module not support ModbusTCP,", "COMM1 Setting",
            "19200|8|none|1|-", "78/1", true);
        row("no port listed", -1, "19200,8,0,1", "4630M4", "1", "COMM0 Setting",
            "-|-|-|-|Enable", "/", true);
    }
    void comFill()
    {
        QFETCH(int, portIndex);
        QFETCH(QString, status);
        QFETCH(QString, module);
        QFETCH(QString, modbus);
        QFETCH(QString, shown);
        const ComSetting::Fill f = ComSetting::fill(portIndex, status, module, modbus);
        QTEST(f.caption, "caption");
        QCOMPARE(QStringList({selected(f.baudrates, f.baudrate), selected(f.databits, f.databit),
                              selected(f.parities, f.parity), selected(f.stopbits, f.stopbit),
                              selected(f.modbus, f.modbusChoice)})
                     .join(u'|'),
                 shown);
        QTEST(f.databits.join(QString()) + u'/' + f.stopbits.join(QString()), "lists");
        QTEST(f.modbusEnabled, "modbusEnabled");
        QCOMPARE(f.modbus, QStringList({"Disable", "Enable"}));
    }

    // Every setting a port offers, read back from its settings reply and sent
    // again, gives the same settings text.
    void comChoicesRoundTrip()
    {
        for (int p = 0; p < 8; ++p) {
            const ComSetting::Fill lists = ComSetting::fill(p, QString(), QString(), QString());
            for (const QString &baud : lists.baudrates) {
                for (const QString &data : lists.databits) {
                    for (int parity = 0; parity < lists.parities.size(); ++parity) {
                        for (const QString &stop : lists.stopbits) {
                            const QString status =
                                QStringLiteral("%1,%2,%3,%4").arg(baud, data).arg(parity).arg(stop);
                            const ComSetting::Fill f =
                                ComSetting::fill(p, status, QStringLiteral("4630E8"), QString());
                            ComSetting::Choice c;
                            c.baudrate = selected(f.baudrates, f.baudrate);
                            c.databits = selected(f.databits, f.databit);
                            c.parity = f.parity;
                            c.stopbits = selected(f.stopbits, f.stopbit);
                            QCOMPARE(ComSetting::commStatusText(c), status);
                        }
                    }
                }
            }
        }
    }

    void comRequests_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<QString>("data");
        QTest::addColumn<int>("parity");
        QTest::addColumn<QString>("stop");
        QTest::addColumn<int>("modbus");
        QTest::addColumn<QString>("modbusText");
        QTest::addColumn<QString>("expected"); // the three requests, then the three labels
        QTest::newRow("port 3") << 3 << "9600" << "8" << 1 << "1" << 1 << "Enable"
                                << "0639600|073811|3231|9600,8,1,1|Modbus Enable|1";
        QTest::newRow("Modbus off") << 1 << "19200" << "8" << 0 << "1" << 0 << "Disable"
                                    << "06119200|071801|3210|19200,8,0,1|Modbus Disable|0";
        QTest::newRow("typed texts") << 2 << "14400" << "9" << -1 << "1.5" << -1 << "on"
                                     << "06214400|0729-11.5|322-1|14400,9,-1,1.5|Modbus on|1";
    }
    void comRequests()
    {
        QFETCH(int, port);
        ComSetting::Choice c;
        QFETCH(QString, baud);
        QFETCH(QString, data);
        QFETCH(int, parity);
        QFETCH(QString, stop);
        QFETCH(int, modbus);
        QFETCH(QString, modbusText);
        QFETCH(QString, expected);
        c.baudrate = baud;
        c.databits = data;
        c.parity = parity;
        c.stopbits = stop;
        c.modbus = modbus;
        c.modbusText = modbusText;
        QCOMPARE(QStringList({ComSetting::baudrateRequest(port, c),
                              ComSetting::dataFormatRequest(port, c),
                              ComSetting::modbusRequest(port, c), ComSetting::commStatusText(c),
                              ComSetting::modbusLabel(c), ComSetting::allModbusSetText(c)})
                     .join(u'|'),
                 expected);
    }
};

QTEST_GUILESS_MAIN(TstNetDialogs)
#include "tst_netdialogs.moc"
