#include "app/codepage.h"
#include "app/windows.h"
#include "net/winsock.h"
#include "netclient/frmmain.h"
#include "netclient/frmserver.h"
#include "netclient/receiveview.h"
#include "netclient/netclient.h"
#include "netclient/serverlogic.h"
#include "tests/support/freeports.h"
#include "tests/support/scripteddialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

using namespace ServerLogic;

namespace {

const QByteArray kGreeting("4630K1,v1.0.00,8 CommPorts");

// A plain client of one port that collects what it receives while it reads.
class Client : public QObject
{
public:
    explicit Client(int port)
    {
        connect(&socket, &QIODevice::readyRead, this, [this] {
            if (reading)
                received += socket.readAll();
        });
        socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    }
    // Stops taking what arrives, so that the server's sends pile up.
    void stopReading()
    {
        reading = false;
        socket.setReadBufferSize(4096);
    }
    void resumeReading()
    {
        reading = true;
        socket.setReadBufferSize(0);
        received += socket.readAll();
    }

    QTcpSocket socket;
    QByteArray received;
    bool reading = true;
};

// Bytes of every kind but letters and digits, so that the texts and port
// numbers that the server adds can be told apart: NUL, controls, bytes above 127.
QByteArray binaryPayload(qsizetype size)
{
    QByteArray alphabet;
    for (int b = 0; b < 256; ++b) {
        if (b < 0x30 || b >= 0x80)
            alphabet += char(b);
    }
    QByteArray out;
    out.reserve(size);
    while (out.size() < size)
        out += alphabet;
    out.truncate(size);
    return out;
}

} // namespace

class TstFrmServer : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScriptedDialogs> m_dialogs;
    frmServer *w = nullptr;
    int m_base = 0;

    bool allListening() const
    {
        bool all = w->tcpServer->State() == Winsock::sckListening;
        for (Winsock *socket : w->tcpComm)
            all = all && socket->State() == Winsock::sckListening;
        return all;
    }

    // Loads the window on nine free ports (again, should another program
    // take one of them meanwhile).
    void loadOnFreePorts()
    {
        for (int attempt = 0; attempt < 5; ++attempt) {
            m_base = freeBasePort(kDataPorts);
            QVERIFY(m_base > 0);
            qputenv(kBasePortVariable, QByteArray::number(m_base));
            registerNetclientWindows();
            w = Windows::get<frmServer>(WindowName::frmServer);
            QVERIFY(w);
            if (allListening()) {
                w->show();
                return;
            }
            Windows::clear();
        }
        QFAIL("no free ports to listen on");
    }

    // Waits for the client's connection and the greeting, and empties what it received.
    static void greeted(Client &client, const QByteArray &greeting)
    {
        QTRY_COMPARE(client.received, greeting);
        client.received.clear();
    }

private slots:
    void init()
    {
        m_dialogs = std::make_unique<ScriptedDialogs>();
        loadOnFreePorts();
    }
    void cleanup()
    {
        Windows::clear();
        m_dialogs.reset();
        qunsetenv(kBasePortVariable);
    }

    // The greeting comes first and alone; then whatever is sent comes back
    // unchanged, and the receive box shows it as text.
    void controlPortGreetsThenEchoesExactly_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::newRow("module name request") << QByteArray("10");
        QTest::newRow("NUL and bytes above 127") << QByteArray::fromHex("00017f80ff00");
        QTest::newRow("code page 950 text") << Cp950::fromUnicode(QStringLiteral("中文 test\r\n"));
        QTest::newRow("1 MB at once") << binaryPayload(1024 * 1024);
    }
    void controlPortGreetsThenEchoesExactly()
    {
        QFETCH(QByteArray, payload);
        Client client(m_base);
        greeted(client, kGreeting);
        client.socket.write(payload);
        QTRY_COMPARE_WITH_TIMEOUT(client.received.size(), payload.size(), 30000);
        QCOMPARE(client.received, payload);
        if (payload.size() < 100)
            QCOMPARE(w->txtOutput->toPlainText(), Cp950::toUnicode(payload).replace("\r\n", "\n"));
        else
            QVERIFY(!w->txtOutput->toPlainText().isEmpty() && w->txtOutput->toPlainText().size() <= kShownMaxChars);

        client.received.clear();
        client.socket.write("01");
        QTRY_COMPARE(client.received, QByteArray("01"));
    }

    // Each data port greets with its index and echoes with its number after
    // each block; it takes one connection and then no longer listens.
    void dataPortsGreetAndEcho_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QByteArray>("payload");
        for (int i = 0; i < kDataPorts; ++i)
            QTest::addRow("port %d", 1001 + i) << i << QByteArray("x");
        QTest::newRow("port 1003, abc") << 2 << QByteArray("abc");
        QTest::newRow("port 1008, NUL and high bytes") << 7 << QByteArray::fromHex("00ff8000");
        QTest::newRow("port 1008, 1 MB at once") << 7 << binaryPayload(1024 * 1024);
    }
    void dataPortsGreetAndEcho()
    {
        QFETCH(int, index);
        QFETCH(QByteArray, payload);
        const QByteArray number = QByteArray::number(index + 1);
        Client client(m_base + index + 1);
        greeted(client, "WelCome, " + QByteArray::number(index) + "\r\n");
        client.socket.write(payload);
        // Once per block received: the payload holds no digit.
        QTRY_COMPARE_WITH_TIMEOUT(client.received.size() - client.received.count(number), payload.size(), 30000);
        QVERIFY(client.received.endsWith(number));
        if (payload.size() < 100)
            QCOMPARE(client.received, payload + number);
        QCOMPARE(QByteArray(client.received).replace(number, ""), payload);

        Client second(m_base + index + 1);
        QTRY_COMPARE(second.socket.error(), QAbstractSocket::ConnectionRefusedError);
    }

    // Every change of the send box goes out whole: typing ab into the emptied
    // box sends a, then ab; a line break goes out as CR LF.
    void sendBoxChangesGoOutWhole()
    {
        Client client(m_base);
        greeted(client, kGreeting);
        w->txtSendData->clear();
        QTest::keyClicks(w->txtSendData, QStringLiteral("ab"));
        QTRY_COMPARE(client.received, QByteArray("aab"));
        QTest::keyClick(w->txtSendData, Qt::Key_Return);
        w->txtSendData->setPlainText(QStringLiteral("中"));
        QTRY_COMPARE(client.received, "aab" "ab\r\n" + Cp950::fromUnicode(QStringLiteral("中")));
    }

    // Changes with no client, or after the client has gone, send nothing and
    // break nothing.
    void sendBoxWithoutClient()
    {
        QTest::keyClicks(w->txtSendData, QStringLiteral("typed before anyone connects"));
        Client client(m_base);
        greeted(client, kGreeting);
        client.socket.write("ping");
        QTRY_COMPARE(client.received, QByteArray("ping"));

        client.socket.abort();
        QTRY_VERIFY(w->tcpServer->State() != Winsock::sckConnected);
        QTest::keyClicks(w->txtSendData, QStringLiteral("typed after it left"));
        QVERIFY(m_dialogs->shown().isEmpty());

        w->cmdConnect->click();
        w->cmdConnect->click();
        Client next(m_base);
        greeted(next, kGreeting);
        QTest::keyClicks(w->txtSendData, QStringLiteral("!"));
        QTRY_COMPARE(next.received, Cp950::fromUnicode(w->txtSendData->toPlainText()));
    }

    // The toggle ends the control connection and its listening, leaves the
    // data ports alone, and listens again on the port in the box.
    void listenToggle()
    {
        Client first(m_base);
        greeted(first, kGreeting);
        w->cmdConnect->click();
        QVERIFY(!w->Listening);
        QCOMPARE(w->cmdConnect->text(), QStringLiteral("Connect"));
        QTRY_COMPARE(first.socket.state(), QAbstractSocket::UnconnectedState);
        Client refused(m_base);
        QTRY_COMPARE(refused.socket.error(), QAbstractSocket::ConnectionRefusedError);
        for (Winsock *socket : w->tcpComm)
            QCOMPARE(socket->State(), int(Winsock::sckListening));

        int other = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::Any));
            other = probe.serverPort();
        }
        w->txtPort->setText(QString::number(other));
        w->cmdConnect->click();
        QVERIFY(w->Listening);
        QCOMPARE(w->cmdConnect->text(), QStringLiteral("DisConnect"));
        Client again(other);
        greeted(again, kGreeting);
        QVERIFY(m_dialogs->shown().isEmpty());
    }

    void badPortBoxIsRefused_data()
    {
        QTest::addColumn<QString>("text");
        for (const char *text : {"", "abc", "65536", "-1", "1000.5", "99999999999"})
            QTest::newRow(text) << QString::fromLatin1(text);
    }
    void badPortBoxIsRefused()
    {
        QFETCH(QString, text);
        w->cmdConnect->click();
        w->txtPort->setText(text);
        w->cmdConnect->click();
        QCOMPARE(m_dialogs->messages(), QStringList{badPortText(text)});
        QVERIFY(!w->Listening);
        QCOMPARE(w->cmdConnect->text(), QStringLiteral("Connect"));
        QCOMPARE(w->tcpServer->State(), int(Winsock::sckClosed));
        QVERIFY(w->txtPort->text() == text);
        for (Winsock *socket : w->tcpComm)
            QCOMPARE(socket->State(), int(Winsock::sckListening));
    }

    // Ports in use at load: one message names each with the reason; the
    // others work, and the toggle listens on all of them once they are free.
    void portsInUseAtLoad()
    {
        Windows::clear();
        QTcpServer busyControl, busyData;
        QVERIFY(busyControl.listen(QHostAddress::Any, quint16(m_base)));
        QVERIFY(busyData.listen(QHostAddress::Any, quint16(m_base + 3)));
        QTcpServer probe;
        QVERIFY(!probe.listen(QHostAddress::Any, quint16(m_base)));
        const QString reason = probe.errorString();

        registerNetclientWindows();
        w = Windows::get<frmServer>(WindowName::frmServer);
        w->show();
        QTRY_COMPARE(m_dialogs->messages().size(), 1);
        const QString message = m_dialogs->messages().at(0);
        QCOMPARE(message, QStringLiteral("Cannot listen on ports %1 and %2: %3.").arg(m_base).arg(m_base + 3).arg(reason));
        QVERIFY(!w->Listening);
        QCOMPARE(w->cmdConnect->text(), QStringLiteral("Connect"));
        Client data(m_base + 1);
        greeted(data, "WelCome, 0\r\n");

        busyControl.close();
        busyData.close();
        w->cmdConnect->click();
        QVERIFY(w->Listening);
        QCOMPARE(m_dialogs->messages().size(), 1);
        Client control(m_base);
        greeted(control, kGreeting);
        Client third(m_base + 3);
        greeted(third, "WelCome, 2\r\n");
    }

    void portInUseAtToggle()
    {
        w->cmdConnect->click();
        QTcpServer busy;
        QVERIFY(busy.listen(QHostAddress::Any));
        w->txtPort->setText(QString::number(busy.serverPort()));
        w->cmdConnect->click();
        QCOMPARE(m_dialogs->messages().size(), 1);
        QVERIFY2(m_dialogs->messages().at(0).contains(QStringLiteral("port %1: ").arg(busy.serverPort())),
                 qPrintable(m_dialogs->messages().at(0)));
        QVERIFY(!w->Listening);
        QCOMPARE(w->cmdConnect->text(), QStringLiteral("Connect"));

        const int port = busy.serverPort();
        busy.close();
        w->cmdConnect->click();
        QVERIFY(w->Listening);
        Client client(port);
        greeted(client, kGreeting);
    }

    // Clients that connect and vanish, one in the middle of a megabyte: the
    // window goes on working.
    void peersThatVanish()
    {
        for (int port = m_base; port <= m_base + kDataPorts; ++port) {
            Client gone(port);
            QTRY_COMPARE(gone.socket.state(), QAbstractSocket::ConnectedState);
            if (port == m_base)
                gone.socket.write(binaryPayload(1024 * 1024));
            gone.socket.abort();
        }
        QTRY_VERIFY(w->tcpServer->State() != Winsock::sckListening && w->tcpServer->State() != Winsock::sckConnected);
        for (Winsock *socket : w->tcpComm)
            QTRY_VERIFY(socket->State() != Winsock::sckListening && socket->State() != Winsock::sckConnected);

        w->cmdConnect->click();
        w->cmdConnect->click();
        Client client(m_base);
        greeted(client, kGreeting);
        client.socket.write("still here");
        QTRY_COMPARE(client.received, QByteArray("still here"));
    }

    // A client that stops reading while it sends: the server stops taking
    // once its queue is full, holding a bounded amount, and after the client
    // reads again every byte has come back in order. Send box changes made
    // meanwhile go out, the latest one last.
    void slowReaderLosesNothing_data()
    {
        QTest::addColumn<int>("offset"); // port - base
        QTest::newRow("control port") << 0;
        QTest::newRow("data port") << 1;
    }
    void slowReaderLosesNothing()
    {
        QFETCH(int, offset);
        Winsock *socket = offset == 0 ? w->tcpServer : w->tcpComm[offset - 1];
        Client client(m_base + offset);
        greeted(client, offset == 0 ? kGreeting : QByteArray("WelCome, 0\r\n"));

        qint64 mostQueued = 0;
        qint64 mostHeld = 0;
        // After the window's own handler.
        const QMetaObject::Connection watch = connect(socket, &Winsock::DataArrival, this, [&] {
            mostQueued = std::max(mostQueued, socket->bytesToSend());
            mostHeld = std::max(mostHeld, socket->BytesReceived());
        });
        // More than every buffer on the way can hold.
        const QByteArray payload = binaryPayload(32 * 1024 * 1024);
        client.stopReading();
        client.socket.write(payload);
        QTRY_COMPARE_WITH_TIMEOUT(socket->BytesReceived(), kReceiveLimitBytes, 60000);
        if (offset == 0) {
            w->txtSendData->setPlainText(QStringLiteral("first"));
            w->txtSendData->setPlainText(QStringLiteral("second"));
        }

        client.resumeReading();
        auto added = [&] {
            return offset == 0 ? client.received.count("first") * 5 + client.received.count("second") * 6
                               : client.received.count('1');
        };
        QTRY_COMPARE_WITH_TIMEOUT(client.received.size() - added(), payload.size(), 120000);
        disconnect(watch);
        QByteArray echoed = client.received;
        if (offset == 0) {
            QCOMPARE(client.received.count("second"), 1);
            QVERIFY(client.received.indexOf("first") < client.received.indexOf("second"));
            echoed.replace("first", "").replace("second", "");
        } else {
            echoed.replace("1", "");
        }
        QVERIFY2(echoed == payload, "every byte back, in order");
        QVERIFY2(mostHeld > 0 && mostHeld <= kReceiveLimitBytes, QByteArray::number(mostHeld));
        QVERIFY2(mostQueued <= kSendQueueLimitBytes + kReceiveLimitBytes + 16, QByteArray::number(mostQueued));
    }

    // The network client against this window: the greeting stands where the
    // module name is awaited, so the client finds no port count and keeps 8;
    // each later query gets the echo of the one before. Every data port greets
    // its connection, and echoes what the client sends with its number.
    void networkClientConnects()
    {
        frmMain *client = Windows::get<frmMain>(WindowName::frmMain);
        QVERIFY(client);
        QStringList pane;
        connect(client->PicMsg, &QPlainTextEdit::textChanged, this,
                [&] { pane << client->PicMsg->toPlainText(); });
        client->txtIP->setText(QStringLiteral("127.0.0.1"));
        client->txtPort->setText(QString::number(m_base));
        client->cmdConnect->click();
        QVERIFY(client->flgConnect);
        QVERIFY(client->PicMsg->toPlainText().startsWith(QStringLiteral("Server Connected!")));
        QVERIFY(client->lblServerInfo[0]->text().startsWith(QString::fromLatin1(kGreeting)));
        QVERIFY(pane.join('\n').contains(QStringLiteral("Module Name is not correct!")));
        QCOMPARE(client->ComNo, 8);
        QCOMPARE(client->combCommPort->count(), 8);
        QCOMPARE(client->lblServerInfo[1]->text(), QStringLiteral("Unconnected"));

        // Every data port greeted its connection (Comm1's greeting went with
        // the port switch that Connect ends with); a line sent on Comm1 comes
        // back with the port's number.
        for (Winsock *data : w->tcpComm)
            QTRY_COMPARE(data->State(), int(Winsock::sckConnected));
        client->txtCommTx->setText(QStringLiteral("ping"));
        client->cmdCommTx->click();
        QTRY_VERIFY(client->txtCommRx->text().contains(QStringLiteral("ping")));
        QTRY_COMPARE(client->txtCommRx->text(), QStringLiteral("ping\r1"));
    }
};

QTEST_MAIN(TstFrmServer)
#include "tst_frmserver.moc"
