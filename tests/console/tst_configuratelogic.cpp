#include "app/hostnet.h"
#include "console/configuratelogic.h"
#include "console/ipconfigreport.h"
#include "tests/support/fakehostnet.h"
#include "tests/support/simulateddevice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using IpconfigReport::PcAddresses;
using ConfigurateLogic::Octets;

namespace {

// The command's report as Windows XP writes it (CR LF line ends, a blank
// after every colon), two adapters, the connected one first.
QByteArray windowsReport(const QByteArray &firstGateway = "192.168.1.1")
{
    return "\r\n"
           "Windows IP Configuration\r\n"
           "\r\n"
           "        Host Name . . . . . . . . . . . . : WORKSHOP-PC\r\n"
           "        Primary Dns Suffix  . . . . . . . : \r\n"
           "\r\n"
           "Ethernet adapter Local Area Connection:\r\n"
           "\r\n"
           "        Connection-specific DNS Suffix  . : \r\n"
           "        Description . . . . . . . . . . . : Realtek RTL8139 PCI Fast Ethernet NIC\r\n"
           "        Physical Address. . . . . . . . . : 00-11-22-33-44-55\r\n"
           "        Dhcp Enabled. . . . . . . . . . . : No\r\n"
           "        IP Address. . . . . . . . . . . . : 192.168.1.10\r\n"
           "        Subnet Mask . . . . . . . . . . . : 255.255.255.0\r\n"
           "        Default Gateway . . . . . . . . . : "
           + firstGateway
           + "\r\n"
             "        DNS Servers . . . . . . . . . . . : 168.95.1.1\r\n"
             "\r\n"
             "Ethernet adapter Wireless Network Connection:\r\n"
             "\r\n"
             "        Dhcp Enabled. . . . . . . . . . . : Yes\r\n"
             "        IP Address. . . . . . . . . . . . : 10.0.0.23\r\n"
             "        Subnet Mask . . . . . . . . . . . : 255.0.0.0\r\n"
             "        Default Gateway . . . . . . . . . : 10.0.0.1\r\n";
}

QString values(const PcAddresses &pc)
{
    return pc.ip + u'|' + pc.mask + u'|' + pc.gateway;
}

QString joined(const Octets &o)
{
    return QStringList(o.begin(), o.end()).join(u'|');
}

HostNet::TableRow row(quint8 last, quint8 maskBits)
{
    return {storedAddress(192, 168, 1, last), 2, storedAddress(255, 255, 255, maskBits),
            storedAddress(192, 168, 1, 255)};
}

} // namespace

class TstConfigurateLogic : public QObject
{
    Q_OBJECT

private slots:
    // --- The ipconfig report -------------------------------------------------

    // The first occurrence of each label counts; what follows a shorter
    // value (its line break, the next line's indent, trailing blanks) is not
    // part of it; a missing label gives an empty value, not 15 characters
    // from elsewhere.
    void readReport_data()
    {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<QString>("read");
        const QByteArray win = windowsReport();
        QTest::newRow("Windows, two adapters") << win << "192.168.1.10|255.255.255.0|192.168.1.1";
        QTest::newRow("no gateway on the first adapter")
            << windowsReport("") << "192.168.1.10|255.255.255.0|";
        QByteArray vista = win;
        vista.replace("IP Address. . . . . . . . . . . . :", "IPv4 Address. . . . . . . . . . . :");
        QTest::newRow("IPv4 label of later systems") << vista << "|255.255.255.0|192.168.1.1";
        QByteArray lf = win;
        lf.replace("\r\n", "\n");
        QTest::newRow("LF line ends") << lf << "192.168.1.10|255.255.255.0|192.168.1.1";
        QTest::newRow("15 characters, then longer")
            << QByteArray("IP Address. . . . . . . . . . . . : 192.168.100.200\r\n"
                          "Subnet Mask . . . . . . . . . . . : 255.255.255.252garbage\r\n")
            << "192.168.100.200|255.255.255.252|";
        QTest::newRow("trailing blanks and a tab")
            << QByteArray("Subnet Mask . . . . . . . . . . . : 255.0.0.0  \t\r\n") << "|255.0.0.0|";
        QTest::newRow("ends at the label")
            << QByteArray("Default Gateway . . . . . . . . . :") << "||";
        QTest::newRow("line ends at the label, no blank")
            << QByteArray("IP Address. . . . . . . . . . . . :\n"
                          "        Subnet Mask . . . . . . . . . . . : 255.0.0.0\n"
                          "        Default Gateway . . . . . . . . . :\r"
                          "        DNS Servers . . . . . . . . . . . : 168.95.1.1\r")
            << "|255.0.0.0|";
    }
    void readReport()
    {
        QFETCH(QByteArray, report);
        QTEST(values(IpconfigReport::read(report)), "read");
    }

    // What the writer writes reads back as it was given, and its lines are
    // those of the command.
    void writeThenRead_data()
    {
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("gateway");
        QTest::addColumn<QString>("read");
        QTest::newRow("typical") << "192.168.1.10" << "255.255.255.0" << "192.168.1.1"
                                 << "192.168.1.10|255.255.255.0|192.168.1.1";
        QTest::newRow("15 characters each") << "192.168.100.200" << "255.255.255.252"
                                            << "192.168.100.254"
                                            << "192.168.100.200|255.255.255.252|192.168.100.254";
        QTest::newRow("no gateway") << "10.0.0.23" << "255.0.0.0" << ""
                                    << "10.0.0.23|255.0.0.0|";
        QTest::newRow("no address: no adapter") << "" << "255.0.0.0" << "10.0.0.1" << "||";
    }
    void writeThenRead()
    {
        QFETCH(QString, ip);
        QFETCH(QString, mask);
        QFETCH(QString, gateway);
        const QByteArray written = IpconfigReport::write({ip, mask, gateway});
        QTEST(values(IpconfigReport::read(written)), "read");

        const QByteArray windows = windowsReport(gateway.toLatin1());
        for (const QByteArray &line : written.split('\n')) {
            if (line.contains(" : ") && ip == "192.168.1.10")
                QVERIFY2(windows.contains(line + '\n'), line.constData());
        }
    }

    // Here the report is written at once from the launcher's addresses (the
    // first row of the address table, the last adapter's gateway); a report
    // that cannot be had reads as empty values.
    void reportFile()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(IpconfigReport::kFileName);
        QCOMPARE(values(IpconfigReport::readFile(path)), "||"); // not there yet
#ifndef Q_OS_WIN
        FakeHostNet net;
        net.table = HostNet::buildAddressTable({row(10, 0), row(20, 128)});
        net.setGateways({"10.9.9.9", "192.168.1.1"});
        QString why;
        QVERIFY2(IpconfigReport::produce(path, &why), qPrintable(why));
        QCOMPARE(values(IpconfigReport::readFile(path)), "192.168.1.10|255.255.255.0|192.168.1.1");
        QVERIFY(!IpconfigReport::produce(dir.filePath("missing/ipconfig.ini"), &why));
        QVERIFY(why.contains("missing/ipconfig.ini"));
#endif
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        QCOMPARE(values(IpconfigReport::readFile(dir.filePath("folder"))), "||");

        // Only the start of an oversized file is read.
        QFile big(dir.filePath("big"));
        QVERIFY(big.open(QIODevice::WriteOnly));
        big.write(QByteArray(IpconfigReport::kMaxReportBytes - 41, ' '));
        big.write("Subnet Mask . . . . . . . . . . . : 255.0.0.0\r\n");
        big.write(QByteArray(IpconfigReport::kMaxReportBytes, ' '));
        big.write("IP Address. . . . . . . . . . . . : 10.0.0.1\r\n");
        big.close();
        QCOMPARE(values(IpconfigReport::readFile(big.fileName())), "|255.0|");
    }

#ifndef Q_OS_WIN
    // The report's name in a folder that others can write: a symbolic link
    // or anything but a plain file is refused, naming the file, and nothing
    // is written or emptied through it.
    void reportNotThroughLinks_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("link to a file") << "link" << "symbolic link";
        QTest::newRow("link to nowhere") << "dangling" << "symbolic link";
        QTest::newRow("named pipe") << "fifo" << "not a regular file";
    }
    void reportNotThroughLinks()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir dir, other;
        const QString path = dir.filePath(IpconfigReport::kFileName);
        const QString target = other.filePath("precious");
        if (kind == "link") {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("keep") == 4);
        }
        if (kind == "fifo")
            QVERIFY(mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        else
            QVERIFY(QFile::link(target, path));
        FakeHostNet net;
        net.table = HostNet::buildAddressTable({row(10, 0)});
        QString why;
        bool refused = false;
        QVERIFY(!IpconfigReport::produce(path, &why, &refused) && refused);
        QVERIFY2(why.contains(path) && why.contains(reason), qPrintable(why));
        QCOMPARE(QFileInfo(path).isSymLink(), kind != "fifo");
        QCOMPARE(QFile::exists(target), kind == "link");
        QFile f(target);
        QVERIFY(kind != "link" || (f.open(QIODevice::ReadOnly) && f.readAll() == "keep"));
    }

    // A named pipe under the report's name gives empty values at once,
    // though a writer comes later; a link is not read through.
    void reportReadOnlyFromAPlainFile()
    {
        QTemporaryDir dir;
        const QString pipe = dir.filePath(IpconfigReport::kFileName);
        const QByteArray name = QFile::encodeName(pipe);
        QVERIFY(mkfifo(name.constData(), 0600) == 0);
        const QByteArray report = windowsReport();
        // Waits in open() for a reader, then writes a whole report.
        std::thread writer([&] {
            const int fd = ::open(name.constData(), O_WRONLY);
            if (fd >= 0) {
                [[maybe_unused]] const ssize_t n = ::write(fd, report.constData(), report.size());
                ::close(fd);
            }
        });
        const QString read = values(IpconfigReport::readFile(pipe));
        // Lets the writer go if the reader did not open the pipe.
        const int release = ::open(name.constData(), O_RDONLY | O_NONBLOCK);
        writer.join();
        ::close(release);
        QCOMPARE(read, "||");

        const QString plain = dir.filePath("plain");
        QFile f(plain);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(report) == report.size());
        f.close();
        const QString link = dir.filePath("link");
        QVERIFY(QFile::link(plain, link));
        QCOMPARE(values(IpconfigReport::readFile(link)), "||");
        QCOMPARE(values(IpconfigReport::readFile(plain)), "192.168.1.10|255.255.255.0|192.168.1.1");
    }
#endif

    // --- The receive text ----------------------------------------------------

    // The menu screen arriving in two pieces, split at every position: the
    // piece's CR inside a label hides the label (an empty value), inside a
    // value it ends the value; only a short IP address asks for a second
    // reading.
    void screenInTwoPieces()
    {
        const QString screen = QString::fromLatin1(SimulatedDevice::menuScreen({}));
        const QString labels[] = {QStringLiteral("I : Modify IP ADDR  "),
                                  QStringLiteral("N : Modify NetMask  "),
                                  QStringLiteral("G : Modify Gateway  ")};
        for (qsizetype s = 0; s <= screen.size(); ++s) {
            ConfigurateLogic::ReceiveText text;
            text.append(screen.left(s));
            text.append(screen.mid(s));
            const ConfigurateLogic::DeviceAddresses read =
                ConfigurateLogic::readDeviceAddresses(text.text());
            QStringList got{read.ip, read.mask, read.gateway};
            for (int k = 0; k < 3; ++k) {
                const qsizetype a = screen.indexOf(labels[k]);
                QString expected = screen.mid(a + 20, 15);
                if (s > a && s < a + 20)
                    expected.clear();
                else if (s >= a + 20 && s < a + 35)
                    expected = screen.mid(a + 20, s - a - 20);
                QVERIFY2(got[k] == expected,
                         qPrintable(QStringLiteral("split at %1: %2 instead of %3")
                                        .arg(s)
                                        .arg(got[k], expected)));
            }
            const qsizetype ipAt = screen.indexOf(labels[0]);
            const bool shortIp = s > ipAt && s < ipAt + 27;
            QCOMPARE(ConfigurateLogic::needsSecondReading(read.ip), shortIp);
        }
    }

    // Each piece behind a CR of its own; nothing for an empty poll; the
    // oldest text goes beyond the cap.
    void receivePieces()
    {
        ConfigurateLogic::ReceiveText text;
        QVERIFY(text.append(QString()));
        QVERIFY(text.append("A:\\>"));
        QVERIFY(text.append(""));
        QVERIFY(text.append("\nDIR\r\n"));
        QCOMPARE(text.text(), "\rA:\\>\r\nDIR\r\n");

        int dropped = 0;
        for (int i = 0; i < 40; ++i) {
            dropped += !text.append(QString(1000, QChar('a' + i % 26)));
            QVERIFY(text.text().size() <= ConfigurateLogic::ReceiveText::kCapChars + 1001);
        }
        QVERIFY(dropped > 0);
        QVERIFY(text.text().endsWith("\r" + QString(1000, QChar('a' + 39 % 26))));
        text.clear();
        QCOMPARE(text.text(), QString());

        // Shown, a CR LF pair, a lone CR and a lone LF each break the line.
        QCOMPARE(ConfigurateLogic::ReceiveText::toDisplay("\rA:\\>\r\r\nB\nC\r\n"),
                 "\nA:\\>\n\nB\nC\n");
    }

    // --- Proposals -----------------------------------------------------------

    // At load the PC's parts go in as they stand, the IP's last as its number
    // plus 1; at a reading, numbers, and the gateway is the device's with its
    // padded last two parts. A value without three dots proposes nothing.
    void proposals_data()
    {
        QTest::addColumn<QStringList>("pc"); // IP, mask, gateway
        QTest::addColumn<QString>("deviceGateway");
        QTest::addColumn<QStringList>("atLoad"); // IP, mask, gateway octets
        QTest::addColumn<QStringList>("atReading");
        QTest::newRow("typical")
            << QStringList{"192.168.1.10", "255.255.255.0", "192.168.1.1"} << "192.  9. 40.170"
            << QStringList{"192|168|1|11", "255|255|255|0", "192|168|1|1"}
            << QStringList{"192|168|1|11", "255|255|255|0", "192|9| 40|170"};
        QTest::newRow("last octet 255 suggests 256")
            << QStringList{"10.0.0.255", "255.0.0.0", ""} << ""
            << QStringList{"10|0|0|256", "255|0|0|0", "|||"}
            << QStringList{"10|0|0|256", "255|0|0|0", "|||"};
        QTest::newRow("not numeric, blanks, leading zeros")
            << QStringList{"010. 1.x.y", "255.255.0", "a.b.c.d"} << "x.  y.  z.  w"
            << QStringList{"010| 1|x|1", "|||", "a|b|c|d"}
            << QStringList{"10|1|0|1", "|||", "0|0|  z|  w"};
        QTest::newRow("more than three dots")
            << QStringList{"1.2.3.4.5", "1.2.3.4.5", "1.2.3.4.5"} << "1.2.3.4.5"
            << QStringList{"1|2|3|5", "1|2|3|4.5", "1|2|3|4.5"}
            << QStringList{"1|2|3|5", "1|2|3|4", "1|2|3|4.5"};
    }
    void proposals()
    {
        QFETCH(QStringList, pc);
        QFETCH(QString, deviceGateway);
        QFETCH(QStringList, atReading);
        const PcAddresses addresses{pc[0], pc[1], pc[2]};
        const auto load = ConfigurateLogic::proposeAtLoad(addresses);
        QTEST((QStringList{joined(load.ip), joined(load.mask), joined(load.gateway)}), "atLoad");
        const auto reading = ConfigurateLogic::proposeAtReading(addresses, deviceGateway);
        QCOMPARE((QStringList{joined(reading.ip), joined(reading.mask), joined(reading.gateway)}),
                 atReading);
    }
};

QTEST_GUILESS_MAIN(TstConfigurateLogic)
#include "tst_configuratelogic.moc"
