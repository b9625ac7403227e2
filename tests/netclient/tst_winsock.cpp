#include "netclient/winsock.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

// A listener that takes each request into a second object, as the device-like
// server does for its data ports, or into itself after closing.
struct Server
{
    Winsock listener;
    Winsock conn;
    bool acceptIntoListener = false;

    Server()
    {
        QObject::connect(&listener, &Winsock::ConnectionRequest, &listener, [this](qintptr id) {
            if (acceptIntoListener) {
                listener.Close();
                listener.Accept(id);
            } else {
                if (conn.State() != Winsock::sckClosed)
                    conn.Close();
                conn.Accept(id);
            }
        });
    }
    bool listen()
    {
        listener.LocalPort = 0;
        return listener.Listen();
    }
};

void connectTo(Winsock &client, int port, const QString &host = QStringLiteral("127.0.0.1"))
{
    client.RemoteHost = host;
    client.RemotePort = port;
    QVERIFY(client.Connect());
}

// A port on which nothing listens: one that was just given out and closed.
int closedPort()
{
    Winsock w;
    w.LocalPort = 0;
    if (!w.Listen())
        return 1;
    const int port = w.LocalPort;
    w.Close();
    return port;
}

} // namespace

class TstWinsock : public QObject
{
    Q_OBJECT

private slots:
    void stateNames()
    {
        QCOMPARE(Winsock::stateName(0), QStringLiteral("Closed"));
        QCOMPARE(Winsock::stateName(3), QStringLiteral("ConnectionPending"));
        QCOMPARE(Winsock::stateName(7), QStringLiteral("Connected"));
        QCOMPARE(Winsock::stateName(8), QStringLiteral("Closing"));
        QCOMPARE(Winsock::stateName(9), QStringLiteral("Error"));
        QVERIFY(Winsock::stateName(10).isEmpty());
        QVERIFY(Winsock::stateName(-1).isEmpty());
    }

    void connectAcceptExchangeAndPeerClose()
    {
        Server server;
        server.acceptIntoListener = true;
        QVERIFY(server.listen());
        QCOMPARE(server.listener.State(), int(Winsock::sckListening));
        QVERIFY2(server.listener.LocalPort > 0, "port 0 is read back as the port in use");

        Winsock client;
        QSignalSpy states(&client, &Winsock::StateChanged);
        QSignalSpy connected(&client, &Winsock::ConnectEvent);
        connectTo(client, server.listener.LocalPort);
        QCOMPARE(client.State(), int(Winsock::sckConnecting));
        QVERIFY(connected.wait());
        QCOMPARE(client.State(), int(Winsock::sckConnected));
        QCOMPARE(states.size(), 2);
        QCOMPARE(states.at(1).at(0).toInt(), int(Winsock::sckConnected));
        QVERIFY(client.LocalPort > 0);
        QTRY_COMPARE(server.listener.State(), int(Winsock::sckConnected));

        // Bytes both ways, as they are, NUL and 0xFF included.
        QSignalSpy serverArrivals(&server.listener, &Winsock::DataArrival);
        const QByteArray frame = QByteArray::fromHex("10200000000621040000ff00");
        QVERIFY(client.SendData(frame));
        QVERIFY(serverArrivals.wait());
        QCOMPARE(serverArrivals.at(0).at(0).toLongLong(), qint64(frame.size()));
        QByteArray got;
        server.listener.GetData(got);
        QCOMPARE(got, frame);

        // Text in code page 950; GetData hands out everything since the last call.
        QVERIFY(server.listener.SendData(QStringLiteral("ab")));
        QVERIFY(server.listener.SendData(QString::fromUtf8("中文")));
        QTRY_COMPARE(client.BytesReceived(), qint64(6));
        QString text;
        client.GetData(text);
        QCOMPARE(text, QString::fromUtf8("ab中文"));
        client.GetData(text);
        QVERIFY(text.isEmpty());

        // The server ends the connection: a close event and state 8 until Close.
        QSignalSpy closed(&client, &Winsock::CloseEvent);
        QSignalSpy errors(&client, &Winsock::Error);
        QVERIFY(server.listener.SendData(QByteArray("last")));
        server.listener.Close();
        QCOMPARE(server.listener.State(), int(Winsock::sckClosed));
        QVERIFY(closed.wait());
        QCOMPARE(client.State(), int(Winsock::sckClosing));
        QCOMPARE(errors.size(), 0);
        QByteArray last;
        client.GetData(last);
        QCOMPARE(last, QByteArray("last"));
        QVERIFY2(!client.SendData(QByteArray("x")), "no sending on a closed connection");
        QVERIFY2(!client.Connect(), "a closing connection must be closed first");
        client.Close();
        QCOMPARE(client.State(), int(Winsock::sckClosed));

        // Both objects can be used again.
        QVERIFY(server.listen());
        connectTo(client, server.listener.LocalPort);
        QTRY_COMPARE(client.State(), int(Winsock::sckConnected));
        QTRY_COMPARE(server.listener.State(), int(Winsock::sckConnected));
    }

    void acceptIntoAnotherObjectKeepsListening()
    {
        Server server;
        QVERIFY(server.listen());
        Winsock a, b;
        connectTo(a, server.listener.LocalPort);
        QTRY_COMPARE(server.conn.State(), int(Winsock::sckConnected));
        QCOMPARE(server.listener.State(), int(Winsock::sckListening));
        QVERIFY(a.SendData(QByteArray("one")));
        QTRY_COMPARE(server.conn.BytesReceived(), qint64(3));

        // A second client replaces the first connection; the first sees a close.
        QSignalSpy aClosed(&a, &Winsock::CloseEvent);
        connectTo(b, server.listener.LocalPort);
        QVERIFY(aClosed.wait());
        QTRY_COMPARE(b.State(), int(Winsock::sckConnected));
        QVERIFY(b.SendData(QByteArray("two")));
        QTRY_COMPARE(server.conn.BytesReceived(), qint64(3));
        QByteArray got;
        server.conn.GetData(got);
        QCOMPARE(got, QByteArray("two"));
    }

    void requestNotAcceptedIsRefused()
    {
        Winsock listener;
        listener.LocalPort = 0;
        QVERIFY(listener.Listen());
        qintptr seen = -1;
        connect(&listener, &Winsock::ConnectionRequest, this, [&seen](qintptr id) { seen = id; });
        Winsock client;
        QSignalSpy closed(&client, &Winsock::CloseEvent);
        connectTo(client, listener.LocalPort);
        QVERIFY2(closed.wait(), "the peer of a refused request sees the connection end");
        QVERIFY(seen != -1);
        Winsock late;
        QVERIFY2(!late.Accept(seen), "a request can only be accepted inside its handler");
        QCOMPARE(listener.State(), int(Winsock::sckListening));
    }

    void refusedConnectionRaisesErrorAndCanBeRetried()
    {
        Winsock client;
        int stateDuringError = -1;
        connect(&client, &Winsock::Error, this,
                [&client, &stateDuringError] { stateDuringError = client.State(); });
        QSignalSpy errors(&client, &Winsock::Error);
        connectTo(client, closedPort());
        QVERIFY(errors.wait());
        QCOMPARE(errors.at(0).at(0).toInt(), int(Winsock::sckConnectionRefused));
        QVERIFY(!errors.at(0).at(1).toString().isEmpty());
        QCOMPARE(stateDuringError, int(Winsock::sckConnecting));
        QCOMPARE(client.State(), int(Winsock::sckError));

        // From the error state a new Connect needs no Close first.
        Server server;
        server.acceptIntoListener = true;
        QVERIFY(server.listen());
        connectTo(client, server.listener.LocalPort);
        QTRY_COMPARE(client.State(), int(Winsock::sckConnected));
        QCOMPARE(errors.size(), 1);
    }

    void hostNameIsResolved()
    {
        Server server;
        server.acceptIntoListener = true;
        QVERIFY(server.listen());
        Winsock client;
        QSignalSpy states(&client, &Winsock::StateChanged);
        connectTo(client, server.listener.LocalPort, QStringLiteral("localhost"));
        QCOMPARE(client.State(), int(Winsock::sckResolvingHost));
        QTRY_COMPARE(client.State(), int(Winsock::sckConnected));
        QList<int> seen;
        for (const auto &args : states)
            seen << args.at(0).toInt();
        QCOMPARE(seen, (QList<int>{Winsock::sckResolvingHost, Winsock::sckHostResolved,
                                   Winsock::sckConnecting, Winsock::sckConnected}));
    }

    void operationsRefusedInTheWrongState()
    {
        Winsock w;
        w.RemoteHost = QStringLiteral("127.0.0.1");
        w.RemotePort = 0;
        QVERIFY(!w.Connect());
        w.RemotePort = 70000;
        QVERIFY(!w.Connect());
        QCOMPARE(w.State(), int(Winsock::sckClosed));
        QVERIFY(!w.SendData(QByteArray("x")));
        QByteArray none("junk");
        w.GetData(none);
        QVERIFY(none.isEmpty());
        QVERIFY(!w.Accept(12345));

        Winsock busy;
        busy.LocalPort = 0;
        QVERIFY(busy.Listen());
        QVERIFY2(!busy.Connect(), "a listener must be closed before it connects");
        QVERIFY(!busy.Listen());
        Winsock same;
        same.LocalPort = busy.LocalPort;
        QVERIFY2(!same.Listen(), "a port in use cannot be listened on twice");
        QCOMPARE(same.State(), int(Winsock::sckClosed));

        w.RemotePort = busy.LocalPort;
        QVERIFY(w.Connect());
        QVERIFY2(!w.Connect(), "no second Connect while connecting");
    }

    // A handler that yields while more bytes come in must not lose them: they
    // come as a block of their own once the handler has returned.
    void bytesArrivingDuringAHandlerComeAfterIt()
    {
        Server server;
        server.acceptIntoListener = true;
        QVERIFY(server.listen());
        Winsock client;
        connectTo(client, server.listener.LocalPort);
        QTRY_COMPARE(server.listener.State(), int(Winsock::sckConnected));

        QList<QByteArray> blocks;
        connect(&client, &Winsock::DataArrival, this, [&](qint64) {
            QByteArray data;
            client.GetData(data);
            blocks << data;
            if (blocks.size() == 1) {
                server.listener.SendData(QByteArray("second"));
                QTRY_VERIFY(client.BytesReceived() > 0);
            }
        });
        QVERIFY(server.listener.SendData(QByteArray("first")));
        QTRY_COMPARE(blocks.size(), 2);
        QCOMPARE(blocks.at(0), QByteArray("first"));
        QCOMPARE(blocks.at(1), QByteArray("second"));
    }

    void destroyedInsideItsOwnHandlers()
    {
        Server server;
        server.acceptIntoListener = true;
        QVERIFY(server.listen());

        auto *client = new Winsock;
        QPointer<Winsock> guard(client);
        connect(client, &Winsock::DataArrival, this, [client] { delete client; });
        connectTo(*client, server.listener.LocalPort);
        QTRY_COMPARE(server.listener.State(), int(Winsock::sckConnected));
        QVERIFY(server.listener.SendData(QByteArray("bye")));
        QTRY_VERIFY(guard.isNull());

        auto *other = new Winsock;
        QPointer<Winsock> otherGuard(other);
        connect(other, &Winsock::CloseEvent, this, [other] { delete other; });
        server.listener.Close();
        QVERIFY(server.listen());
        connectTo(*other, server.listener.LocalPort);
        QTRY_COMPARE(server.listener.State(), int(Winsock::sckConnected));
        server.listener.Close();
        QTRY_VERIFY(otherGuard.isNull());

        auto *listener = new Winsock;
        listener->LocalPort = 0;
        QVERIFY(listener->Listen());
        QPointer<Winsock> listenerGuard(listener);
        connect(listener, &Winsock::ConnectionRequest, this, [listener] { delete listener; });
        Winsock caller;
        connectTo(caller, listener->LocalPort);
        QTRY_VERIFY(listenerGuard.isNull());
        QTRY_VERIFY(caller.State() == Winsock::sckClosing);
    }
};

QTEST_GUILESS_MAIN(TstWinsock)
#include "tst_winsock.moc"
