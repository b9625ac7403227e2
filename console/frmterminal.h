#pragma once

#include "app/form.h"
#include "console/consolemenu.h"
#include "console/menuscreen.h"

#include <QElapsedTimer>

#include <array>
#include <functional>

class MSComm;
class PictureBox;
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QTimer;
class QToolBar;
class TerminalBox;
class TerminalLog;

// The serial configuration window: the terminal on the PC's COM port (the
// right-hand pane) and the device's settings read from and written to its
// console (the left-hand part). Its load opens the port and reads the device.
//
// Console exchanges (the load and every later one that sends and waits) are
// the window's operations: one at a time, a second one refused while the
// first waits, with the busy text in the status bar. A close request during an
// exchange is held until the exchange has ended, and the window closes then;
// so the window is never destroyed under a running wait, and the device is not
// left half-way through a menu dialogue.
class frmTerminal : public Form
{
    Q_OBJECT

public:
    // Widths of the window with its borders: the configuration part alone,
    // and with the terminal pane uncovered (twips).
    static constexpr int kNarrowWidth = 6090;
    static constexpr int kWideWidth = 11625;
    // The client area of the design, inside the borders (twips).
    static constexpr int kDesignWidth = 11490;
    static constexpr int kDesignHeight = 4620;

    explicit frmTerminal(QWidget *parent = nullptr);
    ~frmTerminal() override;

    void formLoad() override;

    // --- Console exchanges --------------------------------------------------
    // Sends text when the port is open; otherwise sends nothing, shows that the
    // port is closed in the status bar and returns false (stop the exchange).
    bool Send(const QString &text);

    // --- Terminal pane ----------------------------------------------------
    void MSComm1_OnComm();
    // Adds received text to the box by the display rules and hands the text
    // as put in to the log sink.
    void ShowData(TerminalBox *box, const QString &data);
    void txtTerm_KeyPress(int &KeyAscii);
    void tbrToolBar_ButtonClick(QAction *button);
    void TogglePort();
    void StartTiming();
    void StopTiming();
    void Timer1_Timer();
    void Timer2_Timer();

    // Toolbar actions: the capture log, dialling and hanging up, and sending a
    // text file. A transmission counts as a console exchange: it does not start
    // while another runs, keeps others out while it sends, and stops early when
    // the window is asked to close.
    void DoOpenLogFile();
    void DoCloseLogFile();
    void DoDialPhoneNumber();
    void DoHangUpPhone();
    void DoTransmitTextFile();
    // The open log; null when none is open.
    TerminalLog *hLogFile = nullptr;

    // Where ShowData hands what it put into the box (the terminal log); none
    // by default.
    void setLogSink(std::function<void(const QString &)> sink) { m_logSink = std::move(sink); }

    // --- Load ---------------------------------------------------------------
    void Form_Load();
    void ShowModbusPorts(const QString &screen);
    void FillDevicePortList();
    // Selects entry index of cmbComSet and runs the device-port selection,
    // also when that entry was selected already.
    void SelectComSet(int index);

    // Sets the window's width (twips); the height stays.
    void setFormWidthTwips(int width);
    // The connection picture in front (imgConnected or imgNotConnected).
    QLabel *frontPicture() const;

    // --- Controls -----------------------------------------------------------
    MSComm *MSComm1 = nullptr;
    TerminalBox *txtTerm = nullptr;
    QToolBar *tbrToolBar = nullptr;
    QStatusBar *sbrStatus = nullptr;
    QTimer *Timer1 = nullptr;
    QTimer *Timer2 = nullptr;
    PictureBox *imgConnected = nullptr;
    PictureBox *imgNotConnected = nullptr;

    QLabel *Label9 = nullptr;
    QLabel *Label10 = nullptr;
    std::array<QLabel *, 3> Label6{};
    std::array<QLabel *, 3> Label1{};
    std::array<QLabel *, 3> Label5{};
    QLabel *lblPCIP = nullptr;
    QLabel *lblPCMask = nullptr;
    QLabel *lblPCGateway = nullptr;
    QLineEdit *txtALLIP = nullptr;
    QLineEdit *txtALLMask = nullptr;
    QLineEdit *txtALLGateway = nullptr;
    std::array<QLineEdit *, 4> txtIP{};
    std::array<QLineEdit *, 4> txtMask{};
    std::array<QLineEdit *, 4> txtGateway{};
    QPushButton *cmdSetIP = nullptr;
    QPushButton *cmdSetMask = nullptr;
    QPushButton *cmdSetGateway = nullptr;

    QLabel *lblModel = nullptr;
    QComboBox *cmbComSet = nullptr;
    QLabel *Label8 = nullptr;
    std::array<QLabel *, 5> Label7{};
    QComboBox *cmbBaudrate = nullptr;
    QComboBox *cmbDatabit = nullptr;
    QComboBox *cmbParity = nullptr;
    QComboBox *cmbStopbit = nullptr;
    QComboBox *cmbModbus = nullptr;
    QPushButton *cmdBaudrateSet = nullptr;
    QPushButton *cmdDatabitSet = nullptr;
    QPushButton *cmdParitySet = nullptr;
    QPushButton *cmdStopbitSet = nullptr;
    QPushButton *cmdModbusSet = nullptr;

    QLabel *Label11 = nullptr;
    std::array<QLabel *, 8> lblModBus{};
    std::array<QLabel *, 8> imgModBus{};
    QFrame *shape1 = nullptr;
    QFrame *shape2 = nullptr;
    QFrame *Shape3 = nullptr;
    std::array<QFrame *, 6> ModbusLine{};
    QLabel *imgRed = nullptr;
    QLabel *imgGray = nullptr;

    QPushButton *cmdTerminal = nullptr;
    QPushButton *cmdReboot4630K = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *CmdEXIT = nullptr;
    QPushButton *cmdNvconf = nullptr;
    QPushButton *cmdDir4630K = nullptr;
    QPushButton *Command1 = nullptr;

    // State holders below the visible area.
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *lblAllBaudrate = nullptr;
    QLabel *lblAllDatabit = nullptr;
    QLabel *lblAllParity = nullptr;
    QLabel *lblAllStopbit = nullptr;
    QLabel *lblBaudrate = nullptr;
    QLabel *lblDatabit = nullptr;
    QLabel *lblParity = nullptr;
    QLabel *lblStopbit = nullptr;
    QLabel *lblAllModbusSet = nullptr;
    std::array<QLabel *, 8> lblDataformat{};
    QLabel *lblSendIP = nullptr;
    QLabel *lblIPstatus = nullptr;
    QLabel *lblSendMask = nullptr;
    QLabel *lblMaskstatus = nullptr;
    QLabel *lblSendGateway = nullptr;
    QLabel *lblGatewaystatus = nullptr;

    // Toolbar buttons (by key) and status bar panels (by key).
    QAction *OpenLogFile = nullptr;
    QAction *CloseLogFile = nullptr;
    QAction *DialPhoneNumber = nullptr;
    QAction *HangUpPhone = nullptr;
    QAction *Properties = nullptr;
    QAction *TransmitTextFile = nullptr;
    QLabel *StatusPanel = nullptr;      // key "Status"
    QLabel *SettingsPanel = nullptr;    // key "Settings"
    QLabel *ConnectTimePanel = nullptr; // key "ConnectTime"

protected:
    // The busy text in the status bar.
    void operationRefused() override;

private:
    void buildConfigurationPart();
    void buildTerminalPane();
    void buildToolBar();
    void buildStatusBar();
    // Pictures, panel, clock and toolbar for the port's state.
    void ShowPortState();
    // "Status" panel = "狀態: " + text, cleared by Timer2.
    void showStatus(const QString &text);
    void ReportPortFailure();
    // The log sink while a log is open; asks Retry or Cancel on a failed write.
    void WriteLog(const QString &text);
    // False when a saved setting failed and the load ends.
    bool ApplySavedSettings();
    // The launcher's PC addresses, and the addresses and all-ports lists read
    // from the menu screen, into their labels and boxes.
    void ShowPcAddresses();
    void ShowDeviceMenu(const MenuScreen::DeviceMenu &menu);
    void ProposeAddresses();
    void centreOnScreen();

    QWidget *m_client = nullptr; // the design area, positions in twips
    QWidget *m_pictures = nullptr;
    // The re-read leaves the device's menu open; the next re-read must leave
    // it first, or its "NVCONF" would be taken as menu letters.
    bool m_menuLeftOpen = false;
    QElapsedTimer StartTime;
    std::function<void(const QString &)> m_logSink;

    // --- Console operations: addresses, re-read, restore, commands, device
    // ports (frmterminalmenu.cpp) --------------------------------------------
public:
    void cmdSetIP_Click();
    void cmdSetMask_Click();
    void cmdSetGateway_Click();
    void cmdNvconf_Click();
    void Command2_Click();
    void cmdDir4630K_Click();
    void cmdReboot4630K_Click();
    // Pressed during another exchange, EXIT waits for it to end and then
    // leaves the menu, closes the port and the window as usual.
    void CmdEXIT_Click();
    void cmdTerminal_Click();
    void Command1_Click();
    // The device-port selection: the chosen port's choices, values and
    // selections, cut from the all-ports lists.
    void cmbComSet_Click();
    void cmdBaudrateSet_Click();
    void cmdDatabitSet_Click();
    void cmdParitySet_Click();
    void cmdStopbitSet_Click();
    void cmdModbusSet_Click();
    // Leaves an open menu and starts the menu program again; false when the
    // exchange must stop.
    bool RestartMenu();
    bool LeaveMenu();

private:
    struct AddressRow;
    void wireConsoleOperations();
    void SetAddress(const AddressRow &row);
    void SetPortValue(ConsoleMenu::Setting setting);
    // False, with the closed-port text in the status bar, when the port is
    // closed: an exchange then sends nothing and changes nothing.
    bool portReady();

    // EXIT was pressed while another exchange ran, and waits for its end.
    bool m_exitQueued = false;
};
