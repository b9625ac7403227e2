#include "net/winsock.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// A listener on a free port that closes itself and takes each request, as a
// one-connection server does.
struct Server
{
    Winsock w;
    Server()
    {
        QObject::connect(&w, &Winsock::ConnectionRequest, &w, [this](qintptr id) {
            w.Close();
            w.Accept(id);
        });
        w.Listen();
    }
};

bool connectTo(Winsock &client, int port, const char *host = "127.0.0.1")
{
    client.RemoteHost = QString::fromLatin1(host);
    client.RemotePort = port;
    return client.Connect();
}

} // namespace

class TstWinsock : public QObject
{
    Q_OBJECT

private slots:
    void connectExchangeAndPeerClose()
    {
        Server server;
        QVERIFY2(server.w.State() == Winsock::sckListening && server.w.LocalPort > 0, "port 0 is read back as the port in use");
        Winsock client;
        QSignalSpy connected(&client, &Winsock::ConnectEvent);
        QVERIFY(connectTo(client, server.w.LocalPort));
        QCOMPARE(client.State(), int(Winsock::sckConnecting));
        QVERIFY(connected.wait() && client.State() == Winsock::sckConnected);
        QTRY_COMPARE(server.w.State(), int(Winsock::sckConnected));

        // Bytes as they are; GetData hands out everything since the last call.
        QSignalSpy arrivals(&server.w, &Winsock::DataArrival);
        const QByteArray frame = QByteArray::fromHex("10200000000621040000ff00");
        QVERIFY(client.SendData(frame));
        QVERIFY(arrivals.wait());
        QCOMPARE(arrivals.at(0).at(0).toLongLong(), qint64(frame.size()));
        QByteArray got;
        server.w.GetData(got);
        QCOMPARE(got, frame);
        // Text goes in code page 950; a character split between blocks is kept whole.
        QVERIFY(server.w.SendData(QByteArray("ab\xA4")));
        QTRY_COMPARE(client.BytesReceived(), qint64(3));
        QString text, rest;
        client.GetData(text);
        QVERIFY(server.w.SendData(QByteArray("\xA4")) && server.w.SendData(QString::fromUtf8("文")));
        QTRY_COMPARE(client.BytesReceived(), qint64(3));
        client.GetData(rest);
        QCOMPARE(text + rest, QString::fromUtf8("ab中文"));

        // The server ends the connection: a close event and state 8 until Close,
        // with what came before it still readable.
        QSignalSpy closed(&client, &Winsock::CloseEvent);
        QVERIFY(server.w.SendData(QByteArray("last")));
        server.w.Close();
        QVERIFY(closed.wait() && client.State() == Winsock::sckClosing);
        client.GetData(got);
        QCOMPARE(got, QByteArray("last"));
        QVERIFY2(!client.Connect(), "a closing connection must be closed first");
        client.Close();

        // By name: every state on the way, in order.
        Server second;
        QSignalSpy states(&client, &Winsock::StateChanged);
        QVERIFY(connectTo(client, second.w.LocalPort, "localhost"));
        QCOMPARE(client.State(), int(Winsock::sckResolvingHost));
        QTRY_COMPARE(client.State(), int(Winsock::sckConnected));
        QList<int> passed;
        for (const QList<QVariant> &s : states)
            passed << s.at(0).toInt();
        QCOMPARE(passed, (QList<int>{Winsock::sckResolvingHost, Winsock::sckHostResolved,
                                     Winsock::sckConnecting, Winsock::sckConnected}));
    }

    void requestNotAcceptedIsRefused()
    {
        Winsock listener;
        QVERIFY(listener.Listen());
        qintptr seen = -1;
        connect(&listener, &Winsock::ConnectionRequest, this, [&seen](qintptr id) { seen = id; });
        Winsock client;
        QSignalSpy closed(&client, &Winsock::CloseEvent);
        QVERIFY(connectTo(client, listener.LocalPort));
        QVERIFY2(closed.wait(), "the peer of a refused request sees the connection end");
        Winsock late;
        QVERIFY2(!late.Accept(seen), "a request can only be accepted inside its handler");
        QCOMPARE(listener.State(), int(Winsock::sckListening));
    }

    // The error comes while the state still tells where it struck.
    void refusedConnectionRaisesError()
    {
        Winsock client;
        int stateDuringError = -1;
        connect(&client, &Winsock::Error, this, [&client, &stateDuringError] { stateDuringError = client.State(); });
        QSignalSpy errors(&client, &Winsock::Error);
        const int port = Server().w.LocalPort; // nothing listens there any more
        QVERIFY(connectTo(client, port));
        QVERIFY(errors.wait());
        QCOMPARE(errors.at(0).at(0).toInt(), int(Winsock::sckConnectionRefused));
        QCOMPARE(stateDuringError, int(Winsock::sckConnecting));
        QCOMPARE(client.State(), int(Winsock::sckError));
    }

    void operationsRefusedInTheWrongState()
    {
        Winsock w, busy, same;
        QVERIFY(!connectTo(w, 0) && !connectTo(w, 70000) && !w.SendData(QByteArray("x")));
        QVERIFY(busy.Listen());
        QVERIFY2(!connectTo(busy, 1), "a listener connects only once closed");
        QVERIFY2(!busy.Listen() && !busy.listenErrorString().isEmpty(), "a listener cannot listen again");
        same.LocalPort = busy.LocalPort;
        QVERIFY2(!same.Listen(), "a port in use cannot be listened on twice");
        QVERIFY2(!same.listenErrorString().isEmpty(), "a failed listen tells why");
        QVERIFY(connectTo(w, busy.LocalPort));
        QVERIFY2(!w.Connect(), "no second Connect while connecting");
    }

    // A receiver with a limit holds no more than it while it takes nothing,
    // and gets the rest once it takes again; the sender follows its queue
    // down to empty.
    void receiveLimitAndSendProgress()
    {
        constexpr qint64 kLimit = 64 * 1024;
        Server server;
        Winsock client;
        QVERIFY(connectTo(client, server.w.LocalPort));
        QTRY_COMPARE(server.w.State(), int(Winsock::sckConnected));
        server.w.setReceiveLimit(kLimit);
        bool taking = false;
        qint64 largest = 0;
        QByteArray got;
        connect(&server.w, &Winsock::DataArrival, this, [&](qint64 total) {
            largest = std::max(largest, total);
            if (taking) {
                QByteArray data;
                server.w.GetData(data);
                got += data;
            }
        });
        qint64 sent = 0;
        qint64 remaining = -1;
        connect(&client, &Winsock::SendProgress, this, [&](qint64 bytesSent, qint64 bytesRemaining) {
            sent += bytesSent;
            remaining = bytesRemaining;
        });

        QByteArray payload(16 * 1024 * 1024, '\0');
        for (qsizetype i = 0; i < payload.size(); ++i)
            payload[i] = char(i * 7);
        QVERIFY(client.SendData(payload));
        QTRY_COMPARE(server.w.BytesReceived(), kLimit);
        QVERIFY(client.bytesToSend() > 0);

        taking = true;
        server.w.GetData(got);
        QTRY_COMPARE_WITH_TIMEOUT(got.size(), payload.size(), 30000);
        QVERIFY(got == payload);
        QVERIFY2(largest <= kLimit, QByteArray::number(largest));
        QTRY_COMPARE(remaining, qint64(0));
        QCOMPARE(sent, payload.size());
        QCOMPARE(client.bytesToSend(), qint64(0));
    }

    // A handler that yields while more bytes come in must not lose them: they
    // come as a block of their own once the handler has returned.
    void bytesArrivingDuringAHandlerComeAfterIt()
    {
        Server server;
        Winsock client;
        QVERIFY(connectTo(client, server.w.LocalPort));
        QTRY_COMPARE(server.w.State(), int(Winsock::sckConnected));
        QList<QByteArray> blocks;
        connect(&client, &Winsock::DataArrival, this, [&](qint64) {
            QByteArray data;
            client.GetData(data);
            blocks << data;
            if (blocks.size() == 1) {
                server.w.SendData(QByteArray("second"));
                QTRY_VERIFY(client.BytesReceived() > 0);
            }
        });
        QVERIFY(server.w.SendData(QByteArray("first")));
        QTRY_COMPARE(blocks, (QList<QByteArray>{"first", "second"}));
    }

    // A handler may destroy the socket inside any of its events; nothing of it
    // is touched afterwards (the sanitizer build checks).
    void destroyedInsideItsOwnHandlers_data()
    {
        QTest::addColumn<QString>("event");
        QTest::addColumn<int>("state"); // for a state change: the state it goes to
        for (int state : {Winsock::sckResolvingHost, Winsock::sckHostResolved,
                          Winsock::sckConnecting, Winsock::sckConnected, Winsock::sckClosing,
                          Winsock::sckError, Winsock::sckClosed})
            QTest::addRow("state change to %d", state) << "state" << state;
        for (const char *event : {"connect", "close", "arrival", "error", "request"})
            QTest::newRow(event) << event << -1;
    }
    void destroyedInsideItsOwnHandlers()
    {
        QFETCH(QString, event);
        QFETCH(int, state);
        Server server;
        QPointer<Winsock> w = new Winsock;
        auto destroy = [&w] { delete w.data(); };
        if (event == "state")
            connect(w, &Winsock::StateChanged, this, [&w, state](int s) {
                if (s == state)
                    delete w.data();
            });
        else if (event == "connect")
            connect(w, &Winsock::ConnectEvent, this, destroy);
        else if (event == "close")
            connect(w, &Winsock::CloseEvent, this, destroy);
        else if (event == "arrival")
            connect(w, &Winsock::DataArrival, this, destroy);
        else if (event == "error")
            connect(w, &Winsock::Error, this, destroy);

        if (event == "request") {
            QVERIFY(w->Listen());
            connect(w, &Winsock::ConnectionRequest, this, destroy);
            Winsock caller;
            QVERIFY(connectTo(caller, w->LocalPort));
            QTRY_VERIFY(w.isNull());
            QTRY_COMPARE(caller.State(), int(Winsock::sckClosing));
            return;
        }
        // Each way leads through the event: a refused connection for the
        // error, a peer that sends and closes for the rest.
        const int port = event == "error" || state == Winsock::sckError
                             ? Server().w.LocalPort
                             : server.w.LocalPort;
        QVERIFY(connectTo(*w, port, "localhost"));
        if (w && event != "error" && state != Winsock::sckError) {
            QTRY_VERIFY(w.isNull() || server.w.State() == Winsock::sckConnected);
            server.w.SendData(QByteArray("bye"));
            server.w.Close();
        }
        if (w && state == Winsock::sckClosed) {
            QTRY_VERIFY(w.isNull() || w->State() == Winsock::sckClosing);
            if (w)
                w->Close();
        }
        QTRY_VERIFY(w.isNull());
    }
};

QTEST_GUILESS_MAIN(TstWinsock)
#include "tst_winsock.moc"
