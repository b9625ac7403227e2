#include "console/configurate.h"

#include "app/dialogs.h"
#include "app/look.h"
#include "app/windows.h"
#include "console/consolemenu.h"
#include "console/mscomm.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace {

const QString kCr = QStringLiteral("\r");
const QString kQuit = QStringLiteral("Q");
const QString kNvconf = QStringLiteral("NVCONF");
const QString kErrorTitle = QStringLiteral("Error message!");

constexpr int kEnterKey = 13;
constexpr int kLabelHeight = 255;
constexpr int kBoxHeight = 285;

} // namespace

// One of the three address rows: what its "Set" button reads, sends and shows.
struct Configurate::AddressRow
{
    const std::array<QLineEdit *, 4> &octets;
    QLabel *status;
    QLabel *joined;
    QString letter;
    QString message;
};

Configurate::Configurate(QWidget *parent) : Form(parent)
{
    setWindowTitle(QStringLiteral("Form1"));
    setClientSizeTwips(8895, 6375);

    MSComm1 = new MSComm(this);
    MSComm1->setObjectName(QStringLiteral("MSComm1"));
    // Received data is polled; only a failure of the port comes as an event.
    connect(MSComm1, &MSComm::OnComm, this, [this](int code) {
        if (code == MSComm::comEventPortFailure)
            ReportPortClosed(MSComm1->errorText());
    });

    buildControls();

    // The poll runs from the start, also through every wait of the load.
    Timer1 = timer(QStringLiteral("Timer1"), kTimer1Ms, &Configurate::Timer1_Timer);
    Timer1->start();
}

Configurate::~Configurate() = default;

void Configurate::buildControls()
{
    controlArray(Label, QStringLiteral("Label"));
    const QString captions[] = {QStringLiteral("4630K============="),
                                QStringLiteral("PC============="),
                                QStringLiteral("IP:"),
                                QStringLiteral("Mask:"),
                                QStringLiteral("Gateway:"),
                                QStringLiteral("Send IP setting"),
                                QStringLiteral("Send Mask setting"),
                                QStringLiteral("Send Gateway setting")};
    const Twips captionAt[] = {{840, 120, 1575, kLabelHeight},  {2520, 120, 1575, kLabelHeight},
                               {120, 450, 615, kLabelHeight},   {120, 810, 615, kLabelHeight},
                               {120, 1170, 735, kLabelHeight},  {120, 1590, 1695, kLabelHeight},
                               {120, 1950, 1695, kLabelHeight}, {120, 2310, 1695, kLabelHeight}};
    for (size_t i = 0; i < Label.size(); ++i) {
        Label[i]->setText(captions[i]);
        place(Label[i], captionAt[i]);
    }

    // The device's values and the PC's, one row each.
    struct ShownRow
    {
        QLineEdit *&device;
        const char *deviceName;
        QLabel *&pc;
        const char *pcName;
        QString pcCaption;
        int top;
    };
    const ShownRow shown[] = {
        {txtALLIP, "txtALLIP", lblPCIP, "lblPCIP", QStringLiteral("PC's IP"), 420},
        {txtALLMask, "txtALLMask", lblPCMask, "lblPCMask", QStringLiteral("PC's Mask"), 780},
        {txtALLGateway, "txtALLGateway", lblPCGateway, "lblPCGateway",
         QStringLiteral("PC's Gateway"), 1140},
    };
    for (const ShownRow &row : shown) {
        row.device = textBox(QString::fromLatin1(row.deviceName), QString(),
                             {840, row.top, 1575, kBoxHeight});
        row.pc = label(QString::fromLatin1(row.pcName), row.pcCaption,
                       {2520, row.top + 30, 1575, kLabelHeight});
    }

    // The addresses to send: four octets, Set, the check's result and the
    // text sent.
    struct SetRow
    {
        std::array<QLineEdit *, 4> &octets;
        QString octetName;
        QPushButton *&set;
        const char *setName;
        QLabel *&status;
        const char *statusName;
        QLabel *&joined;
        const char *joinedName;
        int top;
    };
    const SetRow sets[] = {
        {txtIP, QStringLiteral("txtIP"), cmdSetIP, "cmdSetIP", lblIPstatus, "lblIPstatus",
         lblSendIP, "lblSendIP", 1560},
        {txtMask, QStringLiteral("txtMask"), cmdSetMask, "cmdSetMask", lblMaskstatus,
         "lblMaskstatus", lblSendMask, "lblSendMask", 1920},
        {txtGateway, QStringLiteral("txtGateway"), cmdSetGateway, "cmdSetGateway",
         lblGatewaystatus, "lblGatewaystatus", lblSendGateway, "lblSendGateway", 2280},
    };
    for (const SetRow &row : sets) {
        controlArray(row.octets, row.octetName);
        for (size_t i = 0; i < 4; ++i)
            place(row.octets[i], {1800 + 420 * static_cast<int>(i), row.top, 375, kBoxHeight});
        row.set = button(QString::fromLatin1(row.setName), QStringLiteral("Set"),
                         {3540, row.top, 615, kBoxHeight});
        row.status = label(QString::fromLatin1(row.statusName), QStringLiteral("status"),
                           {4260, row.top + 30, 735, kLabelHeight});
        row.joined = label(QString::fromLatin1(row.joinedName), QStringLiteral("IP total"),
                           {5040, row.top + 30, 1935, kLabelHeight});
    }

    cmdNvconf =
        button(QStringLiteral("cmdNvconf"), QStringLiteral("Nvconf"), {7080, 120, 1695, 375});
    cmdQuitnvconf =
        button(QStringLiteral("cmdQuitnvconf"), QStringLiteral("Quit"), {7080, 540, 1695, 375});
    cmdDir4630K = button(QStringLiteral("cmdDir4630K"), QStringLiteral("Dir 4630K's file"),
                         {7080, 960, 1695, 375});
    cmdReboot4630K = button(QStringLiteral("cmdReboot4630K"), QStringLiteral("Reboot 4630K"),
                            {7080, 1380, 1695, 375});
    CmdEXIT = button(QStringLiteral("CmdEXIT"), QStringLiteral("EXIT"), {7080, 2220, 1695, 375});

    txtReceive = placed<QPlainTextEdit>(QStringLiteral("txtReceive"), {120, 2760, 8655, 3015});
    // What the device sent: selected and copied, never edited; the readings
    // take it as it came.
    txtReceive->setReadOnly(true);
    txtReceive->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtReceive->setUndoRedoEnabled(false);
    txtReceive->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The menu's values stand in columns of characters.
    txtReceive->setFont(terminalFont(txtReceive->font()));

    txtSend = placed<QPlainTextEdit>(QStringLiteral("txtSend"), {120, 5880, 7455, 375});
    txtSend->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtSend->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtSend->setTabChangesFocus(true);
    txtSend->installEventFilter(this);
    cmdSenddata =
        button(QStringLiteral("cmdSenddata"), QStringLiteral("Send"), {7680, 5880, 1095, 375});

    const std::pair<QPushButton *, void (Configurate::*)()> handlers[] = {
        {cmdNvconf, &Configurate::cmdNvconf_Click},
        {cmdQuitnvconf, &Configurate::cmdQuitnvconf_Click},
        {cmdDir4630K, &Configurate::cmdDir4630K_Click},
        {cmdReboot4630K, &Configurate::cmdReboot4630K_Click},
        {cmdSenddata, &Configurate::cmdSenddata_Click},
        {CmdEXIT, &Configurate::CmdEXIT_Click},
        {cmdSetIP, &Configurate::cmdSetIP_Click},
        {cmdSetMask, &Configurate::cmdSetMask_Click},
        {cmdSetGateway, &Configurate::cmdSetGateway_Click},
    };
    for (const auto &[button, handler] : handlers)
        connect(button, &QPushButton::clicked, this, handler);
}

// --- Load --------------------------------------------------------------------

void Configurate::formLoad()
{
    Form_Load();
}

void Configurate::Form_Load()
{
    const Operation operation = beginOperation();
    if (!operation)
        return;
    const QPointer<Configurate> self(this);
    if (!MSComm1->setPortOpen(true)) {
        ReportPortClosed(MSComm1->errorText());
        if (!stillOpen(self) || Windows::isEnding())
            return;
    }

    // A report that cannot be had leaves the PC's values empty: an older
    // report left in the folder would describe another network.
    const QString report = QDir::current().filePath(IpconfigReport::kFileName);
    QString why;
    bool refused = false;
    const bool asked = IpconfigReport::produce(report, &why, &refused);
    if (!asked)
        qWarning("The PC's addresses are not known: %s", qPrintable(why));
    // A link or other non-file under the report's name may be someone's trap
    // in a shared folder: the user hears of it.
    if (refused) {
        msgBox(this, why, QMessageBox::Ok, QMessageBox::Warning);
        if (!stillOpen(self) || Windows::isEnding())
            return;
    }
    if (!wait(kReportWaitMs))
        return;
    ShowPcAddresses(asked ? IpconfigReport::readFile(report) : IpconfigReport::PcAddresses{});

    if (!MSComm1->PortOpen()) {
        // No device to read: propose from the PC alone, and leave EXIT usable.
        Propose(ConfigurateLogic::proposeAtLoad(m_pc));
        showMenuState(false);
        return;
    }
    if (!wait(kSettleMs))
        return;
    const std::optional<ConfigurateLogic::DeviceAddresses> device = OpenMenuAndRead();
    if (!device)
        return;
    Propose(ConfigurateLogic::proposeAtLoad(m_pc));

    // The screen may have come too late or in pieces that split the IP line:
    // read it once more.
    if (ConfigurateLogic::needsSecondReading(device->ip)) {
        cmdNvconf->setEnabled(true);
        MenuReading();
    }
    // The device stays in its menu; "Quit" leaves it.
}

void Configurate::ShowPcAddresses(const IpconfigReport::PcAddresses &pc)
{
    m_pc = pc;
    lblPCIP->setText(pc.ip);
    lblPCMask->setText(pc.mask);
    lblPCGateway->setText(pc.gateway);
}

ConfigurateLogic::DeviceAddresses Configurate::ShowDeviceAddresses()
{
    const ConfigurateLogic::DeviceAddresses device =
        ConfigurateLogic::readDeviceAddresses(m_receive.text());
    txtALLIP->setText(device.ip);
    txtALLMask->setText(device.mask);
    txtALLGateway->setText(device.gateway);
    return device;
}

void Configurate::Propose(const ConfigurateLogic::Proposal &proposal)
{
    for (size_t i = 0; i < 4; ++i) {
        txtIP[i]->setText(proposal.ip[i]);
        txtMask[i]->setText(proposal.mask[i]);
        txtGateway[i]->setText(proposal.gateway[i]);
    }
}

void Configurate::showMenuState(bool menu)
{
    cmdNvconf->setEnabled(!menu);
    cmdQuitnvconf->setEnabled(menu);
    for (QPushButton *b : {cmdDir4630K, cmdReboot4630K, cmdSenddata, CmdEXIT})
        b->setEnabled(!menu);
}

// --- Receive text ------------------------------------------------------------

void Configurate::Timer1_Timer()
{
    const QString piece = MSComm1->Input();
    if (!piece.isEmpty())
        addReceived(piece);
}

void Configurate::clearReceive()
{
    m_receive.clear();
    txtReceive->setPlainText(QString());
}

void Configurate::addReceived(const QString &piece)
{
    if (m_receive.append(piece)) {
        QTextCursor end(txtReceive->document());
        end.movePosition(QTextCursor::End);
        end.insertText(ConfigurateLogic::ReceiveText::toDisplay(kCr + piece));
    } else {
        // The oldest text went: lay out what is left afresh.
        txtReceive->setPlainText(ConfigurateLogic::ReceiveText::toDisplay(m_receive.text()));
    }
    txtReceive->moveCursor(QTextCursor::End);
}

// --- Sending -----------------------------------------------------------------

bool Configurate::Send(const QString &text)
{
    if (MSComm1->PortOpen() && MSComm1->Output(text)) {
        if (text.startsWith(kQuit))
            m_menuOpen = false;
        return true;
    }
    ReportPortClosed(MSComm1->PortOpen() ? MSComm1->errorText() : closedPortText());
    return false;
}

QString Configurate::closedPortText() const
{
    return QStringLiteral("COM%1 (%2) is not open: nothing was sent.")
        .arg(MSComm1->CommPort())
        .arg(MSComm1->deviceName());
}

void Configurate::ReportPortClosed(const QString &why)
{
    if (m_portClosedShown)
        return;
    m_portClosedShown = true;
    msgBox(this, why, QMessageBox::Ok, QMessageBox::Warning);
}

bool Configurate::SendAlone(const QString &text)
{
    const Operation operation = beginOperation();
    return operation && Send(text);
}

void Configurate::operationRefused()
{
    QApplication::beep();
}

// --- Buttons -----------------------------------------------------------------

void Configurate::cmdNvconf_Click()
{
    const Operation operation = beginOperation();
    if (!operation)
        return;
    MenuReading();
}

void Configurate::MenuReading()
{
    if (!MSComm1->PortOpen()) {
        ReportPortClosed(closedPortText());
        return;
    }
    if (m_menuOpen && (!Send(kQuit + kCr) || !wait(kQuitMs)))
        return;
    if (const auto device = OpenMenuAndRead())
        Propose(ConfigurateLogic::proposeAtReading(m_pc, device->gateway));
}

std::optional<ConfigurateLogic::DeviceAddresses> Configurate::OpenMenuAndRead()
{
    showMenuState(true);
    clearReceive();
    if (!Send(kNvconf + kCr))
        return std::nullopt;
    m_menuOpen = true;
    if (!wait(kScreenMs))
        return std::nullopt; // the window may be gone: touch nothing
    return ShowDeviceAddresses();
}

void Configurate::cmdQuitnvconf_Click()
{
    const Operation operation = beginOperation();
    if (!operation)
        return;
    Send(kQuit + kCr);
    // Also when nothing could be sent: the way to EXIT stays open.
    showMenuState(false);
}

void Configurate::cmdDir4630K_Click()
{
    SendAlone(QStringLiteral("DIR") + kCr);
}

void Configurate::cmdReboot4630K_Click()
{
    SendAlone(QStringLiteral("RESET") + kCr);
}

void Configurate::cmdSenddata_Click()
{
    // A line break pasted into the box goes as the line end of its text.
    SendAlone(txtSend->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n")) + kCr);
}

bool Configurate::txtSend_KeyDown(int KeyCode)
{
    if (KeyCode != kEnterKey)
        return false;
    // Refused while an exchange runs: the line stays for the next try.
    if (!isOperationRunning()) {
        cmdSenddata_Click();
        txtSend->clear();
    } else {
        operationRefused();
    }
    return true;
}

void Configurate::txtSend_KeyPress(int &KeyAscii)
{
    if (KeyAscii >= 'a' && KeyAscii <= 'z')
        KeyAscii &= ~32;
}

bool Configurate::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != txtSend || event->type() != QEvent::KeyPress)
        return Form::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        return txtSend_KeyDown(kEnterKey);
    const QString typed = key->text();
    if (typed.size() != 1)
        return false;
    int code = typed.at(0).unicode();
    const int was = code;
    txtSend_KeyPress(code);
    if (code == was)
        return false;
    txtSend->insertPlainText(QString(QChar(char16_t(code))));
    return true;
}

void Configurate::cmdSetIP_Click()
{
    SetAddress({txtIP, lblIPstatus, lblSendIP, QStringLiteral("I"),
                QStringLiteral("IP value is out of range. Please check it ! ")});
}

void Configurate::cmdSetMask_Click()
{
    SetAddress({txtMask, lblMaskstatus, lblSendMask, QStringLiteral("N"),
                QStringLiteral("Mask value is out of range. Please check it ! ")});
}

void Configurate::cmdSetGateway_Click()
{
    SetAddress({txtGateway, lblGatewaystatus, lblSendGateway, QStringLiteral("G"),
                QStringLiteral("Gateway value is out of range. Please check it ! ")});
}

void Configurate::SetAddress(const AddressRow &row)
{
    const Operation operation = beginOperation();
    if (!operation)
        return;
    QStringList octets;
    for (const QLineEdit *box : row.octets)
        octets << box->text();
    const bool ok = ConsoleMenu::octetsInRange(octets);
    row.status->setText(ok ? ConsoleMenu::kOk : ConsoleMenu::kError);
    // The texts as typed: the device is sent what the user sees.
    const QString joined = octets.join(QLatin1Char('.'));
    row.joined->setText(joined);
    if (!ok) {
        msgBox(this, row.message, QMessageBox::Ok, QMessageBox::Critical, kErrorTitle);
        return;
    }
    // The menu stays open after the address: nothing follows it.
    if (Send(row.letter + kCr) && wait(kAddressPromptMs))
        Send(joined + kCr);
}

void Configurate::CmdEXIT_Click()
{
    MSComm1->setPortOpen(false);
    Windows::endProgram();
}
