#include "tests/support/simulatedportd.h"

#include "app/codepage.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

// Tries for a free control port with free data ports behind it.
constexpr int kStartAttempts = 20;

const QByteArray kOk = QByteArrayLiteral("OK.");
const QByteArray kFail = QByteArrayLiteral("ERROR: Fail");
const QByteArray kNotSupported =
    QByteArrayLiteral("Input Command Not Support: Module not support ModbusTCP,");
const QList<QByteArray> kBaudrates = {"1200",  "2400",  "4800",  "9600",
                                      "19200", "38400", "57600", "115200"};

// Port N of an argument's first character: 1 to 8, or 0.
int portOf(const QByteArray &arg)
{
    if (arg.isEmpty() || arg.at(0) < '1' || arg.at(0) > '8')
        return 0;
    return arg.at(0) - '0';
}

// "192009040100" gives "192.9.40.100"; nothing unless twelve digits of octets.
std::optional<QString> dottedAddress(const QByteArray &digits)
{
    if (digits.size() != 12)
        return std::nullopt;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
    }
    QStringList octets;
    for (int i = 0; i < 4; ++i) {
        const int v = digits.mid(i * 3, 3).toInt();
        if (v > 255)
            return std::nullopt;
        octets << QString::number(v);
    }
    return octets.join(u'.');
}

} // namespace

SimulatedPortd::SimulatedPortd(QObject *parent) : QObject(parent)
{
    m_clock.start();
    m_pumpTimer.setSingleShot(true);
    connect(&m_pumpTimer, &QTimer::timeout, this, &SimulatedPortd::pump);
}

SimulatedPortd::~SimulatedPortd()
{
    stop();
}

bool SimulatedPortd::start(quint16 controlPort, bool withDataPorts)
{
    stop();
    m_clock.restart();
    if (controlPort != 0)
        return listenAll(controlPort, withDataPorts);
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        if (!listenAll(0, withDataPorts))
            return false;
        bool all = true;
        for (int k = 1; withDataPorts && k <= kPorts; ++k)
            all = all && isDataListening(k);
        if (all || attempt + 1 == kStartAttempts)
            return true;
        closeServers();
    }
    return false;
}

bool SimulatedPortd::listenAll(quint16 controlPort, bool withDataPorts)
{
    m_control = new QTcpServer(this);
    if (!m_control->listen(QHostAddress::LocalHost, controlPort)) {
        closeServers();
        return false;
    }
    connect(m_control, &QTcpServer::newConnection, this, &SimulatedPortd::onControlConnection);
    m_controlPort = m_control->serverPort();
    for (int k = 1; withDataPorts && k <= kPorts; ++k) {
        if (int(m_controlPort) + k > 65535)
            break;
        auto *server = new QTcpServer(this);
        if (!server->listen(QHostAddress::LocalHost, static_cast<quint16>(m_controlPort + k))) {
            delete server;
            continue;
        }
        connect(server, &QTcpServer::newConnection, this, [this, k] { onDataConnection(k); });
        m_data[static_cast<size_t>(k - 1)] = server;
    }
    return true;
}

void SimulatedPortd::closeServers()
{
    delete m_control;
    m_control = nullptr;
    for (QTcpServer *&server : m_data) {
        delete server;
        server = nullptr;
    }
    m_controlPort = 0;
}

void SimulatedPortd::stop()
{
    closeServers();
    for (QTcpSocket *s : live(m_controlSockets))
        s->abort();
    for (auto &sockets : m_dataSockets) {
        for (QTcpSocket *s : live(sockets))
            s->abort();
        sockets.clear();
    }
    m_controlSockets.clear();
    m_pending.clear();
    m_pumpTimer.stop();
}

bool SimulatedPortd::isDataListening(int k) const
{
    return k >= 1 && k <= kPorts && m_data[static_cast<size_t>(k - 1)] != nullptr;
}

QList<QTcpSocket *> SimulatedPortd::live(const QList<QPointer<QTcpSocket>> &sockets)
{
    QList<QTcpSocket *> out;
    for (const QPointer<QTcpSocket> &s : sockets) {
        if (s && s->state() == QAbstractSocket::ConnectedState)
            out << s.data();
    }
    return out;
}

void SimulatedPortd::onControlConnection()
{
    while (QTcpSocket *socket = m_control->nextPendingConnection()) {
        socket->setParent(this);
        m_controlSockets << socket;
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onControlData(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        emit controlConnected();
    }
}

void SimulatedPortd::onControlData(QTcpSocket *socket)
{
    const QByteArray text = socket->readAll();
    if (text.isEmpty())
        return;
    const qint64 now = m_clock.elapsed();
    m_requests.append({now, text});
    if (m_requests.size() > kMaxLoggedRequests)
        m_requests.removeFirst();
    emit requestReceived(text);

    switch (m_mode) {
    case Mode::Silent:
        return;
    case Mode::Close:
        socket->disconnectFromHost();
        return;
    case Mode::Normal:
    case Mode::Split:
        break;
    }
    const std::optional<QByteArray> reply = replyTo(text);
    if (!reply || reply->isEmpty())
        return;
    const qint64 readyAt = now + m_replyDelayMs;
    if (m_mode == Mode::Split && reply->size() >= 2) {
        const qsizetype half = reply->size() / 2;
        queue(socket, reply->left(half), readyAt, false);
        queue(socket, reply->mid(half), readyAt + qMax(m_splitGapMs, 0), m_splitGapMs < 0);
    } else {
        queue(socket, *reply, readyAt, false);
    }
}

std::optional<QByteArray> SimulatedPortd::replyTo(const QByteArray &request)
{
    const auto given = m_replies.constFind(request);
    if (given != m_replies.constEnd())
        return *given;
    Settings &s = m_settings;
    const QByteArray code = request.left(2);
    const QByteArray arg = request.mid(2);
    const int port = portOf(arg);
    const auto text = [](const QString &t) { return Cp950::fromUnicode(t); };

    if (code == "00" || code == "99")
        return std::nullopt;
    if (arg.isEmpty()) {
        if (code == "10")
            return text(s.moduleName);
        if (code == "01")
            return text(s.version);
        if (code == "13")
            return text(s.gateway);
        if (code == "15")
            return text(s.mask);
        if (code == "21")
            return text(s.mac);
    }
    if (code == "11")
        return arg;
    if (code == "16" && port && arg.size() == 1)
        return text(s.portSettings[static_cast<size_t>(port - 1)]);
    if ((code == "33" || code == "32") && !s.isModbus())
        return kNotSupported;
    if (code == "33" && port && arg.size() == 1)
        return QByteArray::number(s.modbus[static_cast<size_t>(port - 1)]);
    if (code == "32" && port && arg.size() == 2 && (arg.at(1) == '0' || arg.at(1) == '1')) {
        s.modbus[static_cast<size_t>(port - 1)] = arg.at(1) - '0';
        return kOk;
    }
    if (code == "06" && port && kBaudrates.contains(arg.mid(1))) {
        QString &settings = s.portSettings[static_cast<size_t>(port - 1)];
        const qsizetype comma = settings.indexOf(u',');
        settings = QString::fromLatin1(arg.mid(1)) + (comma < 0 ? QString() : settings.mid(comma));
        return kOk;
    }
    if (code == "07" && port && arg.size() == 4 && QByteArray("5678").contains(arg.at(1))
        && QByteArray("012").contains(arg.at(2)) && QByteArray("12").contains(arg.at(3))) {
        QString &settings = s.portSettings[static_cast<size_t>(port - 1)];
        settings = settings.section(u',', 0, 0) + QStringLiteral(",%1,%2,%3")
                                                      .arg(QLatin1Char(arg.at(1)))
                                                      .arg(QLatin1Char(arg.at(2)))
                                                      .arg(QLatin1Char(arg.at(3)));
        return kOk;
    }
    if (code == "08" || code == "12" || code == "14") {
        const std::optional<QString> address = dottedAddress(arg);
        if (!address)
            return kFail;
        (code == "08" ? s.ip : code == "12" ? s.gateway : s.mask) = *address;
        return kOk;
    }
    if (code == "20" && (arg == "0" || arg == "1")) {
        s.ledOn = arg == "1";
        return kOk;
    }
    return kFail;
}

void SimulatedPortd::queue(QTcpSocket *socket, const QByteArray &bytes, qint64 readyAt, bool held)
{
    m_pending.append({socket, readyAt, held, bytes});
    pump();
}

void SimulatedPortd::pump()
{
    // Replies leave in order: a held piece holds back what comes after it.
    while (!m_pending.isEmpty()) {
        const Pending &next = m_pending.first();
        if (next.held)
            return;
        const qint64 wait = next.readyAt - m_clock.elapsed();
        if (wait > 0) {
            m_pumpTimer.start(static_cast<int>(wait));
            return;
        }
        const Pending p = m_pending.takeFirst();
        if (p.socket && p.socket->state() == QAbstractSocket::ConnectedState)
            p.socket->write(p.bytes);
    }
}

void SimulatedPortd::releaseHeld()
{
    const qint64 now = m_clock.elapsed();
    for (Pending &p : m_pending) {
        if (p.held) {
            p.held = false;
            p.readyAt = now;
        }
    }
    pump();
}

void SimulatedPortd::noteSent(qint64 bytes)
{
    m_sent.append({m_clock.elapsed(), bytes});
    if (m_sent.size() > kMaxLoggedRequests)
        m_sent.removeFirst();
}

QList<QByteArray> SimulatedPortd::requestTexts() const
{
    QList<QByteArray> texts;
    for (const Request &r : m_requests)
        texts << r.text;
    return texts;
}

int SimulatedPortd::controlConnections() const
{
    return int(live(m_controlSockets).size());
}

bool SimulatedPortd::isDataConnected(int k) const
{
    return k >= 1 && k <= kPorts && !live(m_dataSockets[static_cast<size_t>(k - 1)]).isEmpty();
}

void SimulatedPortd::closeControl()
{
    for (QTcpSocket *s : live(m_controlSockets))
        s->disconnectFromHost();
}

void SimulatedPortd::closeData(int k)
{
    if (k < 1 || k > kPorts)
        return;
    for (QTcpSocket *s : live(m_dataSockets[static_cast<size_t>(k - 1)]))
        s->disconnectFromHost();
}

void SimulatedPortd::onDataConnection(int k)
{
    QTcpServer *server = m_data[static_cast<size_t>(k - 1)];
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        socket->setParent(this);
        auto &sockets = m_dataSockets[static_cast<size_t>(k - 1)];
        sockets.removeIf([](const QPointer<QTcpSocket> &s) { return s.isNull(); });
        sockets << socket;
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, k] {
            const QByteArray bytes = socket->readAll();
            QByteArray &record = m_dataRecord[static_cast<size_t>(k - 1)];
            record += bytes;
            if (record.size() > kMaxRecordedBytes)
                record.remove(0, record.size() - kMaxRecordedBytes);
            m_dataCount[static_cast<size_t>(k - 1)] += bytes.size();
            emit dataArrived(k, bytes);
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        emit dataConnected(k);
    }
}

void SimulatedPortd::pushData(int k, const QByteArray &bytes)
{
    if (k < 1 || k > kPorts)
        return;
    for (QTcpSocket *s : live(m_dataSockets[static_cast<size_t>(k - 1)]))
        s->write(bytes);
}

QByteArray SimulatedPortd::dataReceived(int k) const
{
    return k >= 1 && k <= kPorts ? m_dataRecord[static_cast<size_t>(k - 1)] : QByteArray();
}

qint64 SimulatedPortd::dataBytesReceived(int k) const
{
    return k >= 1 && k <= kPorts ? m_dataCount[static_cast<size_t>(k - 1)] : 0;
}
