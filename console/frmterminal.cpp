#include "console/frmterminal.h"

#include "app/dialogs.h"
#include "app/launcherstate.h"
#include "app/look.h"
#include "app/module1.h"
#include "app/settings.h"
#include "app/twips.h"
#include "app/windows.h"
#include "console/controls.h"
#include "console/menuscreen.h"
#include "console/mscomm.h"
#include "console/terminallogic.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

constexpr int kTimer1Ms = 1000; // connect clock
constexpr int kTimer2Ms = 2000; // how long a status text stays
constexpr int kPromptWaitMs = 1000;
constexpr int kBeforeMenuMs = 100;
constexpr int kMenuScreenWaitMs = 800;

// Heights of the kinds of control whose height the layout leaves out (twips).
constexpr int kLabelHeight = 255;
constexpr int kComboHeight = 315;
// Where the state holders lie: below the visible design area.
constexpr int kHiddenTop = 5040;

const QString kToggleTip = QStringLiteral("切換通訊埠");

QPixmap picture(const QString &name)
{
    return QPixmap(QStringLiteral(":/console/%1.svg").arg(name));
}

} // namespace

frmTerminal::frmTerminal(QWidget *parent) : Form(parent)
{
    setWindowTitle(QStringLiteral("Configuration by RS232"));

    MSComm1 = new MSComm(this);
    MSComm1->setObjectName(QStringLiteral("MSComm1"));
    connect(MSComm1, &MSComm::OnComm, this, [this] { MSComm1_OnComm(); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kTimer1Ms);
    connect(Timer1, &QTimer::timeout, this, &frmTerminal::Timer1_Timer);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(kTimer2Ms);
    connect(Timer2, &QTimer::timeout, this, &frmTerminal::Timer2_Timer);

    connect(&m_console, &ConsoleGuard::finished, this, [this] {
        if (m_exitPending)
            QTimer::singleShot(0, this, [this] { CmdEXIT_Click(); });
        else if (m_closePending)
            QTimer::singleShot(0, this, [this] { close(); });
    });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    buildToolBar();
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("designArea"));
    m_client->setFixedHeight(twips(kDesignHeight));
    m_client->setMinimumWidth(0);
    buildConfigurationPart();
    buildTerminalPane();
    buildStatusBar();
    layout->addWidget(tbrToolBar);
    layout->addWidget(m_client);
    layout->addWidget(sbrStatus);

    resize(twips(kWideWidth), layout->sizeHint().height());
    wireConsoleOperations();
}

frmTerminal::~frmTerminal() = default;

void frmTerminal::buildToolBar()
{
    tbrToolBar = new QToolBar(this);
    tbrToolBar->setObjectName(QStringLiteral("tbrToolBar"));
    tbrToolBar->setIconSize(QSize(16, 16));
    tbrToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    tbrToolBar->setMinimumWidth(0);

    // Each button's first text is its tool tip, its second (where it has
    // one) the longer description in the status tip.
    auto button = [this](const char *key, const char *icon, const QString &tip,
                         const QString &description) {
        QAction *a = tbrToolBar->addAction(QIcon(picture(QString::fromLatin1(icon))), tip);
        a->setObjectName(QString::fromLatin1(key));
        a->setToolTip(tip);
        a->setStatusTip(description);
        connect(a, &QAction::triggered, this, [this, a] { tbrToolBar_ButtonClick(a); });
        return a;
    };
    OpenLogFile = button("OpenLogFile", "openlog", QStringLiteral("開啟記錄檔..."),
                         QStringLiteral("開啟記錄檔..."));
    CloseLogFile = button("CloseLogFile", "closelog", QStringLiteral("關閉記錄檔"),
                          QStringLiteral("關閉記錄檔"));
    tbrToolBar->addSeparator();
    DialPhoneNumber = button("DialPhoneNumber", "dial", QStringLiteral("撥接電話號碼..."),
                             QStringLiteral("撥號..."));
    HangUpPhone = button("HangUpPhone", "hangup", QStringLiteral("掛斷電話"),
                         QStringLiteral("掛斷電話"));
    tbrToolBar->addSeparator();
    Properties = button("Properties", "properties", QStringLiteral("屬性..."),
                        QStringLiteral("屬性..."));
    TransmitTextFile = button("TransmitTextFile", "transmit", QStringLiteral("傳送文字檔..."),
                              QStringLiteral("傳送文字檔..."));
    // No log is open and the port is closed at first.
    CloseLogFile->setEnabled(false);
    HangUpPhone->setEnabled(false);
    TransmitTextFile->setEnabled(false);

    // The two connection pictures lie on top of each other at the right end;
    // the one in front shows the port's state.
    auto *spacer = new QWidget(tbrToolBar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    tbrToolBar->addWidget(spacer);
    m_pictures = new QWidget(tbrToolBar);
    m_pictures->setFixedSize(24, 24);
    auto makePicture = [this](const char *name, const char *icon) {
        auto *p = new PictureBox(m_pictures);
        p->setObjectName(QString::fromLatin1(name));
        p->setGeometry(0, 0, 24, 24);
        p->setAlignment(Qt::AlignCenter);
        p->setPixmap(picture(QString::fromLatin1(icon)));
        p->setToolTip(kToggleTip);
        p->setCursor(Qt::PointingHandCursor);
        connect(p, &PictureBox::clicked, this, &frmTerminal::TogglePort);
        return p;
    };
    imgConnected = makePicture("imgConnected", "connected");
    imgNotConnected = makePicture("imgNotConnected", "notconnected");
    tbrToolBar->addWidget(m_pictures);
}

void frmTerminal::buildStatusBar()
{
    sbrStatus = new QStatusBar(this);
    sbrStatus->setObjectName(QStringLiteral("sbrStatus"));
    sbrStatus->setSizeGripEnabled(false);
    sbrStatus->setMinimumWidth(0);
    auto panel = [this](const char *key, const QString &text, const QString &tip, int stretch) {
        auto *l = new QLabel(text, sbrStatus);
        l->setObjectName(QString::fromLatin1(key));
        l->setToolTip(tip);
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        l->setMinimumWidth(0);
        sbrStatus->addPermanentWidget(l, stretch);
        return l;
    };
    StatusPanel = panel("Status", QStringLiteral("狀態:"), QStringLiteral("通訊連接埠狀態"), 3);
    SettingsPanel = panel("Settings", QStringLiteral("設定:"), QStringLiteral("通訊連接埠設定"), 3);
    ConnectTimePanel = panel("ConnectTime", QString(), QStringLiteral("連線時間"), 1);
}

void frmTerminal::buildConfigurationPart()
{
    auto label = [this](QLabel *&l, const char *name, const QString &text, int left, int top,
                        int width, int height = kLabelHeight) {
        l = control<QLabel>(QString::fromLatin1(name), m_client);
        l->setText(text);
        place(l, left, top, width, height);
    };
    auto button = [this](QPushButton *&b, const char *name, const QString &text, int left,
                         int top, int width, int height) {
        b = control<QPushButton>(QString::fromLatin1(name), m_client);
        b->setText(text);
        place(b, left, top, width, height);
        applyButtonFace(b);
    };
    auto combo = [this](QComboBox *&c, const char *name, int left, int top, int width) {
        c = control<QComboBox>(QString::fromLatin1(name), m_client);
        place(c, left, top, width, kComboHeight);
    };

    label(Label9, "Label9",
          QStringLiteral("NOTE! If you don't see any mseeage in terminal window, maybe you forget "
                         "to touch *INIT to GND, and please try it!...."),
          120, 120, 5775, 495);
    Label9->setWordWrap(true);
    Label9->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label(Label10, "Label10", QStringLiteral("Label10"), 120, 480, 615, kLabelHeight);

    controlArray(Label6, QStringLiteral("Label6"), m_client);
    const QString headings[] = {QStringLiteral("PC============="),
                                QStringLiteral("4630K============="),
                                QStringLiteral("Recommand==============")};
    const int headingLeft[] = {840, 2280, 3840};
    const int headingWidth[] = {1335, 1335, 1935};
    for (size_t i = 0; i < 3; ++i) {
        Label6[i]->setText(headings[i]);
        place(Label6[i], headingLeft[i], 720, headingWidth[i], kLabelHeight);
    }

    controlArray(Label1, QStringLiteral("Label1"), m_client);
    controlArray(Label5, QStringLiteral("Label5"), m_client);
    const QString rowCaptions[] = {QStringLiteral("IP:"), QStringLiteral("Mask:"),
                                   QStringLiteral("Gateway:")};
    const int rowTop[] = {960, 1320, 1680};
    QLabel **pcLabels[] = {&lblPCIP, &lblPCMask, &lblPCGateway};
    const char *pcNames[] = {"lblPCIP", "lblPCMask", "lblPCGateway"};
    const QString pcCaptions[] = {QStringLiteral("PC's IP"), QStringLiteral("PC's Mask"),
                                  QStringLiteral("PC's Gateway")};
    QLineEdit **allBoxes[] = {&txtALLIP, &txtALLMask, &txtALLGateway};
    const char *allNames[] = {"txtALLIP", "txtALLMask", "txtALLGateway"};
    std::array<QLineEdit *, 4> *octets[] = {&txtIP, &txtMask, &txtGateway};
    const QString octetNames[] = {QStringLiteral("txtIP"), QStringLiteral("txtMask"),
                                  QStringLiteral("txtGateway")};
    QPushButton **setButtons[] = {&cmdSetIP, &cmdSetMask, &cmdSetGateway};
    const char *setNames[] = {"cmdSetIP", "cmdSetMask", "cmdSetGateway"};
    const int octetLeft[] = {3840, 4200, 4560, 4920};
    for (size_t r = 0; r < 3; ++r) {
        const int top = rowTop[r];
        Label1[r]->setText(rowCaptions[r]);
        place(Label1[r], 120, top, 735, kLabelHeight);
        label(*pcLabels[r], pcNames[r], pcCaptions[r], 840, top, 1335);
        *allBoxes[r] = control<QLineEdit>(QString::fromLatin1(allNames[r]), m_client);
        place(*allBoxes[r], 2280, top, 1335, 270);
        Label5[r]->setText(QStringLiteral("->"));
        place(Label5[r], 3600, top, 255, kLabelHeight);
        controlArray(*octets[r], octetNames[r], m_client);
        for (size_t i = 0; i < 4; ++i)
            place((*octets[r])[i], octetLeft[i], top, 375, 270);
        button(*setButtons[r], setNames[r], QStringLiteral("Set"), 5400, top, 495, 255);
    }

    label(lblModel, "lblModel", QString(), 240, 2160, 735);
    combo(cmbComSet, "cmbComSet", 1080, 2160, 855);
    cmbComSet->setPlaceholderText(QStringLiteral("Com"));
    // A choice by the user, also of the entry already chosen (it shows that
    // port's values afresh); the program's own choices go through SelectComSet.
    connect(cmbComSet, &QComboBox::activated, this, [this] { cmbComSet_Click(); });
    label(Label8, "Label8", QStringLiteral("'s setting"), 2040, 2280, 1215);

    controlArray(Label7, QStringLiteral("Label7"), m_client);
    const QString settingCaptions[] = {QStringLiteral("Baudrate:"), QStringLiteral("Databit:"),
                                       QStringLiteral("Parity:"), QStringLiteral("Stopbit:"),
                                       QStringLiteral("Modbus:")};
    for (size_t i = 0; i < 5; ++i) {
        Label7[i]->setText(settingCaptions[i]);
        place(Label7[i], 240, 2640 + 360 * static_cast<int>(i), 735, kLabelHeight);
    }
    combo(cmbBaudrate, "cmbBaudrate", 960, 2640, 975);
    combo(cmbDatabit, "cmbDatabit", 960, 3000, 495);
    combo(cmbParity, "cmbParity", 960, 3360, 735);
    combo(cmbStopbit, "cmbStopbit", 960, 3720, 495);
    combo(cmbModbus, "cmbModbus", 960, 4080, 975);
    cmbModbus->setPlaceholderText(QStringLiteral("Disable"));
    cmbModbus->setEnabled(false);
    button(cmdBaudrateSet, "cmdBaudrateSet", QStringLiteral("Set"), 2040, 2640, 975, 255);
    button(cmdDatabitSet, "cmdDatabitSet", QStringLiteral("Set"), 1560, 3000, 1455, 255);
    button(cmdParitySet, "cmdParitySet", QStringLiteral("Set"), 1800, 3360, 1215, 255);
    button(cmdStopbitSet, "cmdStopbitSet", QStringLiteral("Set"), 1560, 3720, 1455, 255);
    button(cmdModbusSet, "cmdModbusSet", QStringLiteral("Set"), 2040, 4080, 975, 255);
    cmdModbusSet->setEnabled(false);

    // The Modbus panel's frame, drawn first so that it lies behind the panel's
    // contents and lets clicks through to them.
    auto shape = [this](QFrame *&f, const QString &name, QFrame::Shape kind, int left, int top,
                        int width, int height) {
        f = control<QFrame>(name, m_client);
        f->setFrameShape(kind);
        f->setFrameShadow(QFrame::Plain);
        f->setStyleSheet(QStringLiteral("color: #3d6fa8;"));
        f->setAttribute(Qt::WA_TransparentForMouseEvents);
        place(f, left, top, width, height);
        f->hide();
    };
    shape(shape1, QStringLiteral("shape1"), QFrame::Box, 3360, 2040, 2520, 2400);
    shape(shape2, QStringLiteral("shape2"), QFrame::Box, 3420, 2100, 1560, 300);
    shape(Shape3, QStringLiteral("Shape3"), QFrame::Box, 3420, 2460, 780, 1920);
    // Double rules: under the heading, beside and under the indicators.
    struct Rule
    {
        QFrame::Shape kind;
        int left, top, width, height;
    };
    const Rule rules[] = {{QFrame::HLine, 3360, 2415, 2520, 15}, {QFrame::HLine, 3360, 2445, 2520, 15},
                          {QFrame::VLine, 4230, 2460, 15, 1980}, {QFrame::VLine, 4260, 2460, 15, 1980},
                          {QFrame::HLine, 3360, 4380, 870, 15},  {QFrame::HLine, 3360, 4410, 870, 15}};
    for (size_t i = 0; i < ModbusLine.size(); ++i) {
        const Rule &r = rules[i];
        shape(ModbusLine[i], QStringLiteral("ModbusLine(%1)").arg(i), r.kind, r.left, r.top,
              r.width, r.height);
    }

    label(Label11, "Label11", QStringLiteral("Modbus status:"), 3480, 2160, 1455);
    Label11->hide();
    controlArray(lblModBus, QStringLiteral("lblModBus"), m_client);
    controlArray(imgModBus, QStringLiteral("imgModBus"), m_client);
    for (size_t i = 0; i < 8; ++i) {
        const int top = 2520 + 240 * static_cast<int>(i);
        lblModBus[i]->setText(QStringLiteral("COM%1:").arg(i + 1));
        place(lblModBus[i], 3480, top, 495, 195);
        lblModBus[i]->hide();
        imgModBus[i]->setScaledContents(true);
        place(imgModBus[i], 3960, top, 135, 135);
        imgModBus[i]->hide();
    }

    button(cmdTerminal, "cmdTerminal", QStringLiteral("Terminal window"), 4440, 2640, 1455, 375);
    button(cmdReboot4630K, "cmdReboot4630K", QStringLiteral("Reboot 4630K"), 4440, 3120, 1455, 375);
    button(Command2, "Command2", QStringLiteral("Restore default"), 4440, 3600, 1455, 375);
    button(CmdEXIT, "CmdEXIT", QStringLiteral("EXIT"), 4440, 4080, 1455, 375);

    // State holders: below the visible area, never seen.
    int hiddenTop = kHiddenTop;
    auto holder = [&](QLabel *&l, const char *name, const QString &text) {
        label(l, name, text, 120, hiddenTop, 1935);
        hiddenTop += kLabelHeight;
    };
    holder(Label2, "Label2", QStringLiteral("Send IP setting"));
    holder(Label3, "Label3", QStringLiteral("Send Mask setting"));
    holder(Label4, "Label4", QStringLiteral("Send Gateway setting"));
    holder(lblAllBaudrate, "lblAllBaudrate", QStringLiteral("AllBaudrate"));
    holder(lblAllDatabit, "lblAllDatabit", QStringLiteral("AllDatabit"));
    holder(lblAllParity, "lblAllParity", QStringLiteral("AllParity"));
    holder(lblAllStopbit, "lblAllStopbit", QStringLiteral("AllStopbit"));
    holder(lblBaudrate, "lblBaudrate", QStringLiteral("baudrate"));
    holder(lblDatabit, "lblDatabit", QStringLiteral("databit"));
    holder(lblParity, "lblParity", QStringLiteral("parity"));
    holder(lblStopbit, "lblStopbit", QStringLiteral("stopbit"));
    holder(lblAllModbusSet, "lblAllModbusSet", QStringLiteral("AllModbusSet"));
    controlArray(lblDataformat, QStringLiteral("lblDataformat"), m_client);
    for (QLabel *l : lblDataformat) {
        place(l, 120, hiddenTop, 255, kLabelHeight);
        hiddenTop += kLabelHeight;
    }
    holder(lblSendIP, "lblSendIP", QStringLiteral("IP total"));
    holder(lblIPstatus, "lblIPstatus", QStringLiteral("status"));
    holder(lblSendMask, "lblSendMask", QStringLiteral("IP total"));
    holder(lblMaskstatus, "lblMaskstatus", QStringLiteral("status"));
    holder(lblSendGateway, "lblSendGateway", QStringLiteral("IP total"));
    holder(lblGatewaystatus, "lblGatewaystatus", QStringLiteral("status"));

    // 22 x 22 pixels each.
    label(imgRed, "imgRed", QString(), 2160, kHiddenTop, 330, 330);
    imgRed->setPixmap(picture(QStringLiteral("red")));
    label(imgGray, "imgGray", QString(), 2640, kHiddenTop, 330, 330);
    imgGray->setPixmap(picture(QStringLiteral("gray")));
}

void frmTerminal::buildTerminalPane()
{
    txtTerm = control<TerminalBox>(QStringLiteral("txtTerm"), m_client);
    place(txtTerm, 6000, 120, 5415, 4410);
    txtTerm->setKeyPressHandler([this](int &key) { txtTerm_KeyPress(key); });

    auto button = [this](QPushButton *&b, const char *name, const QString &text, int top) {
        b = control<QPushButton>(QString::fromLatin1(name), m_client);
        b->setText(text);
        place(b, 9600, top, 1455, 255);
        applyButtonFace(b);
        b->raise(); // they lie on the terminal box
    };
    button(cmdNvconf, "cmdNvconf", QStringLiteral("Nvconf"), 2880);
    button(cmdDir4630K, "cmdDir4630K", QStringLiteral("Dir 4630K's file"), 3240);
    button(Command1, "Command1", QStringLiteral("Close window"), 3600);
}

void frmTerminal::setFormWidthTwips(int width)
{
    resize(twips(width), height());
}

QLabel *frmTerminal::frontPicture() const
{
    // The last child is the one on top.
    const QObjectList &kids = m_pictures->children();
    for (auto it = kids.crbegin(); it != kids.crend(); ++it) {
        if (auto *l = qobject_cast<QLabel *>(*it))
            return l;
    }
    return nullptr;
}

// --- Console exchanges ---------------------------------------------------

ConsoleGuard::Scope frmTerminal::BeginOperation()
{
    ConsoleGuard::Scope scope = m_console.tryBegin();
    if (!scope)
        showStatus(TerminalLogic::kBusyText);
    return scope;
}

bool frmTerminal::Send(const QString &text)
{
    if (!MSComm1->PortOpen() || !MSComm1->Output(text)) {
        showStatus(TerminalLogic::kPortClosedText);
        return false;
    }
    if (text.startsWith(QLatin1Char('Q')))
        m_menuLeftOpen = false;
    return true;
}

bool frmTerminal::Wait(int ms)
{
    Module1::Delay(ms);
    return !Windows::isEnding();
}

void frmTerminal::closeEvent(QCloseEvent *event)
{
    if (m_console.isBusy()) {
        // Closed when the running exchange has ended.
        m_closePending = true;
        event->ignore();
        showStatus(TerminalLogic::kBusyText);
        return;
    }
    Form::closeEvent(event);
}

// --- Terminal pane ---------------------------------------------------------

void frmTerminal::showStatus(const QString &text)
{
    StatusPanel->setText(TerminalLogic::kStatusPrefix + text);
    Timer2->start();
}

void frmTerminal::MSComm1_OnComm()
{
    const int code = MSComm1->CommEvent();
    if (code == MSComm::comEvReceive) {
        ShowData(txtTerm, MSComm1->Input());
        return;
    }
    if (code == MSComm::comEventPortFailure) {
        ReportPortFailure();
        return;
    }
    const TerminalLogic::CommEventText what = TerminalLogic::commEventText(code);
    using Kind = TerminalLogic::CommEventText::Kind;
    if (what.kind == Kind::Event) {
        showStatus(what.text);
    } else if (what.kind == Kind::Error) {
        StatusPanel->setText(TerminalLogic::kStatusPrefix + what.text);
        QApplication::beep();
        QPointer<frmTerminal> self(this);
        const QMessageBox::StandardButton answer =
            msgBox(this, what.text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::NoIcon,
                   TerminalLogic::kErrorBoxTitle);
        if (!self)
            return;
        if (answer == QMessageBox::Cancel)
            MSComm1->setPortOpen(false);
        Timer2->start();
    }
}

void frmTerminal::ReportPortFailure()
{
    // The port is closed already; say why once, and show it closed.
    const QString why = MSComm1->errorText();
    StatusPanel->setText(TerminalLogic::kStatusPrefix + why);
    ShowPortState();
    QPointer<frmTerminal> self(this);
    msgBox(this, why, QMessageBox::Ok, QMessageBox::Warning);
    if (self)
        Timer2->start();
}

void frmTerminal::ShowData(TerminalBox *box, const QString &data)
{
    box->moveCaretToEnd();
    const QString shown = box->showData(data);
    if (m_logSink) {
        // The sink may ask the user, close the log (replacing itself) or see
        // the window go while it asks.
        const auto sink = m_logSink;
        QPointer<frmTerminal> self(this);
        sink(shown);
        if (!self)
            return;
    }
    box->moveCaretToEnd();
}

void frmTerminal::txtTerm_KeyPress(int &KeyAscii)
{
    if (!MSComm1->PortOpen())
        return;
    MSComm1->Output(QString(QChar(static_cast<char16_t>(KeyAscii))));
    if (!Module1::Echo) {
        txtTerm->moveCaretToEnd();
        KeyAscii = 0;
    }
}

void frmTerminal::tbrToolBar_ButtonClick(QAction *button)
{
    const QString key = button->objectName();
    if (key == QLatin1String("OpenLogFile"))
        DoOpenLogFile();
    else if (key == QLatin1String("CloseLogFile"))
        DoCloseLogFile();
    else if (key == QLatin1String("DialPhoneNumber"))
        DoDialPhoneNumber();
    else if (key == QLatin1String("HangUpPhone"))
        DoHangUpPhone();
    else if (key == QLatin1String("TransmitTextFile"))
        DoTransmitTextFile();
}

void frmTerminal::TogglePort()
{
    if (!MSComm1->setPortOpen(!MSComm1->PortOpen())) {
        QPointer<frmTerminal> self(this);
        msgBox(this, MSComm1->errorText(), QMessageBox::Ok, QMessageBox::Warning);
        if (!self)
            return;
    }
    ShowPortState();
}

void frmTerminal::ShowPortState()
{
    const bool open = MSComm1->PortOpen();
    TransmitTextFile->setEnabled(open);
    DialPhoneNumber->setEnabled(true);
    HangUpPhone->setEnabled(open);
    if (open) {
        imgConnected->raise();
        SettingsPanel->setText(TerminalLogic::kSettingsPrefix + MSComm1->Settings());
        StartTiming();
    } else {
        imgNotConnected->raise();
        SettingsPanel->setText(TerminalLogic::kSettingsPrefix);
        StopTiming();
    }
}

void frmTerminal::StartTiming()
{
    StartTime.start();
    Timer1->start();
}

void frmTerminal::StopTiming()
{
    Timer1->stop();
    ConnectTimePanel->setText(QString());
}

void frmTerminal::Timer1_Timer()
{
    ConnectTimePanel->setText(TerminalLogic::connectTime(StartTime.elapsed() / 1000));
}

void frmTerminal::Timer2_Timer()
{
    StatusPanel->setText(TerminalLogic::kStatusPrefix);
    Timer2->stop();
}

// --- Load --------------------------------------------------------------------

void frmTerminal::formLoad()
{
    Form_Load();
}

void frmTerminal::Form_Load()
{
    const ConsoleGuard::Scope operation = BeginOperation();
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
    if (!Send(QStringLiteral("\r")) || !Wait(kPromptWaitMs))
        return;
    if (!MenuScreen::hasPrompt(txtTerm->text())) {
        Windows::show(QStringLiteral("ConfigurationWarning"));
        return;
    }

    // Menu reading.
    if (!Wait(kBeforeMenuMs))
        return;
    txtTerm->setText(QString());
    if (!Send(QStringLiteral("NVCONF\r")) || !Wait(kMenuScreenWaitMs))
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
