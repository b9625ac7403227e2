#include "net/winsock.h"

#include <QHostAddress>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>

// The listening side of a Winsock: hands each accepted descriptor to its
// owner instead of wrapping it in a socket of its own.
class WinsockListener : public QTcpServer
{
public:
    explicit WinsockListener(Winsock *owner) : m_owner(owner) {}

protected:
    void incomingConnection(qintptr handle) override
    {
        if (m_owner)
            m_owner->onIncoming(handle);
        else
            Winsock::refuse(handle);
    }

private:
    friend class Winsock;
    Winsock *m_owner;
};

namespace {

// Connections accepted by a listener whose ConnectionRequest handler is still
// running; any Winsock may take one of them with Accept().
QSet<qintptr> &pendingRequests()
{
    static QSet<qintptr> pending;
    return pending;
}

int errorNumber(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return Winsock::sckConnectionRefused;
    case QAbstractSocket::HostNotFoundError:
        return Winsock::sckHostNotFound;
    case QAbstractSocket::SocketTimeoutError:
        return Winsock::sckTimedOut;
    case QAbstractSocket::NetworkError:
        return Winsock::sckNetworkUnreachable;
    case QAbstractSocket::AddressInUseError:
        return Winsock::sckAddressInUse;
    case QAbstractSocket::RemoteHostClosedError:
        return Winsock::sckConnectionReset;
    default:
        return Winsock::sckSocketError;
    }
}

} // namespace

Winsock::Winsock(QObject *parent) : QObject(parent) {}

Winsock::~Winsock()
{
    // Destroyed from inside one of our own signals: the socket or listener that
    // raised it is still on the stack, so it may only go later.
    if (m_emitting > 0) {
        if (m_socket) {
            m_socket->disconnect(this);
            m_socket->setParent(nullptr);
            m_socket->deleteLater();
        }
        if (m_listener) {
            m_listener->m_owner = nullptr;
            m_listener->close();
            m_listener->setParent(nullptr);
            m_listener->deleteLater();
        }
        return;
    }
    if (m_socket)
        m_socket->disconnect(this);
}

QString Winsock::stateName(int state)
{
    static const char *const names[] = {"Closed",     "Open",          "Listening",
                                        "ConnectionPending", "ResolvingHost", "HostResolved",
                                        "Connecting", "Connected",     "Closing",
                                        "Error"};
    if (state < 0 || state >= static_cast<int>(std::size(names)))
        return QString();
    return QString::fromLatin1(names[state]);
}

template <class Signal>
bool Winsock::raise(Signal &&signal)
{
    QPointer<Winsock> self(this);
    ++m_emitting;
    signal();
    if (!self)
        return false;
    --m_emitting;
    return true;
}

bool Winsock::setState(int state)
{
    if (m_state == state)
        return true;
    m_state = state;
    return raise([this, state] { emit StateChanged(state); });
}

bool Winsock::Connect()
{
    if (m_state != sckClosed && m_state != sckError)
        return false;
    if (RemotePort < 1 || RemotePort > 65535)
        return false;
    dropSocket();
    if (m_listener)
        m_listener->close();
    m_decoder = Cp950::Decoder();

    auto *socket = new QTcpSocket(this);
    adoptSocket(socket);
    const QHostAddress literal(RemoteHost);
    if (!setState(literal.isNull() ? sckResolvingHost : sckConnecting))
        return true; // a handler of the state change destroyed us
    // Started from the event loop: a connection that fails at once must still
    // report after Connect() has returned, like every other outcome.
    const QString host = RemoteHost;
    const quint16 port = static_cast<quint16>(RemotePort);
    QPointer<QTcpSocket> guard(socket);
    QMetaObject::invokeMethod(
        this,
        [this, guard, host, port] {
            if (guard && guard == m_socket)
                guard->connectToHost(host, port);
        },
        Qt::QueuedConnection);
    return true;
}

bool Winsock::Listen()
{
    if (m_state != sckClosed && m_state != sckError) {
        m_listenError = QStringLiteral("The socket is in use");
        return false;
    }
    if (LocalPort < 0 || LocalPort > 65535) {
        m_listenError = QStringLiteral("The port is out of range");
        return false;
    }
    dropSocket();
    if (!m_listener)
        m_listener = new WinsockListener(this);
    m_listener->setParent(this);
    m_listener->close();
    if (!m_listener->listen(QHostAddress::Any, static_cast<quint16>(LocalPort))) {
        m_listenError = m_listener->errorString();
        return false;
    }
    m_listenError.clear();
    LocalPort = m_listener->serverPort();
    setState(sckListening);
    return true;
}

void Winsock::refuse(qintptr descriptor)
{
    QTcpSocket closer;
    if (closer.setSocketDescriptor(descriptor))
        closer.abort();
}

void Winsock::onIncoming(qintptr descriptor)
{
    pendingRequests().insert(descriptor);
    raise([&] { emit ConnectionRequest(descriptor); });
    if (pendingRequests().remove(descriptor))
        refuse(descriptor);
}

bool Winsock::Accept(qintptr requestID)
{
    if (m_state != sckClosed || !pendingRequests().contains(requestID))
        return false;
    dropSocket();
    auto *socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(requestID)) {
        delete socket;
        return false;
    }
    pendingRequests().remove(requestID);
    m_decoder = Cp950::Decoder();
    adoptSocket(socket);
    LocalPort = socket->localPort();
    RemoteHost = socket->peerAddress().toString();
    RemotePort = socket->peerPort();
    setState(sckConnected);
    return true;
}

bool Winsock::SendData(const QByteArray &data)
{
    if (m_state != sckConnected || !m_socket)
        return false;
    m_socket->write(data);
    // Out now rather than on the next pass of the event loop.
    m_socket->flush();
    return true;
}

bool Winsock::SendData(const QString &text)
{
    return SendData(Cp950::fromUnicode(text));
}

qint64 Winsock::BytesReceived() const
{
    return m_socket ? m_socket->bytesAvailable() : 0;
}

qint64 Winsock::bytesToSend() const
{
    return m_socket ? m_socket->bytesToWrite() : 0;
}

void Winsock::setReceiveLimit(qint64 bytes)
{
    m_receiveLimit = std::max<qint64>(bytes, 0);
    if (m_socket)
        m_socket->setReadBufferSize(m_receiveLimit);
}

void Winsock::GetData(QByteArray &data)
{
    data = m_socket ? m_socket->readAll() : QByteArray();
    m_takenInArrival += data.size();
}

void Winsock::GetData(QString &text)
{
    QByteArray bytes;
    GetData(bytes);
    text = m_decoder.decode(bytes);
}

void Winsock::Close()
{
    if (m_listener)
        m_listener->close();
    dropSocket();
    m_decoder = Cp950::Decoder();
    setState(sckClosed);
}

void Winsock::adoptSocket(QTcpSocket *socket)
{
    m_socket = socket;
    socket->setReadBufferSize(m_receiveLimit);
    connect(socket, &QIODevice::bytesWritten, this, &Winsock::onBytesWritten);
    connect(socket, &QAbstractSocket::stateChanged, this, &Winsock::onSocketStateChanged);
    connect(socket, &QAbstractSocket::connected, this, &Winsock::onConnected);
    connect(socket, &QIODevice::readyRead, this, &Winsock::onReadyRead);
    connect(socket, &QAbstractSocket::disconnected, this, &Winsock::onDisconnected);
    connect(socket, &QAbstractSocket::errorOccurred, this, &Winsock::onSocketError);
}

void Winsock::dropSocket()
{
    if (!m_socket)
        return;
    QTcpSocket *socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    socket->abort();
    // It may be the sender of the signal being handled right now.
    socket->deleteLater();
}

void Winsock::onSocketStateChanged()
{
    if (!m_socket)
        return;
    switch (m_socket->state()) {
    case QAbstractSocket::HostLookupState:
        // An address needs no lookup; Qt passes this state all the same.
        if (m_state != sckConnecting)
            setState(sckResolvingHost);
        break;
    case QAbstractSocket::ConnectingState:
        if (m_state == sckResolvingHost
            && (!setState(sckHostResolved) || m_state != sckHostResolved))
            return; // destroyed or closed by a handler of the state change
        setState(sckConnecting);
        break;
    default:
        break;
    }
}

void Winsock::onConnected()
{
    LocalPort = m_socket->localPort();
    if (!setState(sckConnected) || m_state != sckConnected)
        return; // destroyed or closed by a handler of the state change
    raise([this] { emit ConnectEvent(); });
}

void Winsock::onReadyRead()
{
    // Qt raises no readyRead inside a readyRead handler; what arrives then is
    // delivered after the handler, below.
    if (!m_inArrival)
        deliverArrival();
}

void Winsock::deliverArrival()
{
    m_arrivalQueued = false;
    if (!m_socket || m_inArrival)
        return;
    const qint64 total = m_socket->bytesAvailable();
    if (total <= 0)
        return;
    QPointer<QTcpSocket> socket = m_socket;
    m_inArrival = true;
    m_takenInArrival = 0;
    if (!raise([&] { emit DataArrival(total); }))
        return;
    m_inArrival = false;
    if (!m_socket || m_socket != socket || m_arrivalQueued)
        return;
    // Bytes beyond those that were reported and not taken arrived during the
    // handler: report them as a block of their own.
    if (m_socket->bytesAvailable() > total - m_takenInArrival) {
        m_arrivalQueued = true;
        QMetaObject::invokeMethod(this, &Winsock::deliverArrival, Qt::QueuedConnection);
    }
}

void Winsock::onDisconnected()
{
    if (m_state != sckConnected)
        return;
    // Blocks still waiting for a queued DataArrival come before the close.
    if (m_arrivalQueued && !m_inArrival) {
        QPointer<Winsock> self(this);
        deliverArrival();
        if (!self || m_state != sckConnected)
            return;
    }
    if (!setState(sckClosing) || m_state != sckClosing)
        return; // destroyed or closed by a handler of the state change
    raise([this] { emit CloseEvent(); });
}

void Winsock::onSocketError()
{
    if (!m_socket)
        return;
    const QAbstractSocket::SocketError error = m_socket->error();
    // The peer ending the connection is a close, not an error.
    if (error == QAbstractSocket::RemoteHostClosedError && m_state == sckConnected)
        return;
    raiseError(errorNumber(error), m_socket->errorString());
}

void Winsock::onBytesWritten(qint64 bytes)
{
    if (!m_socket)
        return;
    const qint64 remaining = m_socket->bytesToWrite();
    raise([&] { emit SendProgress(bytes, remaining); });
}

void Winsock::raiseError(int number, const QString &description)
{
    const int before = m_state;
    if (!raise([&] { emit Error(number, description); }))
        return;
    if (m_state == before)
        setState(sckError);
}
