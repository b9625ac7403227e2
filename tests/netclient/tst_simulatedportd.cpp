#include "tests/support/simulatedportd.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

namespace {

// A plain client of one port; what it receives piles up in `in`.
struct Client
{
    QTcpSocket socket;
    QByteArray in;
    QList<QByteArray> arrivals;

    explicit Client(quint16 port)
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, &socket, [this] {
            const QByteArray bytes = socket.readAll();
            in += bytes;
            arrivals << bytes;
        });
        socket.connectToHost(QHostAddress::LocalHost, port);
    }
    bool connected() const { return socket.state() == QAbstractSocket::ConnectedState; }
};

} // namespace

// The simulated Portd, asked by plain sockets.
class TstSimulatedPortd : public QObject
{
    Q_OBJECT

private slots:
    // Each request gets the reply its settings give; sets change them.
    void replies_data()
    {
        QTest::addColumn<QList<QByteArray>>("requests");
        QTest::addColumn<QByteArray>("replies");
        using L = QList<QByteArray>;
        QTest::newRow("identity") << L{"10", "01", "13", "15", "21"}
                                  << QByteArray("4630M4|V1.0.00[01/06/2003]|192.9.40.254|"
                                                "255.255.255.0|00:00:f1:86:97:a6");
        QTest::newRow("port settings") << L{"161", "0639600", "073721", "163"}
                                       << QByteArray("19200,8,0,1|OK.|OK.|9600,7,2,1");
        QTest::newRow("Modbus") << L{"332", "3221", "332", "3291"}
                                << QByteArray("0|OK.|1|ERROR: Fail");
        QTest::newRow("addresses") << L{"12010000000254", "13", "14255255000000", "15"}
                                   << QByteArray("OK.|10.0.0.254|OK.|255.255.0.0");
        QTest::newRow("refused") << L{"08256000000001", "169", "0631234", "x"}
                                 << QByteArray("ERROR: Fail|ERROR: Fail|ERROR: Fail|ERROR: Fail");
        QTest::newRow("LED and test") << L{"201", "11Hello!"} << QByteArray("OK.|Hello!");
    }
    void replies()
    {
        QFETCH(QList<QByteArray>, requests);
        QFETCH(QByteArray, replies);
        SimulatedPortd portd;
        QList<QByteArray> got;
        for (const QByteArray &r : requests)
            got << portd.replyTo(r).value_or("-");
        QCOMPARE(got.join('|'), replies);
    }

    void plainModuleAndReboot()
    {
        SimulatedPortd portd;
        portd.settings().moduleName = QStringLiteral("4630E8");
        QCOMPARE(portd.replyTo("331").value_or("-"),
                 QByteArray("Input Command Not Support: Module not support ModbusTCP,"));
        QVERIFY2(!portd.replyTo("99"), "a reboot is not answered");
        portd.setReply("10", "RM4630K");
        QCOMPARE(portd.replyTo("10").value_or("-"), QByteArray("RM4630K"));
    }

    // Control and data ports on 127.0.0.1; requests are logged with their
    // time, data goes both ways.
    void controlAndDataConnections()
    {
        SimulatedPortd portd;
        QVERIFY(portd.start());
        QVERIFY(portd.controlPort() != 0);
        for (int k = 1; k <= SimulatedPortd::kPorts; ++k)
            QVERIFY2(portd.isDataListening(k), "port 0 finds a block of free ports");

        Client control(portd.controlPort());
        QSignalSpy requests(&portd, &SimulatedPortd::requestReceived);
        QTRY_VERIFY(control.connected());
        QTRY_COMPARE(portd.controlConnections(), 1);
        const qint64 before = portd.elapsed();
        control.socket.write("10");
        QTRY_COMPARE(control.in, QByteArray("4630M4"));
        QCOMPARE(requests.size(), 1);
        QCOMPARE(portd.requestTexts(), QList<QByteArray>{"10"});
        QVERIFY(portd.requests().first().ms >= before);

        Client data(portd.controlPort() + 3);
        QTRY_VERIFY(portd.isDataConnected(3));
        QVERIFY(!portd.isDataConnected(1));
        data.socket.write("abc\r");
        QTRY_COMPARE(portd.dataReceived(3), QByteArray("abc\r"));
        portd.pushData(3, "OK\r\n");
        QTRY_COMPARE(data.in, QByteArray("OK\r\n"));

        // The device ends a data connection, then the control connection.
        QSignalSpy dataClosed(&data.socket, &QTcpSocket::disconnected);
        portd.closeData(3);
        QVERIFY(dataClosed.wait());
        QSignalSpy controlClosed(&control.socket, &QTcpSocket::disconnected);
        portd.closeControl();
        QVERIFY(controlClosed.wait());
        QTRY_COMPARE(portd.controlConnections(), 0);
    }

    // Silent, late, split and closing replies.
    void replyModes()
    {
        SimulatedPortd portd;
        QVERIFY(portd.start(0, false));
        QVERIFY(!portd.isDataListening(1));
        Client c(portd.controlPort());
        QTRY_VERIFY(c.connected());

        portd.setMode(SimulatedPortd::Mode::Silent);
        c.socket.write("10");
        QTRY_COMPARE(portd.requests().size(), 1);
        portd.setMode(SimulatedPortd::Mode::Normal);
        c.socket.write("15");
        QTRY_COMPARE(c.in, QByteArray("255.255.255.0"));
        QVERIFY2(c.arrivals.size() == 1, "the silent request was not answered");

        // A late reply leaves no earlier than its delay after the request.
        c.in.clear();
        portd.setReplyDelay(300);
        QElapsedTimer sent;
        sent.start();
        c.socket.write("01");
        QTRY_COMPARE(c.in, QByteArray("V1.0.00[01/06/2003]"));
        QVERIFY(sent.elapsed() >= 300);
        portd.setReplyDelay(0);

        // A split reply comes as two arrivals; a held second piece waits.
        c.in.clear();
        c.arrivals.clear();
        portd.setMode(SimulatedPortd::Mode::Split);
        portd.setSplitGap(-1);
        c.socket.write("161");
        QTRY_COMPARE(c.in, QByteArray("19200"));
        portd.releaseHeld();
        QTRY_COMPARE(c.in, QByteArray("19200,8,0,1"));
        QCOMPARE(c.arrivals, (QList<QByteArray>{"19200", ",8,0,1"}));

        // A device that drops the connection instead of answering.
        portd.setMode(SimulatedPortd::Mode::Close);
        QSignalSpy closed(&c.socket, &QTcpSocket::disconnected);
        c.socket.write("13");
        QVERIFY(closed.wait());
        QCOMPARE(portd.requestTexts().last(), QByteArray("13"));
    }

    // A data port that is taken is left out; the others listen.
    void takenDataPortIsLeftOut()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 control = probe.serverPort() - 2;
        QVERIFY(control > 1024);
        SimulatedPortd portd;
        if (!portd.start(control))
            QSKIP("the port before the probe is taken");
        QVERIFY(!portd.isDataListening(2));
        QVERIFY(portd.isDataListening(1) || portd.isDataListening(3));
    }
};

QTEST_GUILESS_MAIN(TstSimulatedPortd)
#include "tst_simulatedportd.moc"
