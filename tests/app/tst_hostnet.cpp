#include "app/hostnet.h"
#include "tests/support/fakehostnet.h"

#include <QTest>

using namespace HostNet;

namespace {

const QString kFound = QStringLiteral("   IP addresses found on your PC !!");
const QString kRule = QString(50, QLatin1Char('-'));

QString nuls(int n)
{
    return QString(n, QChar(0));
}

QByteArray threeRows()
{
    return buildAddressTable(
        {{storedAddress(192, 168, 1, 10), 7, storedAddress(255, 255, 255, 0),
          storedAddress(192, 168, 1, 255)},
         {storedAddress(10, 0, 0, 5), 9, storedAddress(255, 0, 0, 0), 0},
         {storedAddress(127, 0, 0, 1), 1, storedAddress(255, 0, 0, 0), 0}});
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
        QTest::newRow("high bytes") << QByteArray::fromHex("C0A801FF") << "192.168.1.255";
    }
    void convertAddressToString()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        quint32 stored = 0;
        std::memcpy(&stored, bytes.constData(), sizeof stored);
        QCOMPARE(ConvertAddressToString(stored), text);
    }

    void gatewayOfTheLastAdapter_data()
    {
        QTest::addColumn<QStringList>("gateways");
        QTest::addColumn<QString>("label");
        QTest::newRow("one") << QStringList{"192.168.1.1"} << "192.168.1.1" + nuls(5);
        QTest::newRow("several") << QStringList{"192.168.1.1", "10.0.0.138", "172.16.0.1"}
                                 << "172.16.0.1" + nuls(6);
        QTest::newRow("last has none") << QStringList{"192.168.1.1", QString()} << nuls(16);
        QTest::newRow("longest") << QStringList{"255.255.255.255"} << "255.255.255.255" + nuls(1);
    }
    void gatewayOfTheLastAdapter()
    {
        QFETCH(QStringList, gateways);
        QFETCH(QString, label);
        FakeHostNet net;
        net.setGateways(gateways);
        const NetworkInfo info = GetNetworkInfo(net);
        QVERIFY(info.message.isEmpty());
        QCOMPARE(info.gateway, label);
    }

    void failedQueries_data()
    {
        QTest::addColumn<QList<quint32>>("results"); // params size, params, adapters size, adapters
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("gateway");
        QTest::newRow("all fine") << QList<quint32>{0, 0, 0, 0} << QString() << true;
        QTest::newRow("params size 232") << QList<quint32>{232, 0, 111, 0}
                                         << "GetNetworkParams sizing failed with error 232" << false;
        QTest::newRow("adapters size 87") << QList<quint32>{111, 0, 87, 0}
                                          << "GetAdaptersInfo sizing failed with error 87" << false;
        QTest::newRow("params data") << QList<quint32>{111, 87, 111, 0} << QString() << false;
        QTest::newRow("adapters data") << QList<quint32>{111, 0, 111, 111} << QString() << false;
    }
    void failedQueries()
    {
        QFETCH(QList<quint32>, results);
        QFETCH(QString, message);
        QFETCH(bool, gateway);
        FakeHostNet net;
        net.setGateways({"192.168.1.1"});
        net.paramsSizeResult = results[0];
        net.paramsResult = results[1];
        net.adaptersSizeResult = results[2];
        net.adaptersResult = results[3];
        const NetworkInfo info = GetNetworkInfo(net);
        QCOMPARE(info.message, message);
        QCOMPARE(info.gateway.has_value(), gateway);
        // After a failed network-parameters query the adapters are not asked.
        const bool paramsFine = (results[0] == 0 || results[0] == 111) && results[1] == 0;
        QCOMPARE(net.calls.contains("adaptersSize"), paramsFine);
    }

    void summaryOfAFullTable()
    {
        FakeHostNet net;
        net.table = threeRows();
        const AddressSummary s = addressTableSummary(net);
        QCOMPARE(s.lines, (QStringList{"3" + kFound, kRule,
                                       "IP address                   : 192.168.1.10",
                                       "IP Subnetmask            : 255.255.255.0",
                                       "BroadCast IP address  : 192.168.1.255", kRule}));
        QCOMPARE(s.pcIp, QStringLiteral("192.168.1.10"));
        QCOMPARE(s.pcMask, QStringLiteral("255.255.255.0"));
        QVERIFY(!s.failed);
    }

    // Only the size that the size query gave bounds what is read, whatever
    // the table's count says; the fake's bytes end there too, so a read
    // beyond them would be caught by the sanitizers.
    void summaryOfAShortTable_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("failed");
        QTest::newRow("no size") << qint64(0) << 0 << false;
        QTest::newRow("negative size") << qint64(-1) << 0 << false;
        QTest::newRow("one row of three") << kTableCountBytes + kTableRowBytes << 6 << false;
        QTest::newRow("first row cut") << kTableCountBytes + kTableRowBytes - 1 << 2 << true;
        QTest::newRow("count cut") << qint64(2) << 0 << true;
    }
    void summaryOfAShortTable()
    {
        QFETCH(qint64, size);
        QFETCH(int, lines);
        QFETCH(bool, failed);
        FakeHostNet net;
        net.table = threeRows().left(qMax<qint64>(size, 0));
        net.tableSize = size;
        const AddressSummary s = addressTableSummary(net);
        QCOMPARE(s.lines.size(), lines);
        QCOMPARE(s.failed, failed);
        QCOMPARE(s.pcIp.has_value(), lines == 6);
        if (lines > 0)
            QCOMPARE(s.lines.first(), "3" + kFound);
        QCOMPARE(net.calls.contains("table"), size > 0);
    }

    void summaryReadsUnwrittenBytesAsZero()
    {
        FakeHostNet net;
        net.tableSize = kTableCountBytes + kTableRowBytes;
        const AddressSummary s = addressTableSummary(net);
        QCOMPARE(s.lines.first(), "0" + kFound);
        QCOMPARE(s.pcIp, QStringLiteral("0.0.0.0"));
    }

    void defaultRoutesFromTheKernelTable()
    {
        const DefaultRoutes routes = defaultRoutes(
            "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
            "wlan0\t00000000\t0101A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
            "eth0\t00000000\t0100000A\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
            "eth0\t00000000\t0200000A\t0003\t0\t0\t50\t00000000\t0\t0\t0\n"
            "eth0\t0000000A\t00000000\t0001\t0\t0\t0\t000000FF\t0\t0\t0\n"
            "tun0\t00000000\t00000000\t0001\t0\t0\t10\t00000000\t0\t0\t0\n"
            "bad\tzz\n");
        QCOMPARE(routes.gateways.size(), 2);
        QCOMPARE(routes.gateways.value("eth0"), 0x0200000Au); // lowest metric
        QCOMPARE(routes.gateways.value("wlan0"), 0x0101A8C0u);
        QCOMPARE(routes.preferred, QStringLiteral("eth0"));
    }

    // The interface of the preferred route leads the table and ends the
    // chain, so address, mask and gateway describe the same network.
    void snapshotPutsThePreferredInterfaceFirstAndLast()
    {
        const std::vector<Interface> interfaces{
            {"lo", 1, true, true, {{storedAddress(127, 0, 0, 1), 0, 0}}},
            {"docker0", 3, false, true, {{storedAddress(172, 17, 0, 1), 0, 0}}},
            {"eth0", 2, false, true,
             {{storedAddress(192, 168, 1, 10), storedAddress(255, 255, 255, 0), 0}}},
            {"wlan0", 4, false, false, {}}};
        DefaultRoutes routes;
        routes.gateways.insert("eth0", storedAddress(192, 168, 1, 1));
        routes.preferred = "eth0";
        const Snapshot snap = snapshotOf(interfaces, routes);

        FakeHostNet net;
        net.chain = snap.adapters;
        net.table = buildAddressTable(snap.rows);
        QCOMPARE(snap.adapters.size(), std::size_t(2)); // neither loopback nor address-less
        QCOMPARE(snap.rows.back().index, 1u);
        QCOMPARE(*GetNetworkInfo(net).gateway, "192.168.1.1" + nuls(5));
        const AddressSummary s = addressTableSummary(net);
        QCOMPARE(s.lines.first(), "3" + kFound);
        QCOMPARE(s.pcIp, QStringLiteral("192.168.1.10"));
    }

    void systemSourceAnswersConsistently()
    {
        const NetworkInfo info = GetNetworkInfo(Source::current());
        if (info.gateway)
            QCOMPARE(info.gateway->size(), 16);
        const AddressSummary s = addressTableSummary(Source::current());
        QVERIFY(!s.failed);
        QVERIFY(s.lines.isEmpty() || (s.lines.size() == 6 && s.pcIp->count('.') == 3));
    }
};

QTEST_GUILESS_MAIN(TstHostNet)
#include "tst_hostnet.moc"
