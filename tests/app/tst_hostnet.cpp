#include "app/hostnet.h"
#include "tests/support/fakehostnet.h"

#include <QTest>

using namespace HostNet;

namespace {

const QString kFoundSuffix = QStringLiteral("   IP addresses found on your PC !!");
const QString kRule = QString(50, QLatin1Char('-'));

QString nuls(int n)
{
    return QString(n, QChar(0));
}

std::vector<TableRow> threeRows()
{
    return {{storedAddress(192, 168, 1, 10), 7, storedAddress(255, 255, 255, 0),
             storedAddress(192, 168, 1, 255)},
            {storedAddress(10, 0, 0, 5), 9, storedAddress(255, 0, 0, 0),
             storedAddress(10, 255, 255, 255)},
            {storedAddress(127, 0, 0, 1), 1, storedAddress(255, 0, 0, 0), storedAddress(1, 0, 0, 0)}};
}

} // namespace

class TstHostNet : public QObject
{
    Q_OBJECT

private slots:
    void convertAddressToString_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("loopback") << QByteArray::fromHex("7F000001") << "127.0.0.1";
        QTest::newRow("zeros") << QByteArray::fromHex("00000000") << "0.0.0.0";
        QTest::newRow("memory order") << QByteArray::fromHex("C0A8010A") << "192.168.1.10";
        QTest::newRow("all ones") << QByteArray::fromHex("FFFFFFFF") << "255.255.255.255";
    }
    void convertAddressToString()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        quint32 stored = 0;
        std::memcpy(&stored, bytes.constData(), sizeof stored);
        QCOMPARE(ConvertAddressToString(stored), text);
    }

    void gatewayIsTheLastAdaptersField_data()
    {
        QTest::addColumn<QStringList>("gateways");
        QTest::addColumn<QString>("label");
        QTest::newRow("one adapter")
            << QStringList{"192.168.1.1"} << QStringLiteral("192.168.1.1") + nuls(5);
        QTest::newRow("several")
            << QStringList{"192.168.1.1", "10.0.0.138", "172.16.0.1"}
            << QStringLiteral("172.16.0.1") + nuls(6);
        QTest::newRow("last has none")
            << QStringList{"192.168.1.1", QString()} << nuls(16);
        QTest::newRow("longest address")
            << QStringList{"255.255.255.255"} << QStringLiteral("255.255.255.255") + nuls(1);
    }
    void gatewayIsTheLastAdaptersField()
    {
        QFETCH(QStringList, gateways);
        QFETCH(QString, label);
        FakeHostNet net;
        net.setGateways(gateways);
        const NetworkInfo info = GetNetworkInfo(net);
        QVERIFY(info.message.isEmpty());
        QVERIFY(info.gateway.has_value());
        QCOMPARE(info.gateway->size(), 16);
        QCOMPARE(*info.gateway, label);
    }

    void gatewayKeepsWhatFollowsTheNul()
    {
        FakeHostNet net;
        AddressField field{};
        const char raw[16] = {'1', '.', '2', '.', '3', '.', '4', '\0', 'x', 'y', '\0', '\0', 'z'};
        std::memcpy(field.data(), raw, sizeof raw);
        net.chain = {{field}};
        const NetworkInfo info = GetNetworkInfo(net);
        QCOMPARE(*info.gateway, QString::fromLatin1(raw, 16));
    }

    void noAdaptersLeavesTheGateway()
    {
        FakeHostNet net;
        const NetworkInfo info = GetNetworkInfo(net);
        QVERIFY(!info.gateway.has_value());
        QVERIFY(info.message.isEmpty());
    }

    void sizeQueries_data()
    {
        QTest::addColumn<quint32>("paramsSize");
        QTest::addColumn<quint32>("adaptersSize");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("calls");
        const QStringList all{"paramsSize", "params", "adaptersSize", "adapters"};
        QTest::newRow("both too small") << 111u << 111u << QString() << all;
        QTest::newRow("both fine") << 0u << 0u << QString() << all;
        QTest::newRow("params 232")
            << 232u << 111u << "GetNetworkParams sizing failed with error 232"
            << QStringList{"paramsSize"};
        QTest::newRow("params 87")
            << 87u << 111u << "GetNetworkParams sizing failed with error 87"
            << QStringList{"paramsSize"};
        QTest::newRow("adapters 232")
            << 111u << 232u << "GetAdaptersInfo sizing failed with error 232"
            << QStringList{"paramsSize", "params", "adaptersSize"};
    }
    void sizeQueries()
    {
        QFETCH(quint32, paramsSize);
        QFETCH(quint32, adaptersSize);
        QFETCH(QString, message);
        QFETCH(QStringList, calls);
        FakeHostNet net;
        net.setGateways({"192.168.1.1"});
        net.paramsSizeResult = paramsSize;
        net.adaptersSizeResult = adaptersSize;
        const NetworkInfo info = GetNetworkInfo(net);
        QCOMPARE(info.message, message);
        QCOMPARE(net.calls, calls);
        QCOMPARE(info.gateway.has_value(), message.isEmpty());
    }

    void dataQueryFailuresAreSilent()
    {
        FakeHostNet net;
        net.setGateways({"192.168.1.1"});
        net.paramsResult = 87;
        NetworkInfo info = GetNetworkInfo(net);
        QVERIFY(info.message.isEmpty());
        QVERIFY(!info.gateway);
        QVERIFY2(!net.calls.contains("adaptersSize"), "adapters asked after a failed query");

        net.paramsResult = kNoError;
        net.adaptersResult = 111;
        info = GetNetworkInfo(net);
        QVERIFY(info.message.isEmpty());
        QVERIFY(!info.gateway);
    }

    void summaryOfAFullTable()
    {
        FakeHostNet net;
        net.table = buildAddressTable(threeRows());
        const AddressSummary s = addressTableSummary(net);
        const QStringList expected{
            "3" + kFoundSuffix,
            kRule,
            "IP address                   : 192.168.1.10",
            "IP Subnetmask            : 255.255.255.0",
            "BroadCast IP address  : 192.168.1.255",
            kRule,
        };
        QCOMPARE(s.lines, expected);
        QCOMPARE(s.pcIp, QStringLiteral("192.168.1.10"));
        QCOMPARE(s.pcMask, QStringLiteral("255.255.255.0"));
        QVERIFY(!s.failed);
        QCOMPARE(s.lines.at(2).indexOf(':'), QStringLiteral("IP address").size() + 19);
    }

    void summaryEndsQuietlyWithoutASize_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::newRow("zero") << qint64(0);
        QTest::newRow("negative") << qint64(-1);
    }
    void summaryEndsQuietlyWithoutASize()
    {
        QFETCH(qint64, size);
        FakeHostNet net;
        net.table = buildAddressTable(threeRows());
        net.tableSize = size;
        const AddressSummary s = addressTableSummary(net);
        QVERIFY(s.lines.isEmpty());
        QVERIFY(!s.failed);
        QVERIFY(!s.pcIp && !s.pcMask);
        QVERIFY2(!net.calls.contains("table"), "table read although its size was none");
    }

    // The table's count may promise more rows than its buffer holds; only the
    // buffer's size bounds what is read.
    void summaryOfAShortTable_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("failed");
        QTest::newRow("one row of three") << kTableCountBytes + kTableRowBytes << 6 << false;
        QTest::newRow("first row cut") << kTableCountBytes + kTableRowBytes - 1 << 2 << true;
        QTest::newRow("count only") << kTableCountBytes << 2 << true;
        QTest::newRow("count cut") << qint64(2) << 0 << true;
    }
    void summaryOfAShortTable()
    {
        QFETCH(qint64, size);
        QFETCH(int, lines);
        QFETCH(bool, failed);
        FakeHostNet net;
        // The bytes end where the size says, so a read past them is caught.
        net.table = buildAddressTable(threeRows()).left(size);
        net.tableSize = size;
        const AddressSummary s = addressTableSummary(net);
        QCOMPARE(s.lines.size(), lines);
        QCOMPARE(s.failed, failed);
        QCOMPARE(s.pcIp.has_value(), !failed);
        if (lines > 0)
            QCOMPARE(s.lines.first(), "3" + kFoundSuffix);
    }

    void summaryReadsUnwrittenBytesAsZero()
    {
        FakeHostNet net;
        net.table.clear();
        net.tableSize = kTableCountBytes + kTableRowBytes;
        const AddressSummary s = addressTableSummary(net);
        QVERIFY(!s.failed);
        QCOMPARE(s.lines.first(), "0" + kFoundSuffix);
        QCOMPARE(s.pcIp, QStringLiteral("0.0.0.0"));
    }

    void summaryIgnoresBytesBeyondTheSize()
    {
        FakeHostNet net;
        net.table = buildAddressTable(threeRows());
        net.tableSize = kTableCountBytes + 10;
        const AddressSummary s = addressTableSummary(net);
        QVERIFY(s.failed);
        QVERIFY(!s.pcIp);
    }

    void defaultRoutesFromTheKernelTable()
    {
        const QByteArray table =
            "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
            "wlan0\t00000000\t0101A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
            "eth0\t00000000\t0100000A\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
            "eth0\t00000000\t0200000A\t0003\t0\t0\t50\t00000000\t0\t0\t0\n"
            "eth0\t0000000A\t00000000\t0001\t0\t0\t100\t000000FF\t0\t0\t0\n"
            "tun0\t00000000\t00000000\t0001\t0\t0\t10\t00000000\t0\t0\t0\n"
            "bad\tzz\n";
        const DefaultRoutes routes = defaultRoutes(table);
        QCOMPARE(routes.gateways.size(), 2);
        // The kernel writes each stored value in hexadecimal; on this machine
        // it reads back as the same stored bytes.
        QCOMPARE(ConvertAddressToString(routes.gateways.value("eth0")),
                 ConvertAddressToString(0x0200000Au));
        QCOMPARE(ConvertAddressToString(routes.gateways.value("wlan0")),
                 ConvertAddressToString(0x0101A8C0u));
        QCOMPARE(routes.preferred, QStringLiteral("eth0"));
        QVERIFY(defaultRoutes(QByteArray()).gateways.isEmpty());
    }

    // The interface of the preferred route leads the table and ends the
    // chain, so address, mask and gateway describe the same network.
    void snapshotPutsThePreferredInterfaceFirstAndLast()
    {
        std::vector<Interface> interfaces(4);
        interfaces[0] = {"lo", 1, true, true, {{storedAddress(127, 0, 0, 1), storedAddress(255, 0, 0, 0), 0}}};
        interfaces[1] = {"docker0", 3, false, true,
                         {{storedAddress(172, 17, 0, 1), storedAddress(255, 255, 0, 0),
                           storedAddress(172, 17, 255, 255)}}};
        interfaces[2] = {"eth0", 2, false, true,
                         {{storedAddress(192, 168, 1, 10), storedAddress(255, 255, 255, 0),
                           storedAddress(192, 168, 1, 255)}}};
        interfaces[3] = {"wlan0", 4, false, false, {}};
        DefaultRoutes routes;
        routes.gateways.insert("eth0", storedAddress(192, 168, 1, 1));
        routes.preferred = "eth0";

        const Snapshot snap = snapshotOf(interfaces, routes);
        QCOMPARE(snap.rows.size(), std::size_t(3));
        QCOMPARE(snap.rows.front().index, 2u);
        QCOMPARE(snap.rows.back().index, 1u);
        QCOMPARE(snap.adapters.size(), std::size_t(2)); // no loopback, no address-less one

        FakeHostNet net;
        net.chain = snap.adapters;
        net.table = buildAddressTable(snap.rows);
        QCOMPARE(*GetNetworkInfo(net).gateway, QStringLiteral("192.168.1.1") + nuls(5));
        const AddressSummary s = addressTableSummary(net);
        QCOMPARE(s.lines.first(), "3" + kFoundSuffix);
        QCOMPARE(s.pcIp, QStringLiteral("192.168.1.10"));
    }

    void systemSourceAnswersConsistently()
    {
        Source &system = Source::current();
        const NetworkInfo info = GetNetworkInfo(system);
        if (info.gateway)
            QCOMPARE(info.gateway->size(), 16);
        const AddressSummary s = addressTableSummary(system);
        QVERIFY(!s.failed);
        if (!s.lines.isEmpty()) {
            QCOMPARE(s.lines.size(), 6);
            QVERIFY(s.lines.first().endsWith(kFoundSuffix));
            QVERIFY(s.pcIp && s.pcIp->count('.') == 3);
        }
    }
};

QTEST_GUILESS_MAIN(TstHostNet)
#include "tst_hostnet.moc"
