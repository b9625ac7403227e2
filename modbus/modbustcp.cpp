#include "modbus/modbustcp.h"

#include "app/dialogs.h"
#include "app/look.h"
#include "app/module1.h"
#include "app/tickcount.h"
#include "app/twips.h"
#include "app/windowbehaviour.h"
#include "modbus/linelist.h"
#include "modbus/modbushelp.h"
#include "modbus/modbustext.h"
#include "net/winsock.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <limits>

namespace {

const QString kLogFileName = QStringLiteral("DataLog.txt");

// The design's client area; the window is larger so that the controls placed
// beyond it (port, polling, log, statistics, byte labels) can be reached.
constexpr int kWindowWidth = 13200;  // twips
constexpr int kWindowHeight = 8640;  // twips
constexpr int kByteLabelWidth = 495; // twips
constexpr int kByteLabelHeight = 255;
constexpr int kByteLabelStep = 600;
// Fastest redrawing of the statistics boxes; a person reads no faster.
constexpr qint64 kCountsRefreshMs = 40;
// The function list's letters, in percent of the window face's width.
constexpr int kFunctionListWidthPercent = 90;

qint32 tickNow()
{
    return static_cast<qint32>(TickCount::now());
}

void setBox(QLineEdit *box, const QString &text)
{
    if (box->text() != text)
        box->setText(text);
}

} // namespace

ModbusTCP::ModbusTCP(QWidget *parent) : Form(parent)
{
    setWindowTitle(QStringLiteral("ModbusTCP Test"));
    setClientSizeTwips(kWindowWidth, kWindowHeight);
    buildControls();

    Winsock1 = new Winsock(this);
    Winsock1->setObjectName(QStringLiteral("Winsock1"));
    connect(Winsock1, &Winsock::ConnectEvent, this, &ModbusTCP::Winsock1_Connect);
    connect(Winsock1, &Winsock::DataArrival, this, &ModbusTCP::Winsock1_DataArrival);
    connect(Winsock1, &Winsock::CloseEvent, this, &ModbusTCP::Winsock1_Close);
    connect(Winsock1, &Winsock::Error, this, &ModbusTCP::Winsock1_Error);
    connect(Winsock1, &Winsock::StateChanged, this, &ModbusTCP::onSocketStateChanged);

    m_countsTimer = new QTimer(this);
    m_countsTimer->setSingleShot(true);
    m_countsTimer->setTimerType(Qt::PreciseTimer);
    connect(m_countsTimer, &QTimer::timeout, this, &ModbusTCP::writeCountBoxes);

    Timer1 = timer(QStringLiteral("Timer1"), m_timer1IntervalMs, &ModbusTCP::Timer1_Timer);

    connect(cmdConnect, &QPushButton::clicked, this, &ModbusTCP::cmdConnect_Click);
    connect(cmdClose, &QPushButton::clicked, this, &ModbusTCP::cmdClose_Click);
    connect(cmdSend, &QPushButton::clicked, this, &ModbusTCP::cmdSend_Click);
    // Return and Enter both come as key code 13.
    connect(txtString, &QLineEdit::returnPressed, this, [this] { txtString_KeyPress(13); });
    connect(CmdClearSend, &QPushButton::clicked, this, &ModbusTCP::CmdClearSend_Click);
    connect(CmdEXIT, &QPushButton::clicked, this, &ModbusTCP::CmdEXIT_Click);
    connect(cmdStartPolling, &QPushButton::clicked, this, &ModbusTCP::cmdStartPolling_Click);
    connect(cmdStopPolling, &QPushButton::clicked, this, &ModbusTCP::cmdStopPolling_Click);
    connect(cmdSetInterval, &QPushButton::clicked, this, &ModbusTCP::cmdSetInterval_Click);
    connect(cmdStartTimer, &QPushButton::clicked, this, &ModbusTCP::cmdStartTimer_Click);
    connect(cmdStopTimer, &QPushButton::clicked, this, &ModbusTCP::cmdStopTimer_Click);
    connect(cmdClearStatistic, &QPushButton::clicked, this, &ModbusTCP::cmdClearStatistic_Click);
    connect(chkDataLog, &QCheckBox::toggled, this, &ModbusTCP::chkDataLog_Click);
    connect(cboFunction, &QComboBox::activated, this, &ModbusTCP::cboFunction_Click);
    connect(cboFunction, &QComboBox::currentTextChanged, this, &ModbusTCP::cboFunction_Change);
    // A chosen item is shown from its start.
    connect(cboFunction, &QComboBox::currentIndexChanged, this,
            [this] { cboFunction->lineEdit()->setCursorPosition(0); });
}

ModbusTCP::~ModbusTCP()
{
    // No handler of ours may run while the controls go.
    Winsock1->disconnect(this);
}

void ModbusTCP::buildControls()
{
    auto text = [](const char *latin1) { return QString::fromLatin1(latin1); };
    auto box = [&](QLineEdit *&e, const char *name, const char *initial, int l, int t, int w) {
        e = textBox(text(name), text(initial), {l, t, w, 300});
    };
    auto statBox = [&](QLineEdit *&e, const char *name, const char *initial, int l, int t, int w) {
        box(e, name, initial, l, t, w);
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
        e->setStyleSheet(QStringLiteral("QLineEdit { background: #d4d0c8; }"));
    };
    // Enter belongs to the frame box: no button of this window is a default one.
    auto cmd = [&](QPushButton *&b, const char *name, const char *caption, int l, int t, int w) {
        b = button(text(name), text(caption), {l, t, w, 345});
    };
    auto caption = [&](const char *name, const char *shown, int l, int t, int w, int h) {
        return label(text(name), text(shown), {l, t, w, h});
    };
    auto group = [&](const char *name, const char *title, int l, int t, int w, int h) {
        frame(text(name), text(title), {l, t, w, h});
    };

    // Group frames first, so that the controls lie above them.
    group("fraServer", "Sever Setting", 240, 540, 4335, 975);
    group("fraSend", "Send ModbusTCP", 240, 1620, 4335, 1695);
    group("fraFunction", "Modbus function Description", 4800, 120, 4080, 2040);
    group("fraTimer", "Timer mode", 4800, 2280, 4080, 1020);
    group("fraPolling", "Polling mode", 9840, 660, 3120, 735);
    group("fraDataLog", "Data log", 9840, 1500, 3120, 675);
    group("fraStatistic", "Statistic", 9840, 2280, 3120, 4080);

    QLabel *title = caption("lblTitle", "MODBUSTCP TEST", 240, 60, 4335, 420);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(scaledFont(titleFont, 1.5));
    title->setStyleSheet(QStringLiteral("color: #0b2a5b;"));

    // Server
    caption("lblIPAddress", "IP Address", 360, 900, 1000, 255);
    box(ServeripText, "ServeripText", "192.9.40.100", 1380, 870, 1500);
    cmd(cmdConnect, "cmdConnect", "Connect", 3000, 720, 1455);
    cmd(cmdClose, "cmdClose", "Disconnect", 3000, 1095, 1455);
    caption("lblPort", "Port :", 9960, 240, 615, 255);
    box(ServerPortText, "ServerPortText", "502", 10620, 210, 855);

    // Frame
    box(txtString, "txtString", "10 20 00 00 00 06    21 04 00 00 00 40", 360, 1890, 3120);
    cmd(cmdSend, "cmdSend", "Send", 3600, 1875, 855);
    txtString->setCursorPosition(0);

    // Function explanations
    cboFunction = control<QComboBox>(QStringLiteral("cboFunction"));
    // Typing only looks an explanation up; it adds no item, and completes
    // nothing: a completed text would show another item's explanation.
    makeEditableAsTyped(cboFunction);
    cboFunction->setEditText(QStringLiteral("Modbus Function"));
    place(cboFunction, 4920, 390, 3840, 315);
    // The longest items fill the layout's field only in its narrower dialog
    // face: narrowed, the window's face shows every item whole.
    cboFunction->setFont(narrowedFont(font(), kFunctionListWidthPercent));
    txtExplanation = control<QPlainTextEdit>(QStringLiteral("txtExplanation"));
    txtExplanation->setLineWrapMode(QPlainTextEdit::NoWrap);
    place(txtExplanation, 4920, 780, 3840, 1260);

    // Timer mode
    caption("lblInterval", "Interval", 4920, 2580, 720, 255);
    box(txtInterval, "txtInterval", "100", 5670, 2550, 690);
    caption("lblMs", "ms", 6420, 2580, 300, 255);
    cmd(cmdSetInterval, "cmdSetInterval", "Set", 6780, 2535, 615);
    cmd(cmdStartTimer, "cmdStartTimer", "Start send", 4920, 2910, 1335);
    cmd(cmdStopTimer, "cmdStopTimer", "Stop send", 6360, 2910, 1335);

    // Lists
    box(Text1, "Text1", "Send Data", 240, 3420, 4335);
    box(Text2, "Text2", "Receive Data", 4800, 3420, 4080);
    for (QLineEdit *heading : {Text1, Text2}) {
        heading->setReadOnly(true);
        heading->setFocusPolicy(Qt::NoFocus);
    }
    lstSend = control<LineList>(QStringLiteral("lstSend"));
    place(lstSend, 240, 3720, 4335, 1545);
    lstReceive = control<LineList>(QStringLiteral("lstReceive"));
    place(lstReceive, 4800, 3720, 4080, 1545);
    cmd(CmdClearSend, "CmdClearSend", "Clear Receive", 240, 5355, 1455);
    cmd(CmdEXIT, "CmdEXIT", "Exit", 7425, 5355, 1455);
    setCancelButton(CmdEXIT);

    // Polling and data log
    cmd(cmdStartPolling, "cmdStartPolling", "Start", 9960, 930, 1335);
    cmd(cmdStopPolling, "cmdStopPolling", "Stop", 11460, 930, 1335);
    chkDataLog = control<QCheckBox>(QStringLiteral("chkDataLog"));
    chkDataLog->setText(QStringLiteral("Save data log to \"DataLog.txt\" "));
    place(chkDataLog, 9960, 1770, 2880, 300);

    // Statistics
    caption("lblByte", "Byte", 10980, 2520, 915, 255);
    caption("lblPacket", "Packet", 11940, 2520, 915, 255);
    caption("lblSend", "Send", 9960, 2850, 990, 255);
    statBox(txtSendByte, "txtSendByte", "0", 10980, 2820, 915);
    statBox(txtSendPacket, "txtSendPacket", "0", 11940, 2820, 915);
    caption("lblReceive", "Receive", 9960, 3210, 990, 255);
    statBox(txtReceiveByte, "txtReceiveByte", "0", 10980, 3180, 915);
    statBox(txtReceivePacket, "txtReceivePacket", "0", 11940, 3180, 915);
    caption("lblDifference", "Difference", 9960, 3570, 990, 255);
    statBox(txtDiffPercent, "txtDiffPercent", "0.00 %", 10980, 3540, 915);
    statBox(txtDiffPacket, "txtDiffPacket", "0", 11940, 3540, 915);
    caption("lblStartTime", "Start time", 9960, 3990, 990, 255);
    statBox(txtStartTime, "txtStartTime", "Start Time", 10980, 3960, 1875);
    caption("lblStopTime", "Stop time", 9960, 4350, 990, 255);
    statBox(txtStopTime, "txtStopTime", "Stop Time", 10980, 4320, 1875);
    caption("lblMax", "Max", 9960, 4770, 990, 255);
    statBox(txtTimeMax, "txtTimeMax", "000", 10980, 4740, 915);
    caption("lblMin", "Min", 9960, 5130, 990, 255);
    statBox(txtTimeMin, "txtTimeMin", "000", 10980, 5100, 915);
    caption("lblAverage", "Average", 9960, 5490, 990, 255);
    statBox(txtTimeAverage, "txtTimeAverage", "000", 10980, 5460, 915);
    cmd(cmdClearStatistic, "cmdClearStatistic", "Clear", 10980, 5880, 1335);

    // Byte labels: the header row, then the request's and the response's PDU.
    controlArray(lbTCPHead, QStringLiteral("lbTCPHead"));
    controlArray(lbCommand, QStringLiteral("lbCommand"));
    controlArray(lbResponse, QStringLiteral("lbResponse"));
    // The largest font, up to 7 points, in which a caption fits its small box.
    QFont byteFont = font();
    for (qreal points = 7; points > 4; points -= 0.5) {
        byteFont.setPointSizeF(points);
        if (QFontMetrics(byteFont).horizontalAdvance(QStringLiteral("[Byte0]")) + 4
            <= twips(kByteLabelWidth))
            break;
    }
    auto byteLabel = [&byteFont](QLabel *lb, int i, int left, int top) {
        lb->setText(QStringLiteral("[Byte%1]").arg(i));
        lb->setAlignment(Qt::AlignCenter);
        lb->setFrameShape(QFrame::Box);
        lb->setMargin(0);
        lb->setFont(byteFont);
        place(lb, left + i * kByteLabelStep, top, kByteLabelWidth, kByteLabelHeight);
    };
    for (int i = 0; i < ModbusHelp::kHeaderBytes; ++i) {
        byteLabel(lbTCPHead[i], i, 240, 7440);
        lbTCPHead[i]->setToolTip(ModbusHelp::headerTip(i));
    }
    for (int i = 0; i < ModbusHelp::kPduLabels; ++i) {
        byteLabel(lbCommand[i], i, 240, 7920);
        byteLabel(lbResponse[i], i, 5040, 7920);
    }
    lbTCPHead[6]->setText(ModbusHelp::netIdNote());
    lbTCPHead[6]->setWordWrap(true);
    lbTCPHead[6]->setStyleSheet(QStringLiteral("color: #800000;"));
    place(lbTCPHead[6], 360, 2265, 4095, 645);
    lbTCPHead[7]->setText(ModbusHelp::netIdExample());
    lbTCPHead[7]->setWordWrap(true);
    place(lbTCPHead[7], 360, 2910, 4095, 390);
    for (QLabel *note : {lbTCPHead[6], lbTCPHead[7]}) {
        note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        QFont f = note->font();
        f.setPointSizeF(7);
        note->setFont(f);
    }
}

void ModbusTCP::formLoad()
{
    setWindowTitle(QStringLiteral("ModbusTCP test"));
    cmdConnect->setEnabled(true);
    cmdClose->setEnabled(false);
    cmdSend->setEnabled(false);
    cmdStartPolling->setEnabled(false);
    cmdStopPolling->setEnabled(false);
    cboFunction->addItems(ModbusHelp::functionItems());
    cboFunction->setCurrentIndex(0);
    cboFunction_Change();
    SetFrameByteTips(1);
}

void ModbusTCP::cmdConnect_Click()
{
    Winsock1->RemoteHost = ServeripText->text();
    const auto port = ModbusText::wholeNumber(ServerPortText->text(),
                                              std::numeric_limits<qint32>::min(),
                                              std::numeric_limits<qint32>::max());
    // A connection that cannot even be started is not reported; it ends the logging.
    if (!port) {
        DataLogOn = false;
        return;
    }
    Winsock1->RemotePort = static_cast<qint32>(*port);
    if (!Winsock1->Connect())
        DataLogOn = false;
}

void ModbusTCP::Winsock1_Connect()
{
    if (Winsock1->State() != Winsock::sckConnected)
        return;
    cmdConnect->setEnabled(false);
    cmdSend->setEnabled(true);
    cmdStartPolling->setEnabled(true);
    cmdClose->setEnabled(true);
    cmdStartTimer->setEnabled(true);
    cmdClearStatistic_Click();
}

void ModbusTCP::cmdSend_Click()
{
    if (Winsock1->State() != Winsock::sckConnected) {
        msgBox(this, QStringLiteral("Not currently connected"));
        return;
    }
    // Polling sends the same text again and again: parse it once.
    const QString text = txtString->text();
    if (text != m_frameText || m_frame.bytes.isEmpty()) {
        m_frameText = text;
        m_frame = ModbusText::parseFrame(text);
        m_frameLine = m_frame.ok() ? ModbusText::sendLine(m_frame.bytes) : QString();
    }
    if (!m_frame.ok()) {
        msgBox(this, m_frame.error, QMessageBox::Ok, QMessageBox::Warning);
        return;
    }
    // Copies: a send inside the yield below may parse another text.
    const QByteArray frame = m_frame.bytes;
    const QString line = m_frameLine;
    m_counters.countSent(frame.size());
    showCounts();
    SetFrameByteTips(static_cast<quint8>(frame.at(7)));
    lstSend->addItem(line);
    lstSend->setCurrentRow(lstSend->count() - 1);
    if (Polling)
        Module1::SendTick = tickNow();
    Winsock1->SendData(frame);
    // Logged before the yield: the reply may be handled inside it, and its
    // line must follow the request's.
    if (DataLogOn && !writeLog(ModbusText::sendLogLine(ModbusText::now(), line)))
        return;
    wait(0);
}

void ModbusTCP::txtString_KeyPress(int KeyAscii)
{
    if (KeyAscii == 13)
        cmdSend_Click();
}

void ModbusTCP::Winsock1_DataArrival(qint64)
{
    if (Polling) {
        Module1::ReplyTick = tickNow();
        const qint32 roundTrip = RoundTrip::elapsed(Module1::SendTick, Module1::ReplyTick);
        const RoundTrip::Change change =
            RoundTrip::record(roundTrip, Module1::MinTime, Module1::MaxTime);
        if (change.max)
            setBox(txtTimeMax, QString::number(Module1::MaxTime));
        if (change.min)
            setBox(txtTimeMin, QString::number(Module1::MinTime));
    }
    QByteArray data;
    Winsock1->GetData(data);
    ModbusText::forEachReceiveLine(data, [this](QLatin1StringView line) { lstReceive->addItem(line); });
    if (DataLogOn
        && !writeLog(ModbusText::receiveLogLine(lstReceive->text(lstReceive->count() - 1))))
        return;
    m_counters.countReceived(data.size());
    showCounts();
    lstReceive->setCurrentRow(lstReceive->count() - 1);

    if (!wait(0))
        return;
    if (Polling)
        cmdSend_Click();
}

void ModbusTCP::Winsock1_Close()
{
    // Told once the connection is closed on this side as well (Disconnect or Exit).
    m_closeReportPending = true;
    onSocketStateChanged(Winsock1->State());
}

void ModbusTCP::onSocketStateChanged(int state)
{
    if (!m_closeReportPending || state == Winsock::sckClosing)
        return;
    m_closeReportPending = false;
    // After the handler that closed the socket has done all its steps.
    QTimer::singleShot(0, this, [this] { msgBox(this, QStringLiteral("Connection is closed.")); });
}

void ModbusTCP::Winsock1_Error(int, const QString &description)
{
    if (Winsock1->State() != Winsock::sckConnected)
        msgBox(this, description);
}

void ModbusTCP::cmdClose_Click()
{
    m_timer1Enabled = false;
    applyTimer1();
    cmdConnect->setEnabled(true);
    cmdClose->setEnabled(false);
    cmdSend->setEnabled(false);
    cmdStartPolling->setEnabled(false);
    cmdStopPolling->setEnabled(false);
    cmdStartTimer->setEnabled(false);
    cmdStopTimer->setEnabled(false);
    Winsock1->Close();
    if (chkDataLog->isChecked())
        chkDataLog->setChecked(false);
}

void ModbusTCP::CmdClearSend_Click()
{
    lstReceive->clear();
    lstSend->clear();
}

void ModbusTCP::CmdEXIT_Click()
{
    Winsock1->Close();
    close();
}

void ModbusTCP::cmdStartPolling_Click()
{
    Module1::PollStartTick = tickNow();
    Polling = true;
    resetRoundTrips();
    cmdStartPolling->setEnabled(false);
    cmdStopPolling->setEnabled(true);
    setBox(txtStartTime, ModbusText::dateTimeText(ModbusText::now()));
    cmdSend_Click();
}

void ModbusTCP::cmdStopPolling_Click()
{
    Polling = false;
    const qint32 elapsed = RoundTrip::elapsed(Module1::PollStartTick, tickNow());
    writeCountBoxes();
    setBox(txtTimeAverage,
           ModbusText::averageText(elapsed, txtReceivePacket->text().trimmed().toDouble()));
    setBox(txtStopTime, ModbusText::dateTimeText(ModbusText::now()));
    cmdStartPolling->setEnabled(true);
    cmdStopPolling->setEnabled(false);
}

void ModbusTCP::cmdSetInterval_Click()
{
    const auto ms = ModbusText::intervalMs(txtInterval->text());
    if (!ms) {
        msgBox(this, ModbusText::intervalError(txtInterval->text()), QMessageBox::Ok,
               QMessageBox::Warning);
        return;
    }
    m_timer1IntervalMs = *ms;
    applyTimer1();
}

void ModbusTCP::applyTimer1()
{
    Timer1->setInterval(m_timer1IntervalMs);
    // An interval of 0 stops the ticks while the timer stays switched on.
    if (m_timer1Enabled && m_timer1IntervalMs > 0)
        Timer1->start();
    else
        Timer1->stop();
}

void ModbusTCP::cmdStartTimer_Click()
{
    if (Winsock1->State() != Winsock::sckConnected)
        return;
    m_timer1Enabled = true;
    applyTimer1();
    cmdStartTimer->setEnabled(false);
    cmdStopTimer->setEnabled(true);
    setBox(txtStartTime, ModbusText::timeOfDayText(ModbusText::now().time()));
    setBox(txtStopTime, QStringLiteral("Stop Time"));
}

void ModbusTCP::cmdStopTimer_Click()
{
    m_timer1Enabled = false;
    applyTimer1();
    cmdStartTimer->setEnabled(true);
    cmdStopTimer->setEnabled(false);
    setBox(txtStopTime, ModbusText::timeOfDayText(ModbusText::now().time()));
}

void ModbusTCP::Timer1_Timer()
{
    cmdSend_Click();
}

void ModbusTCP::cmdClearStatistic_Click()
{
    m_counters.clear();
    writeCountBoxes();
    resetRoundTrips();
}

void ModbusTCP::resetRoundTrips()
{
    Module1::MaxTime = RoundTrip::kMaxTimeReset;
    Module1::MinTime = RoundTrip::kMinTimeReset;
    setBox(txtTimeMax, QString::number(Module1::MaxTime));
    setBox(txtTimeMin, QString::number(Module1::MinTime));
}

void ModbusTCP::showCounts()
{
    // Polling changes the counters thousands of times a second; the boxes are
    // redrawn at most every kCountsRefreshMs, always ending on the last values.
    if (!m_countsShownAt.isValid() || m_countsShownAt.elapsed() >= kCountsRefreshMs) {
        writeCountBoxes();
        return;
    }
    if (!m_countsTimer->isActive())
        m_countsTimer->start(static_cast<int>(kCountsRefreshMs - m_countsShownAt.elapsed()));
}

void ModbusTCP::writeCountBoxes()
{
    m_countsTimer->stop();
    m_countsShownAt.start();
    setBox(txtSendByte, QString::number(m_counters.sendBytes));
    setBox(txtSendPacket, QString::number(m_counters.sendPackets));
    setBox(txtReceiveByte, QString::number(m_counters.recvBytes));
    setBox(txtReceivePacket, QString::number(m_counters.recvPackets));
    setBox(txtDiffPacket, QString::number(m_counters.diffPackets()));
    setBox(txtDiffPercent,
           ModbusText::diffPercentText(m_counters.sendPackets, m_counters.recvPackets));
}

void ModbusTCP::chkDataLog_Click(bool ticked)
{
    if (!ticked) {
        m_log.close();
        DataLogOn = false;
        return;
    }
    if (!m_log.open(kLogFileName)) {
        const QString reason = m_log.errorString();
        chkDataLog->setChecked(false);
        msgBox(this, QStringLiteral("%1 cannot be written: %2").arg(kLogFileName, reason),
               QMessageBox::Ok, QMessageBox::Warning);
        return;
    }
    DataLogOn = true;
}

bool ModbusTCP::writeLog(const QString &line)
{
    if (!m_log.isOpen() || m_log.writeLine(line))
        return true;
    // Said once: the log stops before the box shows, so that frames that come
    // meanwhile ask nothing more. What was written stays in the file.
    const QString reason = m_log.errorString();
    DataLogOn = false;
    m_log.close();
    chkDataLog->setChecked(false);
    const QPointer<ModbusTCP> self(this);
    msgBox(this,
           QStringLiteral("%1 cannot be written: %2. The data log is closed; the lines "
                          "written before stay in it.")
               .arg(kLogFileName, reason),
           QMessageBox::Ok, QMessageBox::Warning);
    return stillOpen(self);
}

void ModbusTCP::cboFunction_Click()
{
    cboFunction_Change();
}

void ModbusTCP::cboFunction_Change()
{
    if (const auto item = ModbusHelp::itemForText(cboFunction->currentText()))
        txtExplanation->setPlainText(ModbusHelp::explanation(*item));
}

void ModbusTCP::SetFrameByteTips(int functionCode)
{
    // Every frame of a poll has the same code: the labels are right already.
    if (functionCode == m_lastTipsCode)
        return;
    m_lastTipsCode = functionCode;
    const ModbusHelp::ByteTips tips = ModbusHelp::byteTips(functionCode);
    for (int i = 0; i < ModbusHelp::kPduLabels; ++i) {
        if (tips.command[i])
            lbCommand[i]->setToolTip(*tips.command[i]);
        lbCommand[i]->setVisible(tips.commandVisible[i]);
        if (tips.response[i])
            lbResponse[i]->setToolTip(*tips.response[i]);
        lbResponse[i]->setVisible(tips.responseVisible[i]);
    }
}
