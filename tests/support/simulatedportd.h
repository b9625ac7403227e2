#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <array>
#include <optional>

class QTcpServer;
class QTcpSocket;

// The 4630K's server program Portd for tests: a control port on 127.0.0.1 that
// answers the numbered commands from settings of its own, and data ports at
// the control port + k (k = 1 to 8) that record what they receive and send
// what the test gives them. Each arrival on a control connection is one
// request. It logs every request with its arrival time, and can be made
// silent, late, or to split its replies or close the connection instead.
class SimulatedPortd : public QObject
{
    Q_OBJECT

public:
    static constexpr int kPorts = 8;
    // Bound of the request and send logs (oldest dropped) and of each data port's record
    // (latest bytes kept).
    static constexpr qsizetype kMaxLoggedRequests = 10000;
    static constexpr qsizetype kMaxRecordedBytes = 1024 * 1024;

    // What the replies tell; the sets change it.
    struct Settings
    {
        QString moduleName = QStringLiteral("4630M4");
        QString version = QStringLiteral("V1.0.00[01/06/2003]");
        QString ip = QStringLiteral("192.9.40.100");
        QString gateway = QStringLiteral("192.9.40.254");
        QString mask = QStringLiteral("255.255.255.0");
        QString mac = QStringLiteral("00:00:f1:86:97:a6");
        // Reply to "16" N for port N.
        std::array<QString, kPorts> portSettings = eight("19200,8,0,1");
        // Reply to "33" N: 0 or 1.
        std::array<int, kPorts> modbus{};
        bool ledOn = true;

        static std::array<QString, kPorts> eight(const char *value)
        {
            std::array<QString, kPorts> a;
            a.fill(QString::fromLatin1(value));
            return a;
        }
        // The fifth character of the module name is "M".
        bool isModbus() const { return moduleName.size() >= 5 && moduleName.at(4) == u'M'; }
    };

    enum class Mode {
        Normal,
        Silent, // records, never answers
        Split,  // each reply in two pieces (see setSplitGap)
        Close,  // closes the control connection instead of answering
    };

    struct Request
    {
        qint64 ms; // since start(), on elapsed()'s clock
        QByteArray text;
    };

    // Bytes the client under test handed to its connection, and when.
    struct Sent
    {
        qint64 ms; // on elapsed()'s clock
        qint64 bytes;
    };

    explicit SimulatedPortd(QObject *parent = nullptr);
    ~SimulatedPortd() override;

    // Listens on 127.0.0.1. controlPort 0 takes a free port that has eight
    // free ports after it where it can find one. A data port that cannot be
    // listened on is left out (see isDataListening). False, with nothing
    // listening, when the control port cannot be listened on.
    bool start(quint16 controlPort = 0, bool withDataPorts = true);
    void stop();
    quint16 controlPort() const { return m_controlPort; }
    bool isDataListening(int k) const;

    Settings &settings() { return m_settings; }

    void setMode(Mode mode) { m_mode = mode; }
    // Every reply leaves this long after its request came (a late reply).
    void setReplyDelay(int ms) { m_replyDelayMs = ms; }
    // Split mode: the second piece leaves this long after the first; below 0
    // it waits for releaseHeld().
    void setSplitGap(int ms) { m_splitGapMs = ms; }
    void releaseHeld();
    // The reply to one exact request text, in place of the settings' reply;
    // an empty reply sends nothing.
    void setReply(const QByteArray &request, const QByteArray &reply) { m_replies[request] = reply; }
    void clearReplies() { m_replies.clear(); }

    // The reply the settings give to a request; nothing for one that gets none.
    std::optional<QByteArray> replyTo(const QByteArray &request);

    QList<Request> requests() const { return m_requests; }
    QList<QByteArray> requestTexts() const;
    // Forgets the requests and the sends alike.
    void clearLog()
    {
        m_requests.clear();
        m_sent.clear();
    }

    // The client reports each block it hands to its control connection
    // (for example from its socket's progress signal). An arrival here may
    // come late on a busy machine, so a pause is measured at the sender.
    void noteSent(qint64 bytes);
    QList<Sent> sent() const { return m_sent; }
    qint64 elapsed() const { return m_clock.elapsed(); }

    int controlConnections() const;
    bool isDataConnected(int k) const;
    // The device ends the connections of its control port / of data port k.
    void closeControl();
    void closeData(int k);

    // Sends bytes on data port k's connections.
    void pushData(int k, const QByteArray &bytes);
    // What data port k received (its latest kMaxRecordedBytes).
    QByteArray dataReceived(int k) const;
    qint64 dataBytesReceived(int k) const;

signals:
    void requestReceived(const QByteArray &text);
    void controlConnected();
    void dataConnected(int k);
    void dataArrived(int k, const QByteArray &bytes);

private:
    struct Pending
    {
        QPointer<QTcpSocket> socket;
        qint64 readyAt;
        bool held;
        QByteArray bytes;
    };

    bool listenAll(quint16 controlPort, bool withDataPorts);
    void closeServers();
    void onControlConnection();
    void onControlData(QTcpSocket *socket);
    void onDataConnection(int k);
    void queue(QTcpSocket *socket, const QByteArray &bytes, qint64 readyAt, bool held);
    void pump();
    static QList<QTcpSocket *> live(const QList<QPointer<QTcpSocket>> &sockets);

    Settings m_settings;
    Mode m_mode = Mode::Normal;
    int m_replyDelayMs = 0;
    int m_splitGapMs = 100;
    QHash<QByteArray, QByteArray> m_replies;

    QTcpServer *m_control = nullptr;
    std::array<QTcpServer *, kPorts> m_data{};
    quint16 m_controlPort = 0;
    QList<QPointer<QTcpSocket>> m_controlSockets;
    std::array<QList<QPointer<QTcpSocket>>, kPorts> m_dataSockets;
    std::array<QByteArray, kPorts> m_dataRecord;
    std::array<qint64, kPorts> m_dataCount{};

    QList<Pending> m_pending;
    QTimer m_pumpTimer;
    QElapsedTimer m_clock;
    QList<Request> m_requests;
    QList<Sent> m_sent;
};
