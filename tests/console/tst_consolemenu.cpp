#include "console/consolemenu.h"
#include "tests/support/simulateddevice.h"

#include <QTest>

using ConsoleMenu::Setting;
Q_DECLARE_METATYPE(ConsoleMenu::Setting)

// The values that the console operations send and show.
class TstConsoleMenu : public QObject
{
    Q_OBJECT

private slots:
    void octetCheck_data()
    {
        QTest::addColumn<QStringList>("octets");
        QTest::addColumn<bool>("passes");
        QTest::newRow("255 passes") << QStringList{"192", "9", "40", "255"} << true;
        QTest::newRow("256 last fails") << QStringList{"192", "9", "40", "256"} << false;
        QTest::newRow("300 first fails") << QStringList{"300", "1", "1", "1"} << false;
        QTest::newRow("leading zero") << QStringList{"010", "1", "1", "1"} << true;
        QTest::newRow("blank inside counts up to it") << QStringList{" 25 6", "1", "1", "1"} << true;
        QTest::newRow("digits behind a blank") << QStringList{"1", "2560 ", "1", "1"} << false;
        QTest::newRow("empty and not numbers count as 0")
            << QStringList{"", "abc", "-5", "1"} << true;
    }
    void octetCheck()
    {
        QFETCH(QStringList, octets);
        QFETCH(bool, passes);
        QCOMPARE(ConsoleMenu::octetsInRange(octets), passes);
    }

    void choices_data()
    {
        QTest::addColumn<Setting>("setting");
        QTest::addColumn<int>("port");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("value");  // from an all-ports list
        QTest::addColumn<int>("chosen");     // the entry that shows it
        QTest::addColumn<QStringList>("sent"); // for entries 0, 1, ... and then none
        const QStringList bauds{"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};
        QTest::newRow("baud rate") << Setting::Baudrate << 3 << bauds << "115200" << 7
                                   << (bauds + QStringList{""});
        QTest::newRow("baud rate not offered") << Setting::Baudrate << 1 << bauds << "300" << -1
                                               << (bauds + QStringList{""});
        QTest::newRow("data bits, port 1") << Setting::Databit << 1 << QStringList{"7", "8"} << "5"
                                           << -1 << QStringList{"7", "8", ""};
        QTest::newRow("data bits, port 3") << Setting::Databit << 3
                                           << QStringList{"5", "6", "7", "8"} << "5" << 0
                                           << QStringList{"5", "6", "7", "8", ""};
        QTest::newRow("parity code 2 is Odd") << Setting::Parity << 2
                                              << QStringList{"None", "Even", "Odd"} << "2" << 2
                                              << QStringList{"0", "1", "2", ""};
        QTest::newRow("parity code 1 is Even") << Setting::Parity << 3
                                               << QStringList{"None", "Even", "Odd"} << "1" << 1
                                               << QStringList{"0", "1", "2", ""};
        QTest::newRow("parity by name is no code") << Setting::Parity << 3
                                                   << QStringList{"None", "Even", "Odd"} << "Even"
                                                   << -1 << QStringList{"0", "1", "2", ""};
        QTest::newRow("stop bits, port 2: always 1") << Setting::Stopbit << 2 << QStringList{"1"}
                                                     << "2" << 0 << QStringList{"1", "1"};
        QTest::newRow("stop bits, port 8") << Setting::Stopbit << 8 << QStringList{"1", "2"} << "2"
                                           << 1 << QStringList{"1", "2", ""};
    }
    void choices()
    {
        QFETCH(Setting, setting);
        QFETCH(int, port);
        QFETCH(QStringList, entries);
        QFETCH(QString, value);
        QFETCH(int, chosen);
        QFETCH(QStringList, sent);
        QCOMPARE(ConsoleMenu::entries(setting, port), entries);
        QCOMPARE(ConsoleMenu::entryFor(setting, port, value), chosen);
        QStringList texts;
        for (int i = 0; i < entries.size(); ++i)
            texts << ConsoleMenu::sentText(setting, port, i);
        texts << ConsoleMenu::sentText(setting, port, -1);
        QCOMPARE(texts, sent);
    }

    // Each setting's line as the device redisplays it after a change.
    void linesOfTheRedisplayedMenu()
    {
        SimulatedDevice::Settings s;
        s.baudrates[2] = QStringLiteral("115200");
        s.parities[7] = QStringLiteral("2");
        const QString screen = QString::fromLatin1(SimulatedDevice::menuScreen(s));
        QCOMPARE(ConsoleMenu::readLine(Setting::Baudrate, screen),
                 QStringLiteral("1:57600 2:9600 3:115200 4:9600 5:9600 6:9600 7:9600 8:9600"));
        QCOMPARE(ConsoleMenu::readLine(Setting::Databit, screen),
                 QStringLiteral("1:8 2:8 3:8 4:8 5:8 6:8 7:8 8:8"));
        QCOMPARE(ConsoleMenu::readLine(Setting::Parity, screen),
                 QStringLiteral("1:0 2:0 3:0 4:0 5:0 6:0 7:0 8:2"));
        QCOMPARE(ConsoleMenu::readLine(Setting::Stopbit, screen),
                 QStringLiteral("1:1 2:1 3:1 4:1 5:1 6:1 7:1 8:1"));
        QCOMPARE(ConsoleMenu::menuLetter(Setting::Stopbit), QStringLiteral("S"));
        // A screen without the line gives nothing.
        QCOMPARE(ConsoleMenu::readLine(Setting::Parity, QStringLiteral("Invalid value\r\n")),
                 QString());
    }

    void modbusMask()
    {
        std::array<QString, 8> flags;
        flags.fill(QStringLiteral("1"));
        QCOMPARE(ConsoleMenu::modbusMask(flags), 255);
        flags[2] = QStringLiteral("0");
        QCOMPARE(ConsoleMenu::modbusMask(flags), 251);
        // Flags never written (a model without Modbus) count as off.
        flags = {QStringLiteral("1"), QStringLiteral("1")};
        QCOMPARE(ConsoleMenu::modbusMask(flags), 3);
        flags = {};
        QCOMPARE(ConsoleMenu::modbusMask(flags), 0);
    }
};

QTEST_GUILESS_MAIN(TstConsoleMenu)
#include "tst_consolemenu.moc"
