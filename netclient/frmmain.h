#pragma once

#include "app/form.h"
#include "netclient/commdata.h"
#include "netclient/portd.h"
#include "netclient/portdecoder.h"

#include <array>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class ReceiveView;
class Winsock;

// The network test client of the device's server program Portd: one control
// connection that carries the numbered commands and their replies, one data
// connection per device COM port with its receive buffer and hex views, the
// device commands, and the state its dialogs share with it (the connection
// flag, the reply flags and the last reply, the message pane).
//
// Every wait yields to the event loop, so clicks, arrivals and timer events
// run inside the waits of a running command and share the reply flags with
// it; each handler checks after every wait that the window is still there and
// that what it works on is still the same.
class frmMain : public Form
{
    Q_OBJECT

public:
    static constexpr int kReplyTimeoutMs = 3000;
    static constexpr int kRepeatGapMs = 100;   // between a doubled query's two texts
    static constexpr int kRebootPauseMs = 4500;
    static constexpr int kDialogPauseMs = 200; // before a dialog's wait on the reply flags
    static constexpr int kPaneLines = 16;
    // A pane line shows at most this much of a message; strNew keeps each
    // reply whole.
    static constexpr qsizetype kPaneLineChars = 4096;
    // Bytes the control connection holds received and not taken: a device that
    // floods it waits instead of filling memory (replies are a few dozen bytes).
    // No arrival is longer, so each is decoded whole.
    static constexpr qint64 kControlReceiveLimitBytes = 64 * 1024;
    static_assert(kControlReceiveLimitBytes <= Portd::kWholeReplyBytes);

    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    void formLoad() override;

    // --- State the dialogs read and write ----------------------------------
    bool flgConnect = false;
    int Cnt = 0;
    int intAppend = CommData::kDefaultTerminator;
    bool timeout = false;
    bool gotdata = false;
    QString strNew;
    int ComNo = Portd::kMaxPorts;

    // The dialogs' wait on this window's reply flags: a pause, then until a
    // reply or the time-out of the running reply timer (which it does not
    // restart); gotdata is cleared after it. False when the dialog or this
    // window went meanwhile: the caller then stops and touches neither.
    static bool dialogWait(Form *dialog);
    // The loaded client, if any.
    static frmMain *instance();

    // --- Controls ------------------------------------------------------------
    QLineEdit *txtIP = nullptr;
    QLineEdit *txtPort = nullptr;
    QPushButton *cmdConnect = nullptr;
    Winsock *tcpPC = nullptr;
    std::array<Winsock *, Portd::kMaxPorts> tcpComm{};
    QPlainTextEdit *PicMsg = nullptr;
    QTimer *Timer1 = nullptr;
    std::array<QLabel *, 3> lblServerInfo{};
    QLabel *lblIP = nullptr;
    QLabel *lblGateway = nullptr;
    QLabel *lblMask = nullptr;
    QLabel *lblMAC = nullptr;
    QLabel *lblCommStatus = nullptr;
    QLabel *lblModBus = nullptr;
    QLabel *lblAllModbusSet = nullptr;
    QLabel *Disconnect = nullptr;
    QComboBox *combCommPort = nullptr;
    QLineEdit *txtCommTx = nullptr;
    ReceiveView *txtCommRx = nullptr;
    ReceiveView *txtCommTxHex = nullptr;
    ReceiveView *txtCommRxHex = nullptr;
    QLineEdit *txtSend = nullptr;
    QPushButton *cmdSend = nullptr;
    QPushButton *cmdCommTx = nullptr;
    QPushButton *cmdCommClr = nullptr;
    QPushButton *cmdReboot = nullptr;
    QPushButton *cmdCommSet = nullptr;
    QPushButton *cmdIPset = nullptr;
    QPushButton *cmdGatewayset = nullptr;
    QPushButton *cmdMaskset = nullptr;
    QPushButton *cmdMacset = nullptr;
    QPushButton *cmdState = nullptr;
    QPushButton *cmdLedon = nullptr;
    QPushButton *cmdLedoff = nullptr;
    QPushButton *cmdCommandlist = nullptr;
    QPushButton *cmdEnd = nullptr;
    std::array<QRadioButton *, CommData::kTerminators> optAppend{};
    std::array<QRadioButton *, 2> optChecksum{};

    // --- Handlers --------------------------------------------------------------
    void cmdConnect_Click();
    void cmdState_Click();
    void cmdEnd_Click();
    void Timer1_Timer();
    void tcpPC_DataArrival(qint64 bytesTotal);
    void tcpComm_DataArrival(int Index, qint64 bytesTotal);
    void cmdCommTx_Click();
    void txtCommTx_KeyPress(int KeyAscii);
    void combCommPort_Click();
    void cmdCommClr_Click();
    void optAppend_Click(int Index);
    void cmdLedon_Click();
    void cmdLedoff_Click();
    void cmdReboot_Click();
    void cmdSend_Click();
    void txtSend_KeyPress(int KeyAscii);
    void cmdCommSet_Click();
    void cmdIPset_Click();
    void cmdMaskset_Click();
    void cmdGatewayset_Click();
    void cmdCommandlist_Click();

    // --- Message pane ----------------------------------------------------------
    void ShowMsg(const QString &s);
    void ClearMsg();
    // A line printed, or the pane cleared, directly: Cnt stays.
    void printLine(const QString &s);
    void clearPane();

    void StartReplyTimer(int ms);
    void ShowNetState(int n);

    // The port whose buffer the receive box shows (-1: none) and the buffers.
    int curPort() const { return m_curPort; }
    QString commBuf(int index) const { return m_buffers.buffer(index).toString(); }
    // A Connect is running (from its first step to its last).
    bool isConnecting() const { return m_connecting; }

protected:
    void formActivate() override;

private:
    void buildControls();
    void Form_Unload();
    void connectToServer();
    void disconnectFromServer();
    void connectFailed(bool querying);
    void setCommandControlsEnabled(bool enabled);
    // The reply wait: the reply timer started, then until a reply or its
    // time-out; gotdata cleared. False when the window went.
    bool replyWait();
    // Sends request(N) on the control connection twice, kRepeatGapMs apart,
    // N being the port selected when each text goes. False when the window
    // went or no port is listed any more.
    bool sendTwice(QString (*request)(int port));
    void ledCommand(bool on);
    void showAddressDialog(const QString &name);
    // The receive box shows text (or nothing): the next arrival on the
    // selected port shows its whole buffer.
    void setReceiveBox(const QString &text);
    void closeSockets();
    bool checksumOn() const;

    CommData::CommBuffers m_buffers;
    std::array<PortDecoder, Portd::kMaxPorts> m_decoders;
    int m_curPort = 0;
    // Counts Connects and Disconnects: a Connect whose wait saw another one
    // stops, since what it set up is gone.
    int m_link = 0;
    bool m_connecting = false;
    bool m_rebooting = false;
    QButtonGroup *m_appendGroup = nullptr;
    QButtonGroup *m_checksumGroup = nullptr;
};
