#pragma once

#include "app/codepage.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

class QTcpSocket;
class WinsockListener;

// One TCP connection or one listener, driven by the event loop: the callers set
// the addresses, start an operation that returns at once, and learn the outcome
// from the state and the signals.
//
// - Connect(): RemoteHost (name or address, as typed) and RemotePort; the state
//   goes 4 or 6, then 7 with ConnectEvent(), or an Error().
// - Listen(): LocalPort (0 picks a free port; LocalPort then tells which). Each
//   incoming connection raises ConnectionRequest(requestID). Accept(requestID)
//   must be called inside that handler, on any Winsock whose state is 0 (the
//   listener itself after its Close()); a request not accepted by then is refused.
// - DataArrival(bytesTotal) is raised once per block received. GetData() hands
//   out everything received since the last call. Data that arrives while a
//   DataArrival handler runs (for example while it yields) raises a further
//   DataArrival after the handler has returned.
// - SendData() queues and returns; SendProgress() follows the queue as the
//   system takes it. A connection with a receive limit stops reading from the
//   peer while that much lies received and not taken, so that a peer sending
//   faster than the bytes are taken waits instead of filling memory.
// - The peer closing the connection raises CloseEvent() and leaves the state at
//   8 (closing) until Close(); what was received before stays readable.
// - Error(number, description) is raised while State() still tells the state in
//   which the error struck; the state becomes 9 afterwards.
// Any signal handler may Close() or destroy this object.
class Winsock : public QObject
{
    Q_OBJECT

public:
    enum StateValue {
        sckClosed = 0,
        sckOpen = 1,
        sckListening = 2,
        sckConnectionPending = 3,
        sckResolvingHost = 4,
        sckHostResolved = 5,
        sckConnecting = 6,
        sckConnected = 7,
        sckClosing = 8,
        sckError = 9,
    };

    // Error numbers of the socket layer.
    enum ErrorNumber {
        sckAddressInUse = 10048,
        sckNetworkUnreachable = 10051,
        sckConnectionReset = 10054,
        sckTimedOut = 10060,
        sckConnectionRefused = 10061,
        sckHostNotFound = 11001,
        sckSocketError = 10000,
    };

    explicit Winsock(QObject *parent = nullptr);
    ~Winsock() override;

    // Set before Connect().
    QString RemoteHost;
    qint32 RemotePort = 0;
    // Set before Listen(); after Listen() or a connection, the port in use.
    qint32 LocalPort = 0;

    int State() const { return m_state; }
    // "Closed", "Open", ... "Error" for 0 to 9; empty for anything else.
    static QString stateName(int state);

    // Each returns false, changing nothing, when the state does not allow the
    // operation (Connect and Listen need 0 or 9, Accept needs 0, SendData 7) or
    // an argument is out of range.
    bool Connect();
    bool Listen();
    bool Accept(qintptr requestID);
    // Why the last Listen() failed (the system's reason); empty once one succeeded.
    QString listenErrorString() const { return m_listenError; }

    // Queues the bytes as they are; text goes out in code page 950.
    bool SendData(const QByteArray &data);
    bool SendData(const QString &text);

    // Bytes received and not yet taken.
    qint64 BytesReceived() const;
    // Bytes queued by SendData() that the system has not taken yet.
    qint64 bytesToSend() const;
    // Bytes held received and not taken beyond which the connection stops
    // reading until some are taken; 0 (the default) holds any amount. It
    // applies to the connections made after the call, too.
    void setReceiveLimit(qint64 bytes);
    // Everything received since the last call, as bytes or as code page 950
    // text (a double-byte character split between two blocks is kept whole).
    void GetData(QByteArray &data);
    void GetData(QString &text);

    // Ends the connection or the listening; the state becomes 0. Bytes not yet
    // taken are dropped.
    void Close();

signals:
    void DataArrival(qint64 bytesTotal);
    void ConnectionRequest(qintptr requestID);
    // The connection that Connect() started is up.
    void ConnectEvent();
    // The peer closed the connection.
    void CloseEvent();
    void Error(int number, const QString &description);
    // The system has taken bytesSent more of the queued bytes; bytesRemaining
    // are still queued.
    void SendProgress(qint64 bytesSent, qint64 bytesRemaining);
    // Every change of State().
    void StateChanged(int state);

private:
    friend class WinsockListener;

    // Raises StateChanged() on a change; false when a handler destroyed us.
    bool setState(int state);
    // Raises one of our signals; false when a handler destroyed us meanwhile.
    template <class Signal>
    bool raise(Signal &&signal);
    void adoptSocket(QTcpSocket *socket);
    void dropSocket();
    void onSocketStateChanged();
    void onConnected();
    void onReadyRead();
    void onDisconnected();
    void onSocketError();
    void onBytesWritten(qint64 bytes);
    void deliverArrival();
    void raiseError(int number, const QString &description);
    void onIncoming(qintptr descriptor);
    static void refuse(qintptr descriptor);

    int m_state = sckClosed;
    QPointer<QTcpSocket> m_socket;
    WinsockListener *m_listener = nullptr;
    Cp950::Decoder m_decoder;
    QString m_listenError;
    qint64 m_receiveLimit = 0;
    // Bytes handed out by GetData() while a DataArrival handler runs.
    qint64 m_takenInArrival = 0;
    bool m_inArrival = false;
    bool m_arrivalQueued = false;
    // Signals of ours being raised right now (handlers may destroy us).
    int m_emitting = 0;
};
