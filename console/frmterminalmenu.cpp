// The console operations of the configuration window: the device's addresses,
// the re-read of its menu, the factory restore, the file listing, the reboot,
// leaving the window, the terminal pane's width and the device-port settings.
#include "console/frmterminal.h"

#include "app/dialogs.h"
#include "app/launcherstate.h"
#include "app/windows.h"
#include "console/controls.h"
#include "console/menuscreen.h"
#include "console/mscomm.h"
#include "console/terminallogic.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace {

constexpr int kMenuStartMs = 100;     // menu program started, before its first letter
constexpr int kAddressPromptMs = 500; // address letter, before the address
constexpr int kScreenMs = 800;        // menu program started, before reading its screen
constexpr int kRestoreStartMs = 300;  // menu program started, before "F"
constexpr int kStepMs = 100;          // between the steps of a short dialogue
constexpr int kResetMs = 500;         // "RESET" sent, before the window goes
constexpr int kExitMs = 500;          // menu left, before the port closes

const QString kCr = QStringLiteral("\r");
const QString kQuit = QStringLiteral("Q");

const QString kErrorTitle = QStringLiteral("Error message!");
const QString kRebootTitle = QStringLiteral("Note!");
const QString kRebootQuestion = QStringLiteral(
    "After reboot, if you want to configure by RS232 again, please remember touch Init* to GND");

} // namespace

// One of the three address rows: what its "Set" button reads, sends and shows.
struct frmTerminal::AddressRow
{
    const std::array<QLineEdit *, 4> &octets;
    QLabel *status;
    QLabel *joined;
    QString letter;
    QString message;
    QLineEdit *shown;
    bool isNettestIp; // the address also becomes the network test's device
};

void frmTerminal::wireConsoleOperations()
{
    const std::pair<QPushButton *, void (frmTerminal::*)()> buttons[] = {
        {cmdSetIP, &frmTerminal::cmdSetIP_Click},
        {cmdSetMask, &frmTerminal::cmdSetMask_Click},
        {cmdSetGateway, &frmTerminal::cmdSetGateway_Click},
        {cmdNvconf, &frmTerminal::cmdNvconf_Click},
        {Command2, &frmTerminal::Command2_Click},
        {cmdDir4630K, &frmTerminal::cmdDir4630K_Click},
        {cmdReboot4630K, &frmTerminal::cmdReboot4630K_Click},
        {CmdEXIT, &frmTerminal::CmdEXIT_Click},
        {cmdTerminal, &frmTerminal::cmdTerminal_Click},
        {Command1, &frmTerminal::Command1_Click},
        {cmdBaudrateSet, &frmTerminal::cmdBaudrateSet_Click},
        {cmdDatabitSet, &frmTerminal::cmdDatabitSet_Click},
        {cmdParitySet, &frmTerminal::cmdParitySet_Click},
        {cmdStopbitSet, &frmTerminal::cmdStopbitSet_Click},
        {cmdModbusSet, &frmTerminal::cmdModbusSet_Click},
    };
    for (const auto &[button, handler] : buttons)
        connect(button, &QPushButton::clicked, this, handler);
}

bool frmTerminal::portReady()
{
    if (MSComm1->PortOpen())
        return true;
    showStatus(TerminalLogic::kPortClosedText);
    return false;
}

bool frmTerminal::RestartMenu()
{
    if (!Send(kQuit + kCr))
        return false;
    txtTerm->setText(QString());
    return Send(QStringLiteral("NVCONF.EXE") + kCr) && wait(kMenuStartMs);
}

bool frmTerminal::LeaveMenu()
{
    return Send(kQuit);
}

// --- Addresses ---------------------------------------------------------------

void frmTerminal::cmdSetIP_Click()
{
    SetAddress({txtIP, lblIPstatus, lblSendIP, QStringLiteral("I"),
                QStringLiteral("IP value is out of range. Please check it ! "), txtALLIP, true});
}

void frmTerminal::cmdSetMask_Click()
{
    SetAddress({txtMask, lblMaskstatus, lblSendMask, QStringLiteral("N"),
                QStringLiteral("Mask value is out of range. Please check it ! "), txtALLMask,
                false});
}

void frmTerminal::cmdSetGateway_Click()
{
    SetAddress({txtGateway, lblGatewaystatus, lblSendGateway, QStringLiteral("G"),
                QStringLiteral("Gateway value is out of range. Please check it ! "),
                txtALLGateway, false});
}

void frmTerminal::SetAddress(const AddressRow &row)
{
    const Operation operation = beginOperation();
    if (!operation || !portReady() || !RestartMenu())
        return;

    QStringList octets;
    for (const QLineEdit *box : row.octets)
        octets << box->text();
    row.status->setText(ConsoleMenu::octetsInRange(octets) ? ConsoleMenu::kOk
                                                           : ConsoleMenu::kError);
    // The texts as typed: the device is sent what the user sees.
    const QString joined = octets.join(QLatin1Char('.'));
    row.joined->setText(joined);

    bool portTook = true; // false once a write found the port closed
    if (row.status->text() == ConsoleMenu::kError) {
        const QPointer<frmTerminal> self(this);
        msgBox(this, row.message, QMessageBox::Ok, QMessageBox::Critical, kErrorTitle);
        if (!stillOpen(self) || Windows::isEnding())
            return;
    } else {
        portTook = Send(row.letter);
        if (portTook && !wait(kAddressPromptMs))
            return;
        portTook = portTook && Send(joined + kCr);
        if (portTook)
            row.shown->setText(joined);
    }
    if (portTook)
        LeaveMenu();
    if (row.isNettestIp)
        LauncherState::instance().setNettestIp(joined);
}

// --- Re-read, restore and commands ---------------------------------------------

void frmTerminal::cmdNvconf_Click()
{
    const Operation operation = beginOperation();
    if (!operation || !portReady())
        return;
    if (m_menuLeftOpen && (!Send(kQuit + kCr) || !wait(kStepMs)))
        return;
    txtTerm->setText(QString());
    if (!Send(QStringLiteral("NVCONF") + kCr))
        return;
    m_menuLeftOpen = true;
    if (!wait(kScreenMs))
        return;
    // The menu stays open: every later exchange starts by leaving it.
    const MenuScreen::DeviceMenu menu = MenuScreen::readDeviceMenu(txtTerm->text());
    ShowDeviceMenu(menu);
    ShowPcAddresses();
    lblModel->setText(menu.model);
}

void frmTerminal::Command2_Click()
{
    const Operation operation = beginOperation();
    if (!operation || !portReady())
        return;
    if (!Send(kQuit + kCr) || !wait(kStepMs))
        return;
    txtTerm->setText(QString());
    if (!Send(QStringLiteral("NVCONF") + kCr) || !wait(kRestoreStartMs))
        return;
    if (!Send(QStringLiteral("F")) || !wait(kStepMs))
        return;
    if (!Send(kQuit + kCr))
        return;

    // The factory values are known; the device is not asked for them.
    namespace Factory = ConsoleMenu::Factory;
    txtALLIP->setText(Factory::kIp);
    txtALLMask->setText(Factory::kMask);
    txtALLGateway->setText(Factory::kGateway);
    lblAllBaudrate->setText(Factory::kBaudrates);
    lblAllDatabit->setText(Factory::kDatabits);
    lblAllParity->setText(Factory::kParities);
    lblAllStopbit->setText(Factory::kStopbits);
    // A load that ended early left no device ports to choose from.
    const bool hasPorts = cmbComSet->count() > 0;
    if (hasPorts)
        SelectComSet(0);
    lblAllModbusSet->setText(Factory::kModbusSet);
    for (size_t i = 0; i < lblDataformat.size(); ++i) {
        imgModBus[i]->setPixmap(imgRed->pixmap());
        lblDataformat[i]->setText(QStringLiteral("1"));
    }
    if (hasPorts) {
        SelectComSet(0);
        cmbModbus->setCurrentIndex(1);
    }
}

void frmTerminal::cmdDir4630K_Click()
{
    const Operation operation = beginOperation();
    if (!operation || !portReady())
        return;
    if (!Send(kQuit) || !wait(kStepMs) || !Send(kCr) || !wait(kStepMs))
        return;
    Send(QStringLiteral("DIR") + kCr);
}

void frmTerminal::cmdReboot4630K_Click()
{
    Operation operation = beginOperation();
    if (!operation || !portReady())
        return;
    const QPointer<frmTerminal> self(this);
    const QMessageBox::StandardButton answer =
        msgBox(this, kRebootQuestion, QMessageBox::Ok | QMessageBox::Cancel,
               QMessageBox::Warning, kRebootTitle);
    if (!stillOpen(self) || Windows::isEnding() || answer != QMessageBox::Ok)
        return;
    if (!Send(kQuit + kCr) || !wait(kStepMs))
        return;
    if (!Send(QStringLiteral("RESET") + kCr) || !wait(kResetMs))
        return;
    operation.release();
    close();
}

void frmTerminal::CmdEXIT_Click()
{
    if (isUnloaded())
        return;
    Operation operation = beginOperation();
    if (!operation) {
        // The running exchange finishes first (the status bar says so); then
        // EXIT runs, once however often it was pressed meanwhile.
        if (!m_exitQueued) {
            m_exitQueued = true;
            afterOperation(this, [this] {
                m_exitQueued = false;
                CmdEXIT_Click();
            });
        }
        return;
    }
    if (MSComm1->PortOpen()) {
        if (Send(kQuit + kCr) && !wait(kExitMs))
            return;
        MSComm1->setPortOpen(false);
    }
    Windows::unload(WindowName::ConfigurationWarning);
    operation.release();
    close();
}

void frmTerminal::cmdTerminal_Click()
{
    setFormWidthTwips(kWideWidth);
}

void frmTerminal::Command1_Click()
{
    setFormWidthTwips(kNarrowWidth);
}

// --- Device ports ------------------------------------------------------------

void frmTerminal::cmbComSet_Click()
{
    const int index = cmbComSet->currentIndex();
    if (index < 0)
        return;
    const int port = index + 1;
    using ConsoleMenu::Setting;
    struct Row
    {
        Setting setting;
        QComboBox *list;
        QLabel *all;
        QLabel *value;
    };
    const Row rows[] = {{Setting::Baudrate, cmbBaudrate, lblAllBaudrate, lblBaudrate},
                        {Setting::Databit, cmbDatabit, lblAllDatabit, lblDatabit},
                        {Setting::Parity, cmbParity, lblAllParity, lblParity},
                        {Setting::Stopbit, cmbStopbit, lblAllStopbit, lblStopbit}};
    auto fill = [](QComboBox *list, const QStringList &entries) {
        list->clear();
        list->addItems(entries);
        list->setCurrentIndex(-1);
    };
    for (const Row &row : rows)
        fill(row.list, ConsoleMenu::entries(row.setting, port));
    fill(cmbModbus, ConsoleMenu::kModbusEntries);

    // A value that no choice shows (or a port missing from the list) is
    // shown as read, with nothing chosen.
    for (const Row &row : rows) {
        const QString value = MenuScreen::portValue(row.all->text(), port);
        row.value->setText(value);
        row.list->setCurrentIndex(ConsoleMenu::entryFor(row.setting, port, value));
    }

    if (MenuScreen::isModbusModel(lblModel->text()) && index < int(lblDataformat.size())) {
        const bool on = MenuScreen::leadingNumber(lblDataformat[size_t(index)]->text()) == 1;
        cmbModbus->setCurrentIndex(on ? 1 : 0);
    }
}

void frmTerminal::cmdBaudrateSet_Click()
{
    SetPortValue(ConsoleMenu::Setting::Baudrate);
}

void frmTerminal::cmdDatabitSet_Click()
{
    SetPortValue(ConsoleMenu::Setting::Databit);
}

void frmTerminal::cmdParitySet_Click()
{
    SetPortValue(ConsoleMenu::Setting::Parity);
}

void frmTerminal::cmdStopbitSet_Click()
{
    SetPortValue(ConsoleMenu::Setting::Stopbit);
}

void frmTerminal::SetPortValue(ConsoleMenu::Setting setting)
{
    const Operation operation = beginOperation();
    if (!operation || !portReady())
        return;
    using ConsoleMenu::Setting;
    QComboBox *const lists[] = {cmbBaudrate, cmbDatabit, cmbParity, cmbStopbit};
    QLabel *const all[] = {lblAllBaudrate, lblAllDatabit, lblAllParity, lblAllStopbit};
    const auto which = static_cast<size_t>(setting);
    // The port and the value as chosen when the button was pressed: choices
    // changed during the waits do not mix into this exchange.
    const int port = cmbComSet->currentIndex() + 1;
    const QString value = ConsoleMenu::sentText(setting, port, lists[which]->currentIndex());

    if (!RestartMenu())
        return;
    if (!Send(ConsoleMenu::menuLetter(setting)) || !wait(kStepMs))
        return;
    if (!Send(QString::number(port) + kCr) || !wait(kStepMs))
        return;
    const qsizetype noted = txtTerm->length();
    if (!value.isEmpty() && !Send(value + kCr))
        return;
    // Only what arrives from here on: the menu as the device shows it anew.
    txtTerm->setText(txtTerm->text().mid(noted));
    if (!wait(kStepMs))
        return;
    all[which]->setText(ConsoleMenu::readLine(setting, txtTerm->text()));
    LeaveMenu();
}

void frmTerminal::cmdModbusSet_Click()
{
    const Operation operation = beginOperation();
    if (!operation || !portReady())
        return;
    const int index = cmbComSet->currentIndex();
    const bool enable = cmbModbus->currentIndex() != 0;
    if (!RestartMenu())
        return;
    if (!Send(QStringLiteral("U") + kCr) || !wait(kStepMs))
        return;
    if (index >= 0 && index < int(lblDataformat.size())) {
        const auto i = static_cast<size_t>(index);
        lblDataformat[i]->setText(enable ? QStringLiteral("1") : QStringLiteral("0"));
        imgModBus[i]->setPixmap(enable ? imgRed->pixmap() : imgGray->pixmap());
    }
    std::array<QString, 8> flags;
    for (size_t k = 0; k < flags.size(); ++k)
        flags[k] = lblDataformat[k]->text();
    // The device takes the mask in decimal, though its menu shows it in hex.
    lblAllModbusSet->setText(QString::number(ConsoleMenu::modbusMask(flags)));
    if (Send(lblAllModbusSet->text() + kCr))
        LeaveMenu();
}
