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
constexpr int kStatusPixels = 12; // the status bar's text size

// Heights of the kinds of control whose height the layout leaves out (twips).
constexpr int kLabelHeight = 255;
constexpr int kComboHeight = 315;
// Where the state holders lie: below the visible design area.
constexpr int kHiddenTop = 5040;

const QString kToggleTip = QStringLiteral("切換通訊埠");

QPixmap consolePicture(const QString &name)
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

    Timer1 = timer(QStringLiteral("Timer1"), kTimer1Ms, &frmTerminal::Timer1_Timer);
    Timer2 = timer(QStringLiteral("Timer2"), kTimer2Ms, &frmTerminal::Timer2_Timer);

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

    // The controls sit at fixed places: only the program changes the width.
    setFixedSize(twips(kDesignWidth), layout->sizeHint().height());
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
        QAction *a = tbrToolBar->addAction(QIcon(consolePicture(QString::fromLatin1(icon))), tip);
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
        p->setPixmap(consolePicture(QString::fromLatin1(icon)));
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
    // Its texts are Chinese, which the windows' small face leaves hard to read.
    QFont chinese = sbrStatus->font();
    chinese.setPixelSize(kStatusPixels);
    sbrStatus->setFont(chinese);
    auto panel = [this](const char *key, const QString &text, const QString &tip, int stretch) {
        auto *l = new QLabel(text, sbrStatus);
        l->setObjectName(QString::fromLatin1(key));
        // The panels show the port's settings as saved: never markup.
        l->setTextFormat(Qt::PlainText);
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
    QWidget *area = m_client;
    auto combo = [&](const char *name, const Twips &at) {
        return placed<QComboBox>(QString::fromLatin1(name), at, area);
    };

    Label9 = label(QStringLiteral("Label9"),
                   QStringLiteral("NOTE! If you don't see any mseeage in terminal window, maybe "
                                  "you forget to touch *INIT to GND, and please try it!...."),
                   {120, 120, 5775, 495}, area);
    Label9->setWordWrap(true);
    Label10 = label(QStringLiteral("Label10"), QStringLiteral("Label10"),
                    {120, 480, 615, kLabelHeight}, area);

    for (size_t i = 0; i < Label6.size(); ++i)
        Label6[i] = control<RuledHeading>(QStringLiteral("Label6(%1)").arg(i), area);
    const QString headings[] = {QStringLiteral("PC============="),
                                QStringLiteral("4630K============="),
                                QStringLiteral("Recommand==============")};
    const Twips headingAt[] = {{840, 720, 1335, kLabelHeight},
                               {2280, 720, 1335, kLabelHeight},
                               {3840, 720, 1935, kLabelHeight}};
    for (size_t i = 0; i < 3; ++i) {
        Label6[i]->setText(headings[i]);
        place(Label6[i], headingAt[i]);
    }

    // The three address rows: caption, PC's value, device's value, proposal
    // in four octet boxes, Set.
    struct AddressRowLayout
    {
        QLabel *&pc;
        const char *pcName;
        QString pcCaption;
        QLineEdit *&all;
        const char *allName;
        std::array<QLineEdit *, 4> &octets;
        QString octetName;
        QPushButton *&set;
        const char *setName;
        QString caption;
        int top;
    };
    const AddressRowLayout rows[] = {
        {lblPCIP, "lblPCIP", QStringLiteral("PC's IP"), txtALLIP, "txtALLIP", txtIP,
         QStringLiteral("txtIP"), cmdSetIP, "cmdSetIP", QStringLiteral("IP:"), 960},
        {lblPCMask, "lblPCMask", QStringLiteral("PC's Mask"), txtALLMask, "txtALLMask", txtMask,
         QStringLiteral("txtMask"), cmdSetMask, "cmdSetMask", QStringLiteral("Mask:"), 1320},
        {lblPCGateway, "lblPCGateway", QStringLiteral("PC's Gateway"), txtALLGateway,
         "txtALLGateway", txtGateway, QStringLiteral("txtGateway"), cmdSetGateway,
         "cmdSetGateway", QStringLiteral("Gateway:"), 1680},
    };
    controlArray(Label1, QStringLiteral("Label1"), area);
    controlArray(Label5, QStringLiteral("Label5"), area);
    const int octetLeft[] = {3840, 4200, 4560, 4920};
    for (size_t r = 0; r < 3; ++r) {
        const AddressRowLayout &row = rows[r];
        Label1[r]->setText(row.caption);
        place(Label1[r], {120, row.top, 735, kLabelHeight});
        row.pc = label(QString::fromLatin1(row.pcName), row.pcCaption,
                       {840, row.top, 1335, kLabelHeight}, area);
        row.all = textBox(QString::fromLatin1(row.allName), QString(), {2280, row.top, 1335, 270},
                          area);
        Label5[r]->setText(QStringLiteral("->"));
        place(Label5[r], {3600, row.top, 255, kLabelHeight});
        controlArray(row.octets, row.octetName, area);
        for (size_t i = 0; i < 4; ++i)
            place(row.octets[i], {octetLeft[i], row.top, 375, 270});
        row.set = button(QString::fromLatin1(row.setName), QStringLiteral("Set"),
                         {5400, row.top, 495, 255}, area);
    }

    lblModel = label(QStringLiteral("lblModel"), QString(), {240, 2160, 735, kLabelHeight}, area);
    cmbComSet = combo("cmbComSet", {1080, 2160, 855, kComboHeight});
    cmbComSet->setPlaceholderText(QStringLiteral("Com"));
    // A choice by the user, also of the entry already chosen (it shows that
    // port's values afresh); the program's own choices go through SelectComSet.
    connect(cmbComSet, &QComboBox::activated, this, [this] { cmbComSet_Click(); });
    Label8 = label(QStringLiteral("Label8"), QStringLiteral("'s setting"),
                   {2040, 2280, 1215, kLabelHeight}, area);

    controlArray(Label7, QStringLiteral("Label7"), area);
    const QString settingCaptions[] = {QStringLiteral("Baudrate:"), QStringLiteral("Databit:"),
                                       QStringLiteral("Parity:"), QStringLiteral("Stopbit:"),
                                       QStringLiteral("Modbus:")};
    for (size_t i = 0; i < 5; ++i) {
        Label7[i]->setText(settingCaptions[i]);
        place(Label7[i], {240, 2640 + 360 * static_cast<int>(i), 735, kLabelHeight});
    }
    cmbBaudrate = combo("cmbBaudrate", {960, 2640, 975, kComboHeight});
    cmbDatabit = combo("cmbDatabit", {960, 3000, 495, kComboHeight});
    cmbParity = combo("cmbParity", {960, 3360, 735, kComboHeight});
    cmbStopbit = combo("cmbStopbit", {960, 3720, 495, kComboHeight});
    cmbModbus = combo("cmbModbus", {960, 4080, 975, kComboHeight});
    cmbModbus->setPlaceholderText(QStringLiteral("Disable"));
    cmbModbus->setEnabled(false);
    const QString set = QStringLiteral("Set");
    cmdBaudrateSet = button(QStringLiteral("cmdBaudrateSet"), set, {2040, 2640, 975, 255}, area);
    cmdDatabitSet = button(QStringLiteral("cmdDatabitSet"), set, {1560, 3000, 1455, 255}, area);
    cmdParitySet = button(QStringLiteral("cmdParitySet"), set, {1800, 3360, 1215, 255}, area);
    cmdStopbitSet = button(QStringLiteral("cmdStopbitSet"), set, {1560, 3720, 1455, 255}, area);
    cmdModbusSet = button(QStringLiteral("cmdModbusSet"), set, {2040, 4080, 975, 255}, area);
    cmdModbusSet->setEnabled(false);

    // The Modbus panel: its frames and double rules, hidden until a Modbus
    // model shows them.
    auto rule = [&](const QString &name, QFrame::Shape kind, const Twips &at) {
        QFrame *f = shape(name, at, area);
        f->setFrameShape(kind);
        f->setFrameShadow(QFrame::Plain);
        f->setStyleSheet(QStringLiteral("color: #3d6fa8;"));
        f->hide();
        return f;
    };
    shape1 = rule(QStringLiteral("shape1"), QFrame::Box, {3360, 2040, 2520, 2400});
    shape2 = rule(QStringLiteral("shape2"), QFrame::Box, {3420, 2100, 1560, 300});
    Shape3 = rule(QStringLiteral("Shape3"), QFrame::Box, {3420, 2460, 780, 1920});
    // Under the heading, beside and under the indicators.
    const std::pair<QFrame::Shape, Twips> rules[] = {
        {QFrame::HLine, {3360, 2415, 2520, 15}}, {QFrame::HLine, {3360, 2445, 2520, 15}},
        {QFrame::VLine, {4230, 2460, 15, 1980}}, {QFrame::VLine, {4260, 2460, 15, 1980}},
        {QFrame::HLine, {3360, 4380, 870, 15}},  {QFrame::HLine, {3360, 4410, 870, 15}}};
    for (size_t i = 0; i < ModbusLine.size(); ++i)
        ModbusLine[i] = rule(QStringLiteral("ModbusLine(%1)").arg(i), rules[i].first,
                              rules[i].second);

    Label11 = label(QStringLiteral("Label11"), QStringLiteral("Modbus status:"),
                    {3480, 2160, 1455, kLabelHeight}, area);
    Label11->hide();
    controlArray(lblModBus, QStringLiteral("lblModBus"), area);
    controlArray(imgModBus, QStringLiteral("imgModBus"), area);
    for (size_t i = 0; i < 8; ++i) {
        const int top = 2520 + 240 * static_cast<int>(i);
        lblModBus[i]->setText(QStringLiteral("COM%1:").arg(i + 1));
        place(lblModBus[i], {3480, top, 495, 195});
        lblModBus[i]->hide();
        imgModBus[i]->setScaledContents(true);
        place(imgModBus[i], {3960, top, 135, 135});
        imgModBus[i]->hide();
    }

    cmdTerminal = button(QStringLiteral("cmdTerminal"), QStringLiteral("Terminal window"),
                         {4440, 2640, 1455, 375}, area);
    cmdReboot4630K = button(QStringLiteral("cmdReboot4630K"), QStringLiteral("Reboot 4630K"),
                            {4440, 3120, 1455, 375}, area);
    Command2 = button(QStringLiteral("Command2"), QStringLiteral("Restore default"),
                      {4440, 3600, 1455, 375}, area);
    CmdEXIT = button(QStringLiteral("CmdEXIT"), QStringLiteral("EXIT"), {4440, 4080, 1455, 375},
                     area);

    // State holders: below the visible area, never seen.
    int hiddenTop = kHiddenTop;
    auto holder = [&](QLabel *&l, const char *name, const QString &text) {
        l = label(QString::fromUtf8(name), text, {120, hiddenTop, 1935, kLabelHeight}, area);
        hiddenTop += kLabelHeight;
    };
    // Per address row: what Set sends, the joined text and the check's result.
    const std::tuple<QLabel *&, QLabel *&, QLabel *&, const char *, const char *> stateRows[] = {
        {Label2, lblSendIP, lblIPstatus, "Label2", "IP"},
        {Label3, lblSendMask, lblMaskstatus, "Label3", "Mask"},
        {Label4, lblSendGateway, lblGatewaystatus, "Label4", "Gateway"}};
    for (const auto &[send, joined, status, name, row] : stateRows) {
        const QString r = QString::fromLatin1(row);
        holder(send, name, QStringLiteral("Send %1 setting").arg(r));
        holder(joined, qPrintable(QStringLiteral("lblSend") + r), QStringLiteral("IP total"));
        holder(status, qPrintable(QStringLiteral("lbl%1status").arg(r)), QStringLiteral("status"));
    }
    // Per setting: the all-ports list and the chosen port's value.
    const std::tuple<QLabel *&, QLabel *&, const char *> settings[] = {
        {lblAllBaudrate, lblBaudrate, "Baudrate"},
        {lblAllDatabit, lblDatabit, "Databit"},
        {lblAllParity, lblParity, "Parity"},
        {lblAllStopbit, lblStopbit, "Stopbit"}};
    for (const auto &[all, one, setting] : settings) {
        const QString name = QString::fromLatin1(setting);
        holder(all, qPrintable(QStringLiteral("lblAll") + name), QStringLiteral("All") + name);
        holder(one, qPrintable(QStringLiteral("lbl") + name), name.toLower());
    }
    holder(lblAllModbusSet, "lblAllModbusSet", QStringLiteral("AllModbusSet"));
    controlArray(lblDataformat, QStringLiteral("lblDataformat"), area);
    for (QLabel *l : lblDataformat) {
        place(l, {120, hiddenTop, 255, kLabelHeight});
        hiddenTop += kLabelHeight;
    }

    // 22 x 22 pixels each.
    imgRed = picture(QStringLiteral("imgRed"), consolePicture(QStringLiteral("red")),
                     {2160, kHiddenTop, 330, 330}, area);
    imgGray = picture(QStringLiteral("imgGray"), consolePicture(QStringLiteral("gray")),
                      {2640, kHiddenTop, 330, 330}, area);
}

void frmTerminal::buildTerminalPane()
{
    txtTerm = placed<TerminalBox>(QStringLiteral("txtTerm"), {6000, 120, 5415, 4410}, m_client);
    // The device's menu columns and file listings line up in a fixed pitch.
    txtTerm->setFont(terminalFont(txtTerm->font()));
    txtTerm->setKeyPressHandler([this](int &key) { txtTerm_KeyPress(key); });

    // They lie on the terminal box.
    cmdNvconf = button(QStringLiteral("cmdNvconf"), QStringLiteral("Nvconf"),
                       {9600, 2880, 1455, 255}, m_client);
    cmdDir4630K = button(QStringLiteral("cmdDir4630K"), QStringLiteral("Dir 4630K's file"),
                         {9600, 3240, 1455, 255}, m_client);
    Command1 = button(QStringLiteral("Command1"), QStringLiteral("Close window"),
                      {9600, 3600, 1455, 255}, m_client);
    for (QPushButton *b : {cmdNvconf, cmdDir4630K, Command1})
        b->raise();
}

void frmTerminal::setFormWidthTwips(int width)
{
    // The widths count the window's borders, the client area is what lies
    // inside them: at the narrow width the terminal pane is wholly hidden.
    setFixedSize(twips(width - (kWideWidth - kDesignWidth)), height());
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
