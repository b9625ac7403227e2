#include "netclient/frmmain.h"

#include "app/launcherstate.h"
#include "app/look.h"
#include "app/windownames.h"
#include "app/windows.h"
#include "net/winsock.h"
#include "netclient/receiveview.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

namespace {

const QString kUnconnected = QStringLiteral("Unconnected");
const QString kDisconnectFlag = QStringLiteral("Ok!");
const QString kReplyPrefix = QStringLiteral("[4630K Say]: ");

constexpr int kWindowWidth = 10080;  // twips
constexpr int kWindowHeight = 8640;  // twips
constexpr int kLabelHeight = 255;    // twips
constexpr int kBoxHeight = 300;      // twips
constexpr int kButtonHeight = 375;   // twips
constexpr int kSetButtonWidth = 735; // twips
constexpr int kSetButtonHeight = 315;
constexpr int kOptionStep = 240;     // twips between the terminator options

QString portRefusedMessage(const QString &text)
{
    return QStringLiteral("Connetion Port \"%1\" is not a number from 1 to 65535: not connected.")
        .arg(text.left(16));
}

QString countRefusedMessage(int ports)
{
    return QStringLiteral("The COM port count is not a number from 1 to 8: %1 COM ports are used.")
        .arg(ports);
}

QString noDataPortMessage(int k)
{
    return QStringLiteral("Comm%1 has no data port: the control port + %1 passes 65535.").arg(k);
}

} // namespace

frmMain::frmMain(QWidget *parent) : Form(parent)
{
    // A close is never refused: the waits of a running command end instead.
    setCloseHeldDuringOperation(false);
    setWindowTitle(QStringLiteral("4630K Net Test"));
    setClientSizeTwips(kWindowWidth, kWindowHeight);
    buildControls();

    tcpPC = new Winsock(this);
    tcpPC->setObjectName(QStringLiteral("tcpPC"));
    tcpPC->setReceiveLimit(kControlReceiveLimitBytes);
    connect(tcpPC, &Winsock::DataArrival, this, &frmMain::tcpPC_DataArrival);
    for (int i = 0; i < Portd::kMaxPorts; ++i) {
        tcpComm[i] = new Winsock(this);
        tcpComm[i]->setObjectName(QStringLiteral("tcpComm(%1)").arg(i));
        connect(tcpComm[i], &Winsock::DataArrival, this,
                [this, i](qint64 bytesTotal) { tcpComm_DataArrival(i, bytesTotal); });
    }

    // Idle until the first reply wait starts it.
    Timer1 = timer(QStringLiteral("Timer1"), 0, &frmMain::Timer1_Timer);
    // A coarse timer may fire up to 5 % early: a reply at 2900 ms would be
    // taken for a time-out.
    Timer1->setTimerType(Qt::PreciseTimer);

    connect(cmdConnect, &QPushButton::clicked, this, &frmMain::cmdConnect_Click);
    connect(cmdState, &QPushButton::clicked, this, &frmMain::cmdState_Click);
    connect(cmdEnd, &QPushButton::clicked, this, &frmMain::cmdEnd_Click);
    connect(cmdCommTx, &QPushButton::clicked, this, &frmMain::cmdCommTx_Click);
    connect(cmdLedon, &QPushButton::clicked, this, &frmMain::cmdLedon_Click);
    connect(cmdLedoff, &QPushButton::clicked, this, &frmMain::cmdLedoff_Click);
    connect(cmdReboot, &QPushButton::clicked, this, &frmMain::cmdReboot_Click);
    connect(cmdSend, &QPushButton::clicked, this, &frmMain::cmdSend_Click);
    connect(cmdCommSet, &QPushButton::clicked, this, &frmMain::cmdCommSet_Click);
    connect(cmdIPset, &QPushButton::clicked, this, &frmMain::cmdIPset_Click);
    connect(cmdMaskset, &QPushButton::clicked, this, &frmMain::cmdMaskset_Click);
    connect(cmdGatewayset, &QPushButton::clicked, this, &frmMain::cmdGatewayset_Click);
    connect(cmdCommandlist, &QPushButton::clicked, this, &frmMain::cmdCommandlist_Click);
    // cmdMacset has no action: it is enabled and disabled with the others.
    connect(cmdCommClr, &QPushButton::clicked, this, &frmMain::cmdCommClr_Click);
    // Return and Enter both come as key code 13.
    connect(txtCommTx, &QLineEdit::returnPressed, this, [this] { txtCommTx_KeyPress(13); });
    connect(txtSend, &QLineEdit::returnPressed, this, [this] { txtSend_KeyPress(13); });
    connect(txtCommTx, &QLineEdit::textChanged, this,
            [this](const QString &text) { txtCommTxHex->setText(CommData::HexView(text)); });
    // The user's choice only: filling and emptying the list is no choice.
    connect(combCommPort, &QComboBox::activated, this, &frmMain::combCommPort_Click);
    connect(m_appendGroup, &QButtonGroup::idClicked, this, &frmMain::optAppend_Click);
    connect(this, &Form::unloaded, this, &frmMain::Form_Unload);
}

frmMain::~frmMain()
{
    // No handler of ours may run while the controls go.
    tcpPC->disconnect(this);
    for (Winsock *s : tcpComm)
        s->disconnect(this);
}

frmMain *frmMain::instance()
{
    return Windows::loaded<frmMain>(WindowName::frmMain);
}

void frmMain::buildControls()
{
    auto text = [](const char *latin1) { return QString::fromLatin1(latin1); };
    auto caption = [&](const char *name, const char *shown, int l, int t, int w) {
        return label(text(name), text(shown), {l, t, w, kLabelHeight});
    };
    auto heading = [&](const char *name, const char *shown, int l, int t, int w) {
        QLabel *h = caption(name, shown, l, t, w);
        QFont f = h->font();
        f.setBold(true);
        h->setFont(f);
        h->setStyleSheet(QStringLiteral("color: #0b2a5b;"));
        return h;
    };
    auto value = [&](QLabel *&l, const char *name, const char *shown, int left, int t, int w) {
        l = caption(name, shown, left, t, w);
    };
    auto cmd = [&](QPushButton *&b, const char *name, const char *shown, int l, int t, int w,
                   int h = kButtonHeight) { b = button(text(name), text(shown), {l, t, w, h}); };

    // The group frame first, so that its options lie above it.
    frame(QStringLiteral("Frame1"), QStringLiteral("Send with"), {8040, 4680, 1920, 1755});

    QLabel *title = caption("Label1", "4630K NET TEST", 120, 60, 4680);
    place(title, 120, 60, 4680, 420);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(scaledFont(titleFont, 1.6));
    title->setStyleSheet(QStringLiteral("color: #0b2a5b;"));

    // Server setting
    heading("Label2", "Sever Setting", 120, 540, 2400);
    caption("Label3", "IP Address", 240, 870, 1095);
    txtIP = textBox(text("txtIP"), text("192.9.40.100"), {1440, 840, 1695, kBoxHeight});
    caption("Label4", "Connetion Port", 240, 1230, 1095);
    txtPort = textBox(text("txtPort"), text("10000"), {1440, 1200, 855, kBoxHeight});
    caption("Label5", "Server Control Port", 2400, 1230, 2295);
    cmd(cmdConnect, "cmdConnect", "Connect", 3360, 810, 1335);

    // Server information
    heading("Label6", "Server Infomation", 120, 1620, 2400);
    controlArray(lblServerInfo, QStringLiteral("lblServerInfo"));
    // Room for the device-like server's greeting, which Connect takes for the
    // module name.
    place(lblServerInfo[0], 240, 1920, 2775, kLabelHeight);
    place(lblServerInfo[1], 3120, 1920, 1575, kLabelHeight);
    place(lblServerInfo[2], 240, 2220, 4455, kLabelHeight);
    for (QLabel *l : lblServerInfo)
        l->setText(kUnconnected);
    struct AddressRow
    {
        const char *caption;
        const char *captionName;
        QLabel *&value;
        const char *valueName;
        QPushButton *&set;
        const char *setName;
    };
    const AddressRow rows[] = {
        {"IP:", "Label7", lblIP, "lblIP", cmdIPset, "cmdIPset"},
        {"MAC:", "Label8", lblMAC, "lblMAC", cmdMacset, "cmdMacset"},
        {"Mask:", "Label9", lblMask, "lblMask", cmdMaskset, "cmdMaskset"},
        {"Gateway:", "Label10", lblGateway, "lblGateway", cmdGatewayset, "cmdGatewayset"},
    };
    int top = 2580;
    for (const AddressRow &r : rows) {
        caption(r.captionName, r.caption, 240, top, 795);
        value(r.value, r.valueName, "Unconnected", 1080, top, 2760);
        cmd(r.set, r.setName, "Set", 3960, top - 45, kSetButtonWidth, kSetButtonHeight);
        top += 360;
    }

    // Status of the selected COM port
    heading("Label11", "4630K Status", 120, 4080, 2400);
    caption("Label12", "Comm Status", 240, 4380, 1095);
    value(lblCommStatus, "lblCommStatus", "Unconnected", 1440, 4380, 2400);
    cmd(cmdCommSet, "cmdCommSet", "Set", 3960, 4335, kSetButtonWidth, kSetButtonHeight);
    value(lblModBus, "lblModBus", "No Modbus function", 240, 4740, 1815);
    value(lblAllModbusSet, "lblAllModbusSet", "AllModbusSet", 2160, 4740, 1575);

    // Commands
    heading("Label13", "Commands for 4630K", 120, 5160, 2400);
    cmd(cmdReboot, "cmdReboot", "Reboot 4630K", 240, 5460, 1455);
    cmd(cmdLedon, "cmdLedon", "Led ON", 1800, 5460, 1335);
    cmd(cmdLedoff, "cmdLedoff", "Led OFF", 3240, 5460, 1455);
    cmd(cmdState, "cmdState", "State", 240, 5940, 1455);
    cmd(cmdCommandlist, "cmdCommandlist", "Command list", 1800, 5940, 2895);
    txtSend = textBox(text("txtSend"), QString(), {240, 6450, 3240, kBoxHeight});
    cmd(cmdSend, "cmdSend", "Send", 3600, 6405, 1095);

    // Message pane
    heading("Label14", "4630K Repose Window", 4920, 540, 3000);
    PicMsg = placed<QPlainTextEdit>(text("PicMsg"), {4920, 840, 5040, 3360});
    PicMsg->setReadOnly(true);
    PicMsg->setUndoRedoEnabled(false);
    PicMsg->setLineWrapMode(QPlainTextEdit::NoWrap);
    PicMsg->setStyleSheet(QStringLiteral("QPlainTextEdit { background: white; }"));

    // Data connections
    caption("Label15", "Server Comm Port", 4920, 4350, 1575);
    combCommPort = placed<QComboBox>(text("combCommPort"), {6600, 4305, 1335, 315});
    caption("Label16", "Send", 4920, 4740, 1000);
    txtCommTx = textBox(text("txtCommTx"), QString(), {4920, 4980, 3000, kBoxHeight});
    txtCommTxHex = placed<ReceiveView>(text("txtCommTxHex"), {4920, 5310, 3000, 615});
    caption("Label17", "Receive", 4920, 6030, 1000);
    txtCommRx = placed<ReceiveView>(text("txtCommRx"), {4920, 6270, 3000, 1035});
    txtCommRxHex = placed<ReceiveView>(text("txtCommRxHex"), {4920, 7365, 3000, 1155});
    for (ReceiveView *hex : {txtCommTxHex, txtCommRxHex})
        hex->setRowMultiple(int(CommData::kHexCharsPerChar));
    // The receive box keeps what the port's buffer keeps; its hex view follows it.
    txtCommRx->setMaximumChars(CommData::CommBuffers::kBufferChars);
    txtCommRxHex->setMaximumChars(CommData::CommBuffers::kBufferChars * CommData::kHexCharsPerChar);
    txtCommRx->setFollower(
        txtCommRxHex, [](QStringView s) { return CommData::HexView(s); },
        int(CommData::kHexCharsPerChar));

    controlArray(optAppend, QStringLiteral("optAppend"));
    m_appendGroup = new QButtonGroup(this);
    const QStringList terminators = CommData::terminatorCaptions();
    for (int i = 0; i < CommData::kTerminators; ++i) {
        optAppend[i]->setText(terminators.at(i));
        place(optAppend[i], 8160, 4950 + i * kOptionStep, 1680, kOptionStep);
        m_appendGroup->addButton(optAppend[i], i);
    }
    caption("Label18", "Checksum:", 8040, 6510, 1200);
    controlArray(optChecksum, QStringLiteral("optChecksum"));
    m_checksumGroup = new QButtonGroup(this);
    optChecksum[0]->setText(QStringLiteral("on"));
    optChecksum[1]->setText(QStringLiteral("off"));
    place(optChecksum[0], 8160, 6780, 735, kLabelHeight);
    place(optChecksum[1], 8940, 6780, 735, kLabelHeight);
    m_checksumGroup->addButton(optChecksum[0], 0);
    m_checksumGroup->addButton(optChecksum[1], 1);
    cmd(cmdCommTx, "cmdCommTx", "Send", 8040, 7140, 900);
    cmd(cmdCommClr, "cmdCommClr", "Clear", 9060, 7140, 900);
    cmd(cmdEnd, "cmdEnd", "Exit", 8040, 8145, 1920);
    setCancelButton(cmdEnd);

    // A flag for the address dialogs; never shown.
    Disconnect = caption("Disconnect", "disconnect", 240, 8145, 1200);
    Disconnect->hide();
}

void frmMain::formLoad()
{
    txtIP->setText(LauncherState::instance().nettestIp());
    if (const QScreen *s = screen()) {
        const QRect area = s->availableGeometry();
        move(area.left() + (area.width() - frameGeometry().width()) / 3,
             area.top() + (area.height() - frameGeometry().height()) / 3);
    }
    flgConnect = false;
    Cnt = 0;
    ShowMsg(QStringLiteral("Welcome to 4630K Net Test Program"));
    txtCommTx->clear();
    setReceiveBox(QString());
    txtCommTxHex->clearText();
    optChecksum[1]->setChecked(true);
    cmdSend->setEnabled(false);
    cmdCommTx->setEnabled(false);
    optAppend[CommData::kDefaultTerminator]->setChecked(true);
    intAppend = CommData::kDefaultTerminator;
    for (QLabel *l : lblServerInfo)
        l->setText(kUnconnected);
    ComNo = Portd::kMaxPorts;
    for (int i = 0; i < Portd::kMaxPorts; ++i)
        m_buffers.clear(i);
    // Unconnected: the device commands wait for a connection.
    setCommandControlsEnabled(false);
}

// --- Message pane ---------------------------------------------------------------

void frmMain::ShowMsg(const QString &s)
{
    if (Cnt == kPaneLines) {
        PicMsg->clear();
        Cnt = 0;
    }
    ++Cnt;
    printLine(s);
}

void frmMain::ClearMsg()
{
    Cnt = 0;
    PicMsg->clear();
}

void frmMain::printLine(const QString &s)
{
    // A device that floods the control connection makes no line the pane
    // cannot lay out.
    PicMsg->appendPlainText(s.left(kPaneLineChars));
}

void frmMain::clearPane()
{
    PicMsg->clear();
}

void frmMain::ShowNetState(int n)
{
    ShowMsg(QStringLiteral("Current Net State is %1(%2)").arg(Winsock::stateName(n)).arg(n));
}

// --- Replies ----------------------------------------------------------------------

void frmMain::StartReplyTimer(int ms)
{
    timeout = false;
    Timer1->stop();
    Timer1->setInterval(ms);
    Timer1->start();
}

void frmMain::Timer1_Timer()
{
    // The timer keeps running: timeout stays true until the next start.
    timeout = true;
}

void frmMain::tcpPC_DataArrival(qint64)
{
    QByteArray bytes;
    tcpPC->GetData(bytes);
    // One arrival is one reply: nothing of it waits for the next one.
    const QString text = Portd::replyText(bytes);
    ShowMsg(kReplyPrefix + text);
    strNew = text;
    gotdata = true;
}

bool frmMain::replyWait()
{
    StartReplyTimer(kReplyTimeoutMs);
    if (!waitUntil([this] { return gotdata || timeout; }))
        return false;
    gotdata = false;
    return true;
}

bool frmMain::sendTwice(QString (*request)(int port))
{
    for (int i = 0; i < 2; ++i) {
        // A switch chosen during the gap has changed the selection by now.
        if (i > 0 && !wait(kRepeatGapMs))
            return false;
        const int port = combCommPort->currentIndex() + 1;
        if (port < 1)
            return false;
        tcpPC->SendData(request(port));
    }
    return true;
}

bool frmMain::dialogWait(Form *dialog)
{
    const QPointer<frmMain> main(instance());
    if (!main || !dialog->wait(kDialogPauseMs))
        return false;
    const auto mainGone = [&main] { return !main || main->isUnloaded(); };
    if (mainGone())
        return false;
    if (!dialog->waitUntil([&] { return mainGone() || main->timeout || main->gotdata; }))
        return false;
    if (mainGone())
        return false;
    main->gotdata = false;
    return true;
}

// --- Connect and Disconnect ---------------------------------------------------------

void frmMain::cmdConnect_Click()
{
    if (flgConnect)
        disconnectFromServer();
    else
        connectToServer();
}

void frmMain::setCommandControlsEnabled(bool enabled)
{
    for (QWidget *w : std::initializer_list<QWidget *>{cmdReboot, txtSend, cmdCommSet, cmdIPset,
                                                       cmdGatewayset, cmdMaskset, cmdMacset,
                                                       cmdState, cmdLedon, cmdLedoff})
        w->setEnabled(enabled);
}

void frmMain::connectToServer()
{
    // The button is disabled while a Connect runs; a click by code (the
    // reboot, an activation) must not start a second one on the same socket.
    if (m_connecting)
        return;
    const std::optional<quint16> controlPort = Portd::readControlPort(txtPort->text());
    if (!controlPort) {
        ShowMsg(portRefusedMessage(txtPort->text()));
        return;
    }
    const int link = ++m_link;
    m_connecting = true;

    cmdConnect->setEnabled(false);
    txtIP->setEnabled(false);
    txtPort->setEnabled(false);
    cmdSend->setEnabled(false);
    Disconnect->setText(QString());

    if (tcpPC->State() != Winsock::sckClosed)
        tcpPC->Close();
    tcpPC->RemoteHost = txtIP->text();
    tcpPC->RemotePort = *controlPort;
    gotdata = false;
    tcpPC->Connect();
    StartReplyTimer(kReplyTimeoutMs);
    if (!waitUntil([this] { return tcpPC->State() == Winsock::sckConnected || timeout; }))
        return;
    if (m_link != link)
        return;
    if (tcpPC->State() != Winsock::sckConnected) {
        connectFailed(false);
        return;
    }

    cmdConnect->setText(QStringLiteral("DisConn"));
    flgConnect = true;
    combCommPort->setEnabled(false);
    cmdCommTx->setEnabled(false);
    txtIP->setEnabled(false);
    txtPort->setEnabled(false);
    setCommandControlsEnabled(true);

    // The identity queries, one after another; a time-out ends the attempt.
    const auto query = [this, link](const QString &request, QLabel *into) {
        tcpPC->SendData(request);
        StartReplyTimer(kReplyTimeoutMs);
        if (!waitUntil([this] { return gotdata || timeout; }))
            return false;
        if (m_link != link)
            return false;
        if (timeout) {
            connectFailed(true);
            return false;
        }
        gotdata = false;
        into->setText(strNew);
        return true;
    };
    if (!query(Portd::requestModuleName(), lblServerInfo[0]))
        return;
    const Portd::ModuleName module = Portd::readModuleName(lblServerInfo[0]->text());
    // Why the count named was not used; said again once connected, where the
    // clearing of the pane on the way leaves it readable.
    QString countRefused;
    if (!module.hasCount) {
        ShowMsg(Portd::kModuleNameNotCorrect);
    } else if (module.portCount) {
        ComNo = *module.portCount;
        lblServerInfo[1]->setText(Portd::portsLabel(module.countText));
    } else {
        // The label tells the count in use, not the one refused.
        lblServerInfo[1]->setText(Portd::portsLabel(QString::number(ComNo)));
        countRefused = countRefusedMessage(ComNo);
        ShowMsg(countRefused);
    }
    if (!query(Portd::requestVersion(), lblServerInfo[2]))
        return;
    lblIP->setText(txtIP->text());
    if (!query(Portd::requestGateway(), lblGateway) || !query(Portd::requestMask(), lblMask)
        || !query(Portd::requestMac(), lblMAC) || !query(Portd::requestPortSettings(1), lblCommStatus))
        return;

    txtCommTx->clear();
    setReceiveBox(QString());
    const QString host = txtIP->text();
    for (int i = 0; i < ComNo; ++i) {
        m_buffers.clear(i);
        m_decoders[i].reset();
        Winsock *s = tcpComm[i];
        if (s->State() != Winsock::sckClosed)
            s->Close();
        s->RemoteHost = host;
        if (const std::optional<quint16> port = Portd::dataPort(*controlPort, i + 1)) {
            printLine(QString::number(*port));
            s->RemotePort = *port;
            s->Connect();
        } else {
            printLine(noDataPortMessage(i + 1));
        }
        combCommPort->addItem(QStringLiteral("Comm%1").arg(i + 1));
    }

    combCommPort->setCurrentIndex(0);
    const QPointer<frmMain> self(this);
    combCommPort_Click();
    if (!self || isUnloaded() || m_link != link)
        return;

    m_curPort = combCommPort->currentIndex();
    ClearMsg();
    ShowMsg(QStringLiteral("Server Connected!"));
    if (!countRefused.isEmpty())
        ShowMsg(countRefused);
    cmdCommTx->setEnabled(true);
    combCommPort->setEnabled(true);
    cmdSend->setEnabled(true);
    cmdConnect->setEnabled(true);
    m_connecting = false;
}

void frmMain::connectFailed(bool querying)
{
    tcpPC->Close();
    ClearMsg();
    ShowMsg(QStringLiteral("Connected Server Timeout!"));
    txtIP->setEnabled(true);
    txtPort->setEnabled(true);
    if (querying) {
        flgConnect = false;
        cmdConnect->setText(QStringLiteral("Connect"));
        setCommandControlsEnabled(false);
    }
    cmdConnect->setEnabled(true);
    m_connecting = false;
}

void frmMain::closeSockets()
{
    tcpPC->Close();
    // Every data socket, whatever the count was when they were opened.
    for (Winsock *s : tcpComm)
        s->Close();
}

void frmMain::disconnectFromServer()
{
    cmdConnect->setEnabled(false);
    txtIP->setEnabled(false);
    txtPort->setEnabled(false);
    cmdSend->setEnabled(false);
    Disconnect->setText(QString());

    flgConnect = false;
    // A Connect still waiting stops when it wakes.
    ++m_link;
    m_connecting = false;
    closeSockets();
    for (QLabel *l : lblServerInfo)
        l->setText(kUnconnected);
    combCommPort->clear();
    cmdConnect->setText(QStringLiteral("Connect"));
    txtIP->setEnabled(true);
    txtPort->setEnabled(true);
    cmdCommTx->setEnabled(false);
    cmdReboot->setEnabled(false);
    for (QLabel *l : {lblIP, lblGateway, lblMask, lblMAC, lblCommStatus})
        l->setText(kUnconnected);
    clearPane();
    printLine(kUnconnected);
    setCommandControlsEnabled(false);
    cmdConnect->setEnabled(true);
}

void frmMain::formActivate()
{
    // An address dialog changed the device's address: reconnect by hand.
    if (Disconnect->text() == kDisconnectFlag)
        cmdConnect_Click();
}

void frmMain::cmdState_Click()
{
    ShowNetState(tcpPC->State());
}

void frmMain::cmdEnd_Click()
{
    close();
}

void frmMain::Form_Unload()
{
    Timer1->stop();
    if (flgConnect)
        closeSockets();
}
