#include "netclient/frmserver.h"

#include "app/dialogs.h"
#include "net/winsock.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr int kClientWidth = 5625; // twips
constexpr int kClientHeight = 4050;

using ServerLogic::ListenFailure;

} // namespace

frmServer::frmServer(QWidget *parent) : Form(parent)
{
    setWindowTitle(ServerLogic::windowTitle());
    setClientSizeTwips(kClientWidth, kClientHeight);
    buildControls();

    tcpServer = control<Winsock>(QStringLiteral("tcpServer"));
    controlArray(tcpComm, QStringLiteral("tcpComm"));

    tcpServer->setReceiveLimit(ServerLogic::kReceiveLimitBytes);
    connect(tcpServer, &Winsock::ConnectionRequest, this, &frmServer::tcpServer_ConnectionRequest);
    connect(tcpServer, &Winsock::DataArrival, this, &frmServer::tcpServer_DataArrival);
    connect(tcpServer, &Winsock::SendProgress, this,
            [this](qint64, qint64 remaining) { onSendProgress(tcpServer, remaining); });
    for (int i = 0; i < ServerLogic::kDataPorts; ++i) {
        Winsock *socket = tcpComm[i];
        socket->setReceiveLimit(ServerLogic::kReceiveLimitBytes);
        connect(socket, &Winsock::ConnectionRequest, this,
                [this, i](qintptr requestID) { tcpComm_ConnectionRequest(i, requestID); });
        connect(socket, &Winsock::DataArrival, this,
                [this, i](qint64 bytesTotal) { tcpComm_DataArrival(i, bytesTotal); });
        connect(socket, &Winsock::SendProgress, this,
                [this, socket](qint64, qint64 remaining) { onSendProgress(socket, remaining); });
    }

    connect(cmdConnect, &QPushButton::clicked, this, &frmServer::cmdConnect_Click);
    connect(txtSendData, &QPlainTextEdit::textChanged, this, &frmServer::txtSendData_Change);
}

frmServer::~frmServer()
{
    // No handler of ours may run while the controls go.
    tcpServer->disconnect(this);
    for (Winsock *socket : tcpComm)
        socket->disconnect(this);
}

void frmServer::buildControls()
{
    txtPort = textBox(QStringLiteral("txtPort"), QStringLiteral("1000"), {240, 240, 1215, 315});
    cmdConnect = button(QStringLiteral("cmdConnect"), QStringLiteral("DisConnect"),
                        {1560, 210, 1335, 375});
    Label1 = label(QStringLiteral("Label1"), QStringLiteral("Send Data"), {240, 720, 2475, 255});
    txtSendData = placed<QPlainTextEdit>(QStringLiteral("txtSendData"), {240, 990, 2475, 2820});
    Label2 = label(QStringLiteral("Label2"), QStringLiteral("Receive Data"),
                   {2910, 720, 2475, 255});
    txtOutput = placed<QPlainTextEdit>(QStringLiteral("txtOutput"), {2910, 990, 2475, 2820});
    for (QPlainTextEdit *box : {txtSendData, txtOutput}) {
        box->setPlainText(QStringLiteral("Text1"));
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }
}

void frmServer::formLoad()
{
    const ServerLogic::BasePort base =
        ServerLogic::basePortFrom(qgetenv(ServerLogic::kBasePortVariable));
    m_basePort = base.port;
    // The toggle listens again where the load did.
    txtPort->setText(QString::number(m_basePort));
    QStringList messages;
    if (!base.problem.isEmpty())
        messages << base.problem;

    QList<ListenFailure> failures;
    Listening = true;
    tcpServer->LocalPort = m_basePort;
    if (!tcpServer->Listen()) {
        failures << ListenFailure{m_basePort, tcpServer->listenErrorString()};
        // Not listening: the toggle's next press tries again.
        Listening = false;
        cmdConnect->setText(QStringLiteral("Connect"));
    }
    move(0, 0);
    for (int i = 0; i < ServerLogic::kDataPorts; ++i)
        listenData(i, failures);

    if (!failures.isEmpty())
        messages << ServerLogic::listenFailureText(failures);
    // Over the window rather than before it appears.
    if (!messages.isEmpty())
        QTimer::singleShot(0, this, [this, messages] { showMessages(messages); });
}

void frmServer::listenData(int index, QList<ListenFailure> &failures)
{
    Winsock *socket = tcpComm[index];
    socket->LocalPort = m_basePort + index + 1;
    m_dataListenFailed[index] = !socket->Listen();
    if (m_dataListenFailed[index])
        failures << ListenFailure{socket->LocalPort, socket->listenErrorString()};
}

void frmServer::showMessages(const QStringList &texts)
{
    msgBox(this, texts.join(QLatin1Char('\n')), QMessageBox::Ok, QMessageBox::Warning);
}

void frmServer::cmdConnect_Click()
{
    if (Listening) {
        Listening = false;
        tcpServer->Close();
        m_echoHeld[0] = false;
        m_sendTextHeld = false;
        cmdConnect->setText(QStringLiteral("Connect"));
        return;
    }
    const QString text = txtPort->text();
    const std::optional<int> port = ServerLogic::portFromText(text);
    if (!port) {
        showMessages({ServerLogic::badPortText(text)});
        return;
    }
    QList<ListenFailure> failures;
    tcpServer->LocalPort = *port;
    if (tcpServer->Listen()) {
        Listening = true;
        cmdConnect->setText(QStringLiteral("DisConnect"));
    } else {
        failures << ListenFailure{*port, tcpServer->listenErrorString()};
    }
    // Data ports that could not listen before get another chance.
    for (int i = 0; i < ServerLogic::kDataPorts; ++i) {
        if (m_dataListenFailed[i])
            listenData(i, failures);
    }
    if (!failures.isEmpty())
        showMessages({ServerLogic::listenFailureText(failures)});
}

void frmServer::txtSendData_Change()
{
    // Without a connection there is no one to send to.
    if (tcpServer->State() != Winsock::sckConnected)
        return;
    // Typing on while the peer does not read: only the latest text goes out
    // once the queue is down.
    if (tcpServer->bytesToSend() >= ServerLogic::kSendQueueLimitBytes) {
        m_sendTextHeld = true;
        return;
    }
    tcpServer->SendData(ServerLogic::sendText(txtSendData->toPlainText()));
}

void frmServer::tcpServer_ConnectionRequest(qintptr requestID)
{
    if (tcpServer->State() != Winsock::sckClosed)
        tcpServer->Close();
    if (!tcpServer->Accept(requestID))
        return;
    m_outputDecoder = Cp950::Decoder();
    m_echoHeld[0] = false;
    m_sendTextHeld = false;
    tcpServer->SendData(ServerLogic::controlGreeting());
}

void frmServer::tcpServer_DataArrival(qint64)
{
    if (tcpServer->bytesToSend() >= ServerLogic::kSendQueueLimitBytes) {
        m_echoHeld[0] = true;
        return;
    }
    QByteArray data;
    tcpServer->GetData(data);
    if (data.isEmpty())
        return;
    txtOutput->setPlainText(ServerLogic::shownText(m_outputDecoder, data));
    tcpServer->SendData(data);
}

void frmServer::tcpComm_ConnectionRequest(int Index, qintptr requestID)
{
    Winsock *socket = tcpComm[Index];
    if (socket->State() != Winsock::sckClosed)
        socket->Close();
    if (!socket->Accept(requestID))
        return;
    m_echoHeld[1 + Index] = false;
    socket->SendData(ServerLogic::dataGreeting(Index));
}

void frmServer::tcpComm_DataArrival(int Index, qint64)
{
    Winsock *socket = tcpComm[Index];
    if (socket->bytesToSend() >= ServerLogic::kSendQueueLimitBytes) {
        m_echoHeld[1 + Index] = true;
        return;
    }
    QByteArray data;
    socket->GetData(data);
    if (!data.isEmpty())
        socket->SendData(ServerLogic::dataEcho(data, Index));
}

void frmServer::onSendProgress(Winsock *socket, qint64 bytesRemaining)
{
    if (bytesRemaining > ServerLogic::kResumeBelowBytes)
        return;
    if (socket == tcpServer) {
        if (m_sendTextHeld) {
            m_sendTextHeld = false;
            txtSendData_Change();
        }
        if (m_echoHeld[0]) {
            m_echoHeld[0] = false;
            if (tcpServer->BytesReceived() > 0)
                tcpServer_DataArrival(tcpServer->BytesReceived());
        }
        return;
    }
    for (int i = 0; i < ServerLogic::kDataPorts; ++i) {
        if (tcpComm[i] == socket && m_echoHeld[1 + i]) {
            m_echoHeld[1 + i] = false;
            if (socket->BytesReceived() > 0)
                tcpComm_DataArrival(i, socket->BytesReceived());
        }
    }
}
