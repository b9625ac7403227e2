#include "app/hostnet.h"
#include "tests/support/fakehostnet.h"

#include <QTest>

using namespace HostNet;

namespace {

const QString kFound = QStringLiteral("   IP addresses found on your PC !!");
const QString kRule = QString(50, QLatin1Char('-'));

QByteArray threeRows()
{
    return buildAddressTable(
        {{storedAddress(192, 168, 1, 10), 7, storedAddress(255, 255, 255, 0), storedAddress(192, 168, 1, 255)},
         {storedAddress(10, 0, 0, 5), 9, storedAddress(255, 0, 0, 0), 0},
         {storedAddress(127, 0, 0, 1), 1, storedAddress(255, 0, 0, 0), 0}});
}

} // namespace

class TstHostNet : public QObject
{
    Q_OBJECT

private slots:
    // The gateway of the last adapter, in its whole 16-byte field; after a
    // failed query none, and the adapters are not asked after the parameters fail.
    void gatewayOfTheLastAdapter_data()
    {
        QTest::addColumn<QStringList>("gateways");
        QTest::addColumn<QList<quint32>>("results"); // params size, params, adapters size, adapters
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("gateway"); // empty: none
        const QList<quint32> fine{111, 0, 111, 0};
        const QStringList one{"192.168.1.1"};
        QTest::newRow("several") << QStringList{"192.168.1.1", "10.0.0.138", "172.16.0.1"} << fine << ""
                                 << "172.16.0.1" + QString(6, QChar(0));
        QTest::newRow("last has none") << QStringList{"192.168.1.1", ""} << fine << "" << QString(16, QChar(0));
        QTest::newRow("longest") << QStringList{"255.255.255.255"} << QList<quint32>{0, 0, 0, 0} << ""
                                 << "255.255.255.255" + QString(1, QChar(0));
        QTest::newRow("params size 232") << one << QList<quint32>{232, 0, 111, 0}
                                         << "GetNetworkParams sizing failed with error 232" << QString();
        QTest::newRow("adapters size 87") << one << QList<quint32>{111, 0, 87, 0}
                                          << "GetAdaptersInfo sizing failed with error 87" << QString();
        QTest::newRow("params data") << one << QList<quint32>{111, 87, 111, 0} << "" << QString();
    }
    void gatewayOfTheLastAdapter()
    {
        QFETCH(QStringList, gateways);
        QFETCH(QList<quint32>, results);
        FakeHostNet net;
        net.setGateways(gateways);
        net.paramsSizeResult = results[0];
        net.paramsResult = results[1];
        net.adaptersSizeResult = results[2];
        net.adaptersResult = results[3];
        const NetworkInfo info = GetNetworkInfo(net);
        QTEST(info.message, "message");
        QTEST(info.gateway.value_or(QString()), "gateway");
        QCOMPARE(net.calls.contains("adaptersSize"), (results[0] == 0 || results[0] == 111) && results[1] == 0);
    }

    // Only the size that the size query gave bounds what is read, whatever the
    // count says; the fake's bytes end there too, so that the sanitizers catch
    // a read beyond them. Bytes left unwritten read as zero.
    void addressTableSummary_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<qint64>("written");
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("failed");
        const qint64 oneRow = kTableCountBytes + kTableRowBytes;
        QTest::newRow("no size") << qint64(0) << qint64(0) << 0 << false;
        QTest::newRow("negative size") << qint64(-1) << qint64(0) << 0 << false;
        QTest::newRow("one row of three") << oneRow << oneRow << 6 << false;
        QTest::newRow("first row cut") << oneRow - 1 << oneRow - 1 << 2 << true;
        QTest::newRow("count cut") << qint64(2) << qint64(2) << 0 << true;
        QTest::newRow("unwritten") << oneRow << qint64(0) << 6 << false;
    }
    void addressTableSummary()
    {
        QFETCH(qint64, size);
        QFETCH(qint64, written);
        QFETCH(int, lines);
        FakeHostNet net;
        net.table = threeRows().left(written);
        net.tableSize = size;
        const AddressSummary s = HostNet::addressTableSummary(net);
        QTEST(s.failed, "failed");
        QCOMPARE(net.calls.contains("table"), size > 0);
        const QString count = written ? "3" : "0";
        const QString addr = written ? "192.168.1.10" : "0.0.0.0";
        const QStringList full{count + kFound, kRule, "IP address                   : " + addr,
                               "IP Subnetmask            : " + QString(written ? "255.255.255.0" : "0.0.0.0"),
                               "BroadCast IP address  : " + QString(written ? "192.168.1.255" : "0.0.0.0"),
                               kRule};
        QCOMPARE(s.lines, full.mid(0, lines));
        QCOMPARE(s.pcIp.value_or(QString()), lines == 6 ? addr : QString());
        QCOMPARE(s.pcMask.has_value(), lines == 6);
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
            {"eth0", 2, false, true, {{storedAddress(192, 168, 1, 10), storedAddress(255, 255, 255, 0), 0}}},
            {"wlan0", 4, false, false, {}}};
        DefaultRoutes routes;
        routes.gateways.insert("eth0", storedAddress(192, 168, 1, 1));
        routes.preferred = "eth0";
        const Snapshot snap = snapshotOf(interfaces, routes);
        QCOMPARE(snap.adapters.size(), std::size_t(2)); // neither loopback nor address-less
        QCOMPARE(addressFieldText(snap.adapters.back().gateway), "192.168.1.1" + QString(5, QChar(0)));
        QCOMPARE(snap.rows.size(), std::size_t(3));
        QCOMPARE(snap.rows.front().addr, storedAddress(192, 168, 1, 10));
        QCOMPARE(snap.rows.back().index, 1u); // loopback last
    }

    void systemSourceAnswersConsistently()
    {
        QCOMPARE(GetNetworkInfo(Source::current()).gateway.value_or(QString(16, QChar(0))).size(), 16);
        const AddressSummary s = HostNet::addressTableSummary(Source::current());
        QVERIFY(!s.failed && (s.lines.isEmpty() || (s.lines.size() == 6 && s.pcIp->count('.') == 3)));
    }
};

QTEST_GUILESS_MAIN(TstHostNet)
#include "tst_hostnet.moc"
