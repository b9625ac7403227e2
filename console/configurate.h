#pragma once

#include "app/form.h"
#include "console/configuratelogic.h"
#include "console/ipconfigreport.h"

#include <array>
#include <optional>

class MSComm;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

// The older configuration form: it sets the device's IP address, net mask
// and gateway through the device's console and its menu program, and
// proposes values from the PC's own addresses, which it reads from the
// ipconfig report. It owns PC port 1, which it polls for what the device
// sends. Its EXIT ends the whole program.
//
// Exchanges with the device are the form's operations, one at a time: a
// button pressed while one waits sends nothing. A port that is closed (it
// could not be opened, or it failed) is reported once; the form then sends
// nothing and stays usable for the rest.
class Configurate : public Form
{
    Q_OBJECT

public:
    static constexpr int kTimer1Ms = 100;       // receive poll
    static constexpr int kReportWaitMs = 1000;  // report asked for, before reading it
    static constexpr int kSettleMs = 2000;      // before the menu is started at load
    static constexpr int kScreenMs = 1000;      // menu started, before reading its screen
    static constexpr int kQuitMs = 100;         // open menu left, before starting it again
    static constexpr int kAddressPromptMs = 500; // address letter, before the address

    explicit Configurate(QWidget *parent = nullptr);
    ~Configurate() override;

    void formLoad() override;

    void Form_Load();
    void cmdNvconf_Click();
    void cmdQuitnvconf_Click();
    void cmdDir4630K_Click();
    void cmdReboot4630K_Click();
    void cmdSenddata_Click();
    void cmdSetIP_Click();
    void cmdSetMask_Click();
    void cmdSetGateway_Click();
    void CmdEXIT_Click();
    void Timer1_Timer();
    // Enter (13) sends the line and empties the box; true when the key was
    // taken.
    bool txtSend_KeyDown(int KeyCode);
    // Typed letters a to z become upper case.
    void txtSend_KeyPress(int &KeyAscii);

    // Sends text when the port is open; otherwise sends nothing, reports the
    // closed port (once) and returns false: the exchange stops.
    bool Send(const QString &text);

    // Everything received since the text was last emptied, as the readings
    // see it.
    const QString &receiveText() const { return m_receive.text(); }
    // The PC's addresses as read from the report.
    const IpconfigReport::PcAddresses &pcAddresses() const { return m_pc; }

    // --- Controls -----------------------------------------------------------
    MSComm *MSComm1 = nullptr;
    QTimer *Timer1 = nullptr;
    QPlainTextEdit *txtReceive = nullptr;
    QPlainTextEdit *txtSend = nullptr;

    // Captions: the two column headings, the three rows, the three set rows.
    std::array<QLabel *, 8> Label{};
    QLineEdit *txtALLIP = nullptr;
    QLineEdit *txtALLMask = nullptr;
    QLineEdit *txtALLGateway = nullptr;
    QLabel *lblPCIP = nullptr;
    QLabel *lblPCMask = nullptr;
    QLabel *lblPCGateway = nullptr;
    std::array<QLineEdit *, 4> txtIP{};
    std::array<QLineEdit *, 4> txtMask{};
    std::array<QLineEdit *, 4> txtGateway{};
    QLabel *lblIPstatus = nullptr;
    QLabel *lblMaskstatus = nullptr;
    QLabel *lblGatewaystatus = nullptr;
    QLabel *lblSendIP = nullptr;
    QLabel *lblSendMask = nullptr;
    QLabel *lblSendGateway = nullptr;

    QPushButton *cmdNvconf = nullptr;
    QPushButton *cmdQuitnvconf = nullptr;
    QPushButton *cmdDir4630K = nullptr;
    QPushButton *cmdReboot4630K = nullptr;
    QPushButton *cmdSenddata = nullptr;
    QPushButton *CmdEXIT = nullptr;
    QPushButton *cmdSetIP = nullptr;
    QPushButton *cmdSetMask = nullptr;
    QPushButton *cmdSetGateway = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void operationRefused() override;

private:
    struct AddressRow;
    void buildControls();
    // Menu state: the menu buttons on, the prompt's off; prompt state: the
    // other way round.
    void showMenuState(bool menu);
    // Empties the receive text, or adds a polled piece, and shows it.
    void clearReceive();
    void addReceived(const QString &piece);
    // The menu reading, inside a running operation.
    void MenuReading();
    // Starts the menu and reads the device's addresses off its screen;
    // nothing when the send failed or the window went during the wait.
    std::optional<ConfigurateLogic::DeviceAddresses> OpenMenuAndRead();
    // The device's addresses read from the receive text, shown and returned.
    ConfigurateLogic::DeviceAddresses ShowDeviceAddresses();
    void ShowPcAddresses(const IpconfigReport::PcAddresses &pc);
    void Propose(const ConfigurateLogic::Proposal &proposal);
    void SetAddress(const AddressRow &row);
    // One text sent on its own, as an operation.
    bool SendAlone(const QString &text);
    void ReportPortClosed(const QString &why);
    QString closedPortText() const;

    ConfigurateLogic::ReceiveText m_receive;
    IpconfigReport::PcAddresses m_pc;
    // "NVCONF" was sent and no "Q" since: a new start must leave the menu
    // first, or the device would take "NVCONF" as menu letters.
    bool m_menuOpen = false;
    // The closed port has been reported; the form says it once.
    bool m_portClosedShown = false;
};
