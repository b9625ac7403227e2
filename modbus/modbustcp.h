#pragma once

#include "app/form.h"
#include "modbus/datalog.h"
#include "modbus/modbusstatistics.h"
#include "modbus/modbustext.h"

#include <QElapsedTimer>

#include <array>

class LineList;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class Winsock;

// The Modbus/TCP test client: one connection to a server, frames typed in
// hexadecimal sent once, on a timer or in polling, every frame and every block
// received listed in hexadecimal, statistics, round trips and a data log, and
// each function code's frame explained byte by byte.
class ModbusTCP : public Form
{
    Q_OBJECT

public:
    explicit ModbusTCP(QWidget *parent = nullptr);
    ~ModbusTCP() override;

    void formLoad() override;

    // Connection
    QLineEdit *ServeripText = nullptr;
    QLineEdit *ServerPortText = nullptr;
    QPushButton *cmdConnect = nullptr;
    QPushButton *cmdClose = nullptr;
    Winsock *Winsock1 = nullptr;

    // Function explanations and byte labels
    QComboBox *cboFunction = nullptr;
    QPlainTextEdit *txtExplanation = nullptr;
    std::array<QLabel *, 8> lbTCPHead{};
    std::array<QLabel *, 8> lbCommand{};
    std::array<QLabel *, 8> lbResponse{};

    // Sending and the lists
    QLineEdit *txtString = nullptr;
    QPushButton *cmdSend = nullptr;
    QLineEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    LineList *lstSend = nullptr;
    LineList *lstReceive = nullptr;
    QPushButton *CmdClearSend = nullptr;
    QPushButton *CmdEXIT = nullptr;

    // Timer mode and polling
    QLineEdit *txtInterval = nullptr;
    QPushButton *cmdSetInterval = nullptr;
    QPushButton *cmdStartTimer = nullptr;
    QPushButton *cmdStopTimer = nullptr;
    QTimer *Timer1 = nullptr;
    QPushButton *cmdStartPolling = nullptr;
    QPushButton *cmdStopPolling = nullptr;

    // Statistics and data log
    QLineEdit *txtSendByte = nullptr;
    QLineEdit *txtSendPacket = nullptr;
    QLineEdit *txtReceiveByte = nullptr;
    QLineEdit *txtReceivePacket = nullptr;
    QLineEdit *txtDiffPercent = nullptr;
    QLineEdit *txtDiffPacket = nullptr;
    QLineEdit *txtStartTime = nullptr;
    QLineEdit *txtStopTime = nullptr;
    QLineEdit *txtTimeMax = nullptr;
    QLineEdit *txtTimeMin = nullptr;
    QLineEdit *txtTimeAverage = nullptr;
    QPushButton *cmdClearStatistic = nullptr;
    QCheckBox *chkDataLog = nullptr;

    // Window state
    bool Polling = false;
    bool DataLogOn = false;
    const ModbusCounters &counters() const { return m_counters; }
    // The timer is switched on (it ticks only with an interval above 0).
    bool timer1Enabled() const { return m_timer1Enabled; }

    // Handlers
    void cmdConnect_Click();
    void Winsock1_Connect();
    void cmdSend_Click();
    void txtString_KeyPress(int KeyAscii);
    void Winsock1_DataArrival(qint64 bytesTotal);
    void Winsock1_Close();
    void Winsock1_Error(int number, const QString &description);
    void cmdClose_Click();
    void CmdClearSend_Click();
    void CmdEXIT_Click();
    void cmdStartPolling_Click();
    void cmdStopPolling_Click();
    void cmdSetInterval_Click();
    void cmdStartTimer_Click();
    void cmdStopTimer_Click();
    void Timer1_Timer();
    void cmdClearStatistic_Click();
    void chkDataLog_Click(bool ticked);
    void cboFunction_Click();
    void cboFunction_Change();
    void SetFrameByteTips(int functionCode);

private:
    void buildControls();
    void showCounts();
    void writeCountBoxes();
    // Max and min back to their start values, in the variables and the boxes.
    void resetRoundTrips();
    void applyTimer1();
    // Adds line to the data log; a failed write stops the log and says so.
    // False when the window went while it said so.
    bool writeLog(const QString &line);
    void onSocketStateChanged(int state);

    ModbusCounters m_counters;
    QTimer *m_countsTimer = nullptr;
    QElapsedTimer m_countsShownAt;
    DataLog m_log;
    bool m_timer1Enabled = false;
    int m_timer1IntervalMs = 100;
    // The server closed the connection; the user is told once it is closed here too.
    bool m_closeReportPending = false;
    int m_lastTipsCode = -1;
    // The frame text last sent, its bytes and its list line.
    QString m_frameText;
    ModbusText::ParsedFrame m_frame;
    QString m_frameLine;
};
