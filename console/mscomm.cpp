#include "console/mscomm.h"

#include "app/comports.h"

#include <QPointer>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <termios.h>
#endif

namespace {

constexpr int kMaxCommPort = 16;
constexpr qint64 kReadBufferBytes = 64 * 1024;

// Marks a stretch of our own calls into the port (see m_ownCall).
class OwnCall
{
public:
    explicit OwnCall(bool &flag) : m_flag(flag), m_was(flag) { m_flag = true; }
    ~OwnCall() { m_flag = m_was; }
    OwnCall(const OwnCall &) = delete;
    OwnCall &operator=(const OwnCall &) = delete;

private:
    bool &m_flag;
    bool m_was;
};

} // namespace

MSComm::MSComm(QObject *parent)
    : QObject(parent), m_port(new QSerialPort(this)), m_modemPoll(new QTimer(this)),
      m_errorSource(LineErrors::systemSource())
{
    // A device that sends faster than the window shows waits in the system's
    // buffers instead of piling up in ours.
    m_port->setReadBufferSize(kReadBufferBytes);
    m_modemPoll->setTimerType(Qt::PreciseTimer);
    m_modemPoll->setInterval(kModemPollMs);
    connect(m_modemPoll, &QTimer::timeout, this, &MSComm::pollLines);
    // Raised from the event loop, not inside the port's own signal: the port
    // signals nothing new while that signal runs, and a receive handler may
    // ask the user something (a log that cannot be written) for a long time.
    connect(m_port, &QSerialPort::readyRead, this, &MSComm::queueReceive);
    connect(m_port, &QSerialPort::errorOccurred, this, &MSComm::onPortError);
}

MSComm::~MSComm()
{
    // Quiet: closing in the destructor must not report anything.
    m_ownCall = true;
    m_port->disconnect(this);
    // What was sent just before the window went still goes out.
    if (m_port->isOpen())
        m_port->flush();
}

QString MSComm::deviceName() const
{
    return ComPorts::device(m_commPort).path;
}

QString MSComm::portLabel() const
{
    return QStringLiteral("COM%1 (%2)").arg(m_commPort).arg(m_device);
}

bool MSComm::setCommPort(int port)
{
    if (PortOpen()) {
        m_error = QStringLiteral("The port number cannot change while COM%1 is open.")
                      .arg(m_commPort);
        return false;
    }
    if (port < 1 || port > kMaxCommPort) {
        m_error = QStringLiteral("Invalid port number %1: expected 1 to %2.")
                      .arg(port)
                      .arg(kMaxCommPort);
        return false;
    }
    m_commPort = port;
    return true;
}

bool MSComm::setSettings(const QString &text)
{
    QString why;
    const std::optional<LineSettings> s = LineSettings::parse(text, &why);
    if (!s) {
        m_error = why;
        return false;
    }
    if (PortOpen() && !applySettings(*s)) {
        applySettings(m_settings); // back to what the line had
        return false;
    }
    m_settings = *s;
    return true;
}

bool MSComm::setHandshaking(qint64 mode)
{
    if (mode < Handshake::kNone || mode > Handshake::kBoth) {
        m_error = QStringLiteral("Invalid handshaking %1: expected 0 (none), 1 (XON/XOFF), "
                                 "2 (RTS/CTS) or 3 (both).")
                      .arg(mode);
        return false;
    }
    if (PortOpen() && !applyHandshaking(static_cast<int>(mode))) {
        applyHandshaking(m_handshaking);
        return false;
    }
    m_handshaking = static_cast<int>(mode);
    return true;
}

bool MSComm::PortOpen() const
{
    return m_port->isOpen();
}

bool MSComm::setPortOpen(bool open)
{
    if (!open) {
        if (!PortOpen())
            return true;
        OwnCall own(m_ownCall);
        m_modemPoll->stop();
        // Hand what is still queued to the system before the port goes.
        m_port->flush();
        m_port->close();
        m_port->clearError();
        m_decoder = Cp950::Decoder();
        return true;
    }
    if (PortOpen()) {
        m_error = QStringLiteral("COM%1 is already open.").arg(m_commPort);
        return false;
    }
    OwnCall own(m_ownCall);
    const ComPorts::Device device = ComPorts::device(m_commPort);
    m_device = device.path;
    m_port->setPortName(m_device);
    if (!m_port->open(QIODevice::ReadWrite)) {
        QString why = m_port->errorString();
        if (m_port->error() == QSerialPort::PermissionError)
            why = QStringLiteral("it is in use or access is denied (%1)").arg(why);
        // Which device, and why that one: the user may have meant another.
        QString label = portLabel();
        if (const QString note = ComPorts::originNote(m_commPort, device); !note.isEmpty())
            label = QStringLiteral("COM%1 (%2, %3)")
                        .arg(QString::number(m_commPort), m_device, note);
        m_error = QStringLiteral("%1 cannot be opened: %2.").arg(label, why);
        for (const QString &problem : device.problems)
            m_error += u' ' + problem;
        m_port->clearError();
        return false;
    }
    if (!applySettings(m_settings) || !applyHandshaking(m_handshaking)) {
        m_port->close();
        m_port->clearError();
        return false;
    }
    applyDtr();
    m_decoder = Cp950::Decoder();
    m_failing = false;
    m_event = 0;
    // Watch the modem lines and the error counts only where the port can
    // read them; the counts so far are the line's past.
    m_lines = m_port->pinoutSignals();
    m_watchLines = m_port->error() == QSerialPort::NoError;
    m_port->clearError();
    m_errorCounts = m_errorSource ? m_errorSource(m_port->handle()) : std::nullopt;
    if (m_watchLines || m_errorCounts)
        m_modemPoll->start();
    return true;
}

bool MSComm::applySettings(const LineSettings &s)
{
    OwnCall own(m_ownCall);
    const bool ok = m_port->setBaudRate(s.baudRate) && m_port->setParity(s.parity)
                    && m_port->setDataBits(s.dataBits) && m_port->setStopBits(s.stopBits);
    if (!ok) {
        m_error = QStringLiteral("%1 does not take the settings \"%2\": %3.")
                      .arg(portLabel(), s.text(), m_port->errorString());
        m_port->clearError();
    }
    return ok;
}

bool MSComm::applyHandshaking(int mode)
{
    OwnCall own(m_ownCall);
    QSerialPort::FlowControl flow = QSerialPort::NoFlowControl;
    if (mode == Handshake::kXonXoff)
        flow = QSerialPort::SoftwareControl;
    else if (mode == Handshake::kRtsCts || mode == Handshake::kBoth)
        flow = QSerialPort::HardwareControl;
    bool ok = m_port->setFlowControl(flow);
#ifdef Q_OS_UNIX
    // QSerialPort offers one kind of flow control at a time; both at once is
    // RTS/CTS with XON/XOFF switched on beside it.
    if (ok && mode == Handshake::kBoth) {
        termios tio{};
        ok = ::tcgetattr(static_cast<int>(m_port->handle()), &tio) == 0;
        tio.c_iflag |= IXON | IXOFF;
        ok = ok && ::tcsetattr(static_cast<int>(m_port->handle()), TCSANOW, &tio) == 0;
    }
#endif
    if (!ok) {
        m_error = QStringLiteral("%1 does not take handshaking %2: %3.")
                      .arg(portLabel(), QString::number(mode), m_port->errorString());
        m_port->clearError();
    }
    return ok;
}

void MSComm::applyDtr()
{
    OwnCall own(m_ownCall);
    m_port->setDataTerminalReady(m_dtr);
    m_port->clearError();
}

void MSComm::setDTREnable(bool on)
{
    m_dtr = on;
    if (PortOpen())
        applyDtr();
}

bool MSComm::Output(const QString &text)
{
    return OutputBytes(Cp950::fromUnicode(text));
}

bool MSComm::OutputBytes(const QByteArray &bytes)
{
    if (!PortOpen()) {
        m_error = QStringLiteral("COM%1 is not open.").arg(m_commPort);
        return false;
    }
    OwnCall own(m_ownCall);
    if (m_port->write(bytes) != bytes.size()) {
        m_error = QStringLiteral("%1: sending failed: %2.").arg(portLabel(), m_port->errorString());
        m_port->clearError();
        return false;
    }
    emit outputQueued(bytes);
    return true;
}

QString MSComm::Input()
{
    if (!PortOpen())
        return QString();
    // Pieces of the size of the control's input buffer keep the work of each
    // receive event bounded, however fast the device sends.
    const QString text = m_decoder.decode(m_port->read(kInBufferSize));
    if (m_port->bytesAvailable() > 0)
        queueReceive();
    return text;
}

void MSComm::queueReceive()
{
    if (m_moreQueued)
        return;
    m_moreQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_moreQueued = false;
            if (PortOpen() && m_port->bytesAvailable() > 0)
                raiseEvent(comEvReceive);
        },
        Qt::QueuedConnection);
}

int MSComm::OutBufferCount() const
{
    return PortOpen() ? static_cast<int>(m_port->bytesToWrite()) : 0;
}

void MSComm::raiseEvent(int code)
{
    m_event = code;
    emit OnComm(code);
}

QList<int> MSComm::modemLineEvents(QSerialPort::PinoutSignals before,
                                   QSerialPort::PinoutSignals after)
{
    const QSerialPort::PinoutSignals changed = before ^ after;
    QList<int> events;
    if (changed & QSerialPort::ClearToSendSignal)
        events << comEvCTS;
    if (changed & QSerialPort::DataSetReadySignal)
        events << comEvDSR;
    if (changed & QSerialPort::DataCarrierDetectSignal)
        events << comEvCD;
    // A ring is the start of the ring signal, not its end.
    if ((changed & QSerialPort::RingIndicatorSignal) && (after & QSerialPort::RingIndicatorSignal))
        events << comEvRing;
    return events;
}

QList<int> MSComm::lineErrorEvents(const LineErrorCounts &before, const LineErrorCounts &after)
{
    QList<int> events;
    if (after.breaks != before.breaks)
        events << comEventBreak;
    if (after.framing != before.framing)
        events << comEventFrame;
    if (after.overrun != before.overrun)
        events << comEventOverrun;
    if (after.bufferOverrun != before.bufferOverrun)
        events << comEventRxOver;
    if (after.parity != before.parity)
        events << comEventRxParity;
    if (after.txFull != before.txFull)
        events << comEventTxFull;
    return events;
}

void MSComm::pollLines()
{
    if (m_raisingPolled)
        return;
    QList<int> events;
    if (m_watchLines) {
        OwnCall own(m_ownCall);
        const QSerialPort::PinoutSignals now = m_port->pinoutSignals();
        if (m_port->error() != QSerialPort::NoError) {
            // The lines cannot be read any more: stop watching them quietly;
            // a port that really failed reports that through its own error.
            m_port->clearError();
            m_watchLines = false;
        } else {
            events = modemLineEvents(m_lines, now);
            m_lines = now;
        }
    }
    if (m_errorCounts) {
        const std::optional<LineErrorCounts> now = m_errorSource(m_port->handle());
        if (now)
            events += lineErrorEvents(*m_errorCounts, *now);
        m_errorCounts = now;
    }
    if (!m_watchLines && !m_errorCounts)
        m_modemPoll->stop();
    const QPointer<MSComm> self(this);
    m_raisingPolled = true;
    for (const int code : events) {
        raiseEvent(code);
        if (!self)
            return;
        if (!PortOpen())
            break;
    }
    m_raisingPolled = false;
}

void MSComm::onPortError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || m_ownCall || !m_port->isOpen() || m_failing)
        return;
    // A failed read keeps failing until the port closes; closing here, inside
    // QSerialPort's own notification, is not safe, so close right after it.
    m_failing = true;
    const QString systemText = m_port->errorString();
    QMetaObject::invokeMethod(
        this, [this, error, systemText] { failPort(error, systemText); }, Qt::QueuedConnection);
}

void MSComm::failPort(QSerialPort::SerialPortError error, const QString &systemText)
{
    if (!PortOpen())
        return;
    QString why;
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::ResourceError:
    case QSerialPort::DeviceNotFoundError:
        // The system's text after a hang-up is often stale; say what happened.
        why = QStringLiteral("the device is no longer available");
        break;
    case QSerialPort::WriteError:
        why = QStringLiteral("sending failed (%1)").arg(systemText);
        break;
    default:
        why = systemText;
        break;
    }
    const QString label = portLabel();
    {
        OwnCall own(m_ownCall);
        m_modemPoll->stop();
        m_port->close();
        m_port->clearError();
    }
    m_decoder = Cp950::Decoder();
    m_error = QStringLiteral("%1 stopped working and has been closed: %2.").arg(label, why);
    raiseEvent(comEventPortFailure);
}
