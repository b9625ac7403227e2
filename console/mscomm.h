#pragma once

#include "app/codepage.h"
#include "console/lineerrors.h"
#include "console/linesettings.h"

#include <QList>
#include <QObject>
#include <QSerialPort>
#include <QString>

class QTimer;

// The serial port of a window, with the members and event codes that the
// window's handlers were written against, on QSerialPort. Setters that can
// fail return false and leave a text for the user in errorText(). Received
// data, modem-line changes, line errors that the system counts (break,
// framing, overrun, parity...) and failures of the port arrive as OnComm.
class MSComm : public QObject
{
    Q_OBJECT

public:
    // CommEvent codes: events ...
    static constexpr int comEvSend = 1;
    static constexpr int comEvReceive = 2;
    static constexpr int comEvCTS = 3;
    static constexpr int comEvDSR = 4;
    static constexpr int comEvCD = 5;
    static constexpr int comEvRing = 6;
    static constexpr int comEvEOF = 7;
    // ... and errors.
    static constexpr int comEventBreak = 1001;
    static constexpr int comEventCTSTO = 1002;
    static constexpr int comEventDSRTO = 1003;
    static constexpr int comEventFrame = 1004;
    static constexpr int comEventOverrun = 1006;
    static constexpr int comEventCDTO = 1007;
    static constexpr int comEventRxOver = 1008;
    static constexpr int comEventRxParity = 1009;
    static constexpr int comEventTxFull = 1010;
    static constexpr int comEventDCB = 1011;
    // The port itself failed (the device went away, a read or write failed).
    // It comes once, after the port has been closed; errorText() says why.
    static constexpr int comEventPortFailure = 1100;

    static constexpr int kInBufferSize = 1024;   // bytes
    static constexpr int kOutBufferSize = 512;   // bytes
    static constexpr int kModemPollMs = 100;     // how often the modem lines and error counts are read

    explicit MSComm(QObject *parent = nullptr);
    ~MSComm() override;

    // PC port number (1 to 16) of the next opening; fails while the port is open.
    int CommPort() const { return m_commPort; }
    bool setCommPort(int port);

    // Line settings text such as "57600,n,8,1". Applies at once to an open port.
    QString Settings() const { return m_settings.text(); }
    bool setSettings(const QString &text);

    // 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both. Applies at once to an open port.
    int Handshaking() const { return m_handshaking; }
    bool setHandshaking(qint64 mode);

    bool PortOpen() const;
    // True opens CommPort's device with Settings and Handshaking; false closes.
    bool setPortOpen(bool open);

    // Queues text for sending, one code page 950 byte (or byte pair) a
    // character, and returns at once. Fails, sending nothing, on a closed port.
    bool Output(const QString &text);
    // Queues bytes for sending exactly as they are (a file's contents).
    bool OutputBytes(const QByteArray &bytes);
    // What has been received, as text, up to kInBufferSize bytes at a time;
    // what is left over comes with a receive event of its own. A double-byte
    // character split between two pieces comes whole with the second.
    QString Input();

    int OutBufferSize() const { return kOutBufferSize; }
    int OutBufferCount() const;

    // DTR line. Ports without modem lines (pseudo-terminals, some adapters)
    // refuse it silently.
    bool DTREnable() const { return m_dtr; }
    void setDTREnable(bool on);

    // Cause of the OnComm being handled.
    int CommEvent() const { return m_event; }
    // Text of the last failure.
    QString errorText() const { return m_error; }
    // System device that CommPort stands for.
    QString deviceName() const;

    // Raises OnComm with code, as the port does (simulators and tests).
    void raiseEvent(int code);

    // The events of a change of the modem lines, in the order of their codes.
    static QList<int> modemLineEvents(QSerialPort::PinoutSignals before,
                                      QSerialPort::PinoutSignals after);
    // The error events of a change of the line's error counts, one for each
    // count that moved, in the order of their codes.
    static QList<int> lineErrorEvents(const LineErrorCounts &before, const LineErrorCounts &after);

    // Where the line's error counts come from: the system's by default (see
    // LineErrors). Takes effect at the next opening.
    void setLineErrorSource(LineErrorSource source) { m_errorSource = std::move(source); }

signals:
    void OnComm(int commEvent);
    // Every block handed to the port, in order: lets an exchange's pace be followed.
    void outputQueued(const QByteArray &bytes);

private:
    // A receive event from the event loop, once however often asked before it runs.
    void queueReceive();
    bool applySettings(const LineSettings &s);
    bool applyHandshaking(int mode);
    void applyDtr();
    void onPortError(QSerialPort::SerialPortError error);
    void failPort(QSerialPort::SerialPortError error, const QString &systemText);
    void pollLines();
    QString portLabel() const;

    QSerialPort *m_port = nullptr;
    QTimer *m_modemPoll = nullptr;
    QString m_device; // of the last opening
    Cp950::Decoder m_decoder;
    LineSettings m_settings;
    int m_commPort = 1;
    int m_handshaking = Handshake::kNone;
    bool m_dtr = false;
    int m_event = 0;
    QString m_error;
    // Set while we call into the port ourselves: those calls report through
    // their return values, and modem-line refusals are no failure at all.
    bool m_ownCall = false;
    // A failure of this opening is being reported; later ones are the same.
    bool m_failing = false;
    // A receive event for bytes left over by Input() is on its way.
    bool m_moreQueued = false; // a receive event waits in the event loop
    QSerialPort::PinoutSignals m_lines;
    bool m_watchLines = false;
    LineErrorSource m_errorSource;
    // The error counts last read; none while they are not watched.
    std::optional<LineErrorCounts> m_errorCounts;
    // The events of a poll are being raised: an error box may be open, and
    // what moves meanwhile is told once it has closed, not in boxes on top.
    bool m_raisingPolled = false;
};
