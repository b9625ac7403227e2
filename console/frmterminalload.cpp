#include "console/frmterminal.h"

#include "app/dialogs.h"
#include "app/launcherstate.h"
#include "app/module1.h"
#include "app/settings.h"
#include "app/windows.h"
#include "console/controls.h"
#include "console/menuscreen.h"
#include "console/mscomm.h"
#include "console/terminallogic.h"

#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr int kPromptWaitMs = 1000;
constexpr int kBeforeMenuMs = 100;
constexpr int kMenuScreenWaitMs = 800;

} // namespace

// --- Load --------------------------------------------------------------------

void frmTerminal::formLoad()
{
    Form_Load();
}

void frmTerminal::Form_Load()
{
    const Operation operation = beginOperation();
    if (!operation)
        return;

    // Window and port.
    setFormWidthTwips(kNarrowWidth);
    const QString chosen = LauncherState::instance().comPort();
    Label10->setText(chosen);
    static const QStringList pcPorts = {QStringLiteral("COM1"), QStringLiteral("COM2"),
                                        QStringLiteral("COM3"), QStringLiteral("COM4")};
    if (const qsizetype n = pcPorts.indexOf(chosen); n >= 0)
        MSComm1->setCommPort(static_cast<int>(n) + 1);

    if (!MSComm1->setPortOpen(true)) {
        msgBox(this, MSComm1->errorText(), QMessageBox::Ok, QMessageBox::Warning);
        return;
    }
    ShowPortState();

    // Terminal pane.
    txtTerm->setText(QString());
    QPalette palette = txtTerm->palette();
    palette.setColor(QPalette::Text, QColor(0, 0, 255));
    txtTerm->setPalette(palette);
    setApplicationTitle(TerminalLogic::kTitle);
    centreOnScreen();
    if (!ApplySavedSettings())
        return;

    ShowPcAddresses();

    // Prompt check.
    if (!Send(QStringLiteral("\r")) || !wait(kPromptWaitMs))
        return;
    if (!MenuScreen::hasPrompt(txtTerm->text())) {
        Windows::showOwned(WindowName::ConfigurationWarning, this);
        return;
    }

    // Menu reading.
    if (!wait(kBeforeMenuMs))
        return;
    txtTerm->setText(QString());
    if (!Send(QStringLiteral("NVCONF\r")) || !wait(kMenuScreenWaitMs))
        return;
    const QString screen = txtTerm->text();
    const MenuScreen::DeviceMenu menu = MenuScreen::readDeviceMenu(screen);
    ShowDeviceMenu(menu);
    ProposeAddresses();
    lblModel->setText(menu.model.trimmed());

    if (MenuScreen::isModbusModel(lblModel->text()))
        ShowModbusPorts(screen);
    FillDevicePortList();
    Send(QStringLiteral("Q"));
}

bool frmTerminal::ApplySavedSettings()
{
    auto saved = [](const char *key) {
        return AppSettings::getSetting(TerminalLogic::kTitle, TerminalLogic::kSettingsSection,
                                       QString::fromLatin1(key), QString());
    };
    auto fail = [this](const QString &why) {
        msgBox(this, why, QMessageBox::Ok, QMessageBox::Warning);
        return false;
    };

    // Told once each load; the port then keeps its defaults.
    const QStringList refused = AppSettings::refusedFiles(TerminalLogic::kTitle);
    if (!refused.isEmpty()) {
        QPointer<frmTerminal> self(this);
        msgBox(this, AppSettings::refusedText(refused), QMessageBox::Ok, QMessageBox::Warning);
        if (!stillOpen(self))
            return false;
    }

    const QString settings = saved("Settings");
    if (!settings.isEmpty() && !MSComm1->setSettings(settings))
        return fail(MSComm1->errorText());

    // A port number cannot change while the port is open; its failure is
    // ignored, and it does not count as a failure of the handshaking below.
    const QString commPort = saved("CommPort");
    if (!commPort.isEmpty()) {
        if (const auto n = TerminalLogic::toInt16(commPort))
            MSComm1->setCommPort(*n);
    }

    const QString handshaking = saved("Handshaking");
    if (!handshaking.isEmpty()) {
        const auto mode = TerminalLogic::toInt32(handshaking);
        if (!mode)
            return fail(QStringLiteral("Invalid handshaking \"%1\": expected 0 (none), "
                                       "1 (XON/XOFF), 2 (RTS/CTS) or 3 (both).")
                            .arg(handshaking));
        if (!MSComm1->setHandshaking(*mode))
            return fail(MSComm1->errorText());
    }

    const QString echo = saved("Echo");
    if (!echo.isEmpty()) {
        if (const auto on = TerminalLogic::toBool(echo))
            Module1::Echo = *on;
    }
    return true;
}

void frmTerminal::ShowPcAddresses()
{
    // The launcher keeps fixed-length texts padded with NULs; a label shows
    // them up to the first NUL.
    auto shown = [](const QString &caption) { return caption.left(caption.indexOf(QChar(0))); };
    const LauncherState &launcher = LauncherState::instance();
    lblPCIP->setText(shown(launcher.pcIp()));
    lblPCMask->setText(shown(launcher.pcMask()));
    lblPCGateway->setText(shown(launcher.pcGateway()));
}

void frmTerminal::ShowDeviceMenu(const MenuScreen::DeviceMenu &menu)
{
    txtALLIP->setText(menu.ip);
    txtALLMask->setText(menu.mask);
    txtALLGateway->setText(menu.gateway);
    lblAllBaudrate->setText(menu.baudrates);
    lblAllDatabit->setText(menu.databits);
    lblAllParity->setText(menu.parities);
    lblAllStopbit->setText(menu.stopbits);
}

void frmTerminal::ProposeAddresses()
{
    struct Row
    {
        QLabel *pc;
        std::array<QLineEdit *, 4> &boxes;
        int raiseLast;
    };
    const Row rows[] = {{lblPCIP, txtIP, 1}, {lblPCMask, txtMask, 0}, {lblPCGateway, txtGateway, 0}};
    for (const Row &row : rows) {
        // A caption that is no dotted address (such as the launcher's
        // "Label1" when its queries failed) proposes nothing, like an empty one.
        const auto octets = MenuScreen::splitOctets(row.pc->text());
        for (size_t i = 0; i < 4; ++i) {
            if (!octets) {
                row.boxes[i]->clear();
                continue;
            }
            const qint64 value = (*octets)[i] + (i == 3 ? row.raiseLast : 0);
            row.boxes[i]->setText(QString::number(value));
        }
    }
}

void frmTerminal::ShowModbusPorts(const QString &screen)
{
    const int n = MenuScreen::portCount(lblModel->text());
    cmbModbus->setEnabled(true);
    cmdModbusSet->setEnabled(true);
    Label11->show();
    shape1->show();
    shape2->show();
    Shape3->show();
    for (QFrame *line : ModbusLine)
        line->show();
    for (int i = 0; i < n; ++i) {
        lblModBus[static_cast<size_t>(i)]->show();
        imgModBus[static_cast<size_t>(i)]->show();
    }

    lblAllModbusSet->setText(MenuScreen::readModbusField(screen));
    const auto on = MenuScreen::decodePortMask(lblAllModbusSet->text());
    for (size_t i = 0; i < on.size(); ++i) {
        lblDataformat[i]->setText(on[i] ? QStringLiteral("1") : QStringLiteral("0"));
        imgModBus[i]->setPixmap(on[i] ? imgRed->pixmap() : imgGray->pixmap());
    }
}

void frmTerminal::FillDevicePortList()
{
    const int n = MenuScreen::portCount(lblModel->text());
    for (int k = 1; k <= n; ++k)
        cmbComSet->addItem(QStringLiteral("COM%1").arg(k));
    // A model without ports leaves the list empty: nothing to select.
    if (cmbComSet->count() > 0)
        SelectComSet(0);
}

void frmTerminal::SelectComSet(int index)
{
    {
        const QSignalBlocker quiet(cmbComSet);
        cmbComSet->setCurrentIndex(index);
    }
    cmbComSet_Click();
}

void frmTerminal::centreOnScreen()
{
    QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s)
        return;
    const QRect area = s->geometry();
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
}
