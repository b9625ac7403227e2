#include "app/main1.h"

#include "app/comports.h"
#include "app/dialogs.h"
#include "app/hostnet.h"
#include "app/launcherstate.h"
#include "app/look.h"
#include "app/settings.h"
#include "app/startupprobe.h"
#include "app/twips.h"
#include "app/windowbehaviour.h"
#include "app/windows.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTextDocument>

namespace {

const QSize kBackgroundSize(440, 336);
// Small enough that the six summary lines stay above the first frame.
constexpr int kPrintPixelSize = 10;

} // namespace

Main1::Main1(QWidget *parent) : Form(parent)
{
    setWindowTitle(QStringLiteral("RM4630K utility"));
    // Fixed: the state labels below the client area must stay out of sight.
    setClientSizeTwips(6600, 4935);
    setBackgroundPicture(artwork(QStringLiteral(":/launcher/background.svg"), kBackgroundSize));

    // Frames first, so that they lie under the controls they frame.
    Shape3 = shape(QStringLiteral("Shape3"), {240, 960, 2055, 615});
    Shape1 = shape(QStringLiteral("Shape1"), {240, 2160, 2055, 1095});
    Shape2 = shape(QStringLiteral("Shape2"), {240, 3720, 2055, 1095});

    Label7 = label(QStringLiteral("Label7"), QStringLiteral("Connect by PC's"), {240, 1920, 1335, 375});
    Label8 = label(QStringLiteral("Label8"), QStringLiteral("Connect by RJ45"), {240, 3480, 2295, 375});
    Label9 = label(QStringLiteral("Label9"), QStringLiteral("Ver:A.3.4"), {5640, 360, 735, 375});
    // The shared state, below the bottom edge of the client area.
    Label1 = label(QStringLiteral("Label1"), QStringLiteral("IP:"), {240, 5280, 615, 255});
    Label2 = label(QStringLiteral("Label2"), QStringLiteral("Mask:"), {240, 5640, 735, 255});
    Label3 = label(QStringLiteral("Label3"), QStringLiteral("Gateway:"), {240, 6000, 735, 255});
    Label4 = label(QStringLiteral("Label4"), QString(), {960, 5280, 1575, 255});
    Label5 = label(QStringLiteral("Label5"), QString(), {960, 5640, 1575, 255});
    Label6 = label(QStringLiteral("Label6"), QString(), {960, 6000, 1575, 255});
    NettestIP = label(QStringLiteral("NettestIP"), QString(), {4920, 3600, 1575, 255});
    NettestIP->hide();
    Text1 = textBox(QStringLiteral("Text1"), QStringLiteral("Text1"), {2640, 5280, 3855, 975});

    struct Tool
    {
        QPushButton *&button;
        const char *name;
        QString caption;
        Twips at;
        QString tip;
    };
    const Tool tools[] = {
        {Command1, "Command1", QStringLiteral("Wizard"), {360, 1080, 1815, 375}, {}},
        {Command3, "Command3", QStringLiteral("Configuration"), {360, 2280, 1815, 375},
         QStringLiteral("You  can configurate 4630K by RS232 here")},
        {Command6, "Command6", QStringLiteral("Download image"), {360, 2760, 1815, 375},
         QStringLiteral("You can download rom image to 4630K by Hyperterminal")},
        {Command2, "Command2", QStringLiteral("Nettest"), {360, 3840, 1815, 375},
         QStringLiteral("You  can configurate 4630K by RJ45 here")},
        {Command5, "Command5", QStringLiteral("ModbusTCP test"), {360, 4320, 1815, 375},
         QStringLiteral("You  can make a ModbusTCP test by RJ45 here")},
        {cmdTroubleshooting, "cmdTroubleshooting", QStringLiteral("Trouble shooting"),
         {4680, 3960, 1815, 375}, {}},
        {Command4, "Command4", QStringLiteral("Exit"), {4680, 4440, 1815, 375}, {}},
    };
    for (const Tool &t : tools) {
        t.button = button(QString::fromLatin1(t.name), t.caption, t.at);
        t.button->setToolTip(t.tip);
    }

    Combo1 = placed<QComboBox>(QStringLiteral("Combo1"), {1440, 1845, 855, 300});
    // The text as typed is the choice: "com3" reaches its readers as "com3".
    makeEditableAsTyped(Combo1);
    // The tip names the device of each COM name. It is made when it shows:
    // so it follows adapters plugged in or out, and the start does not wait
    // for the system's list of ports.
    Combo1->installEventFilter(this);

    connect(Command1, &QPushButton::clicked, this, [this] { showModal(WindowName::Wizard); });
    connect(Command2, &QPushButton::clicked, this, [this] { showModal(WindowName::frmMain); });
    connect(Command3, &QPushButton::clicked, this,
            [this] { showModal(WindowName::frmTerminal); });
    connect(Command5, &QPushButton::clicked, this,
            [this] { showModal(WindowName::ModbusTCP); });
    connect(Command6, &QPushButton::clicked, this, &Main1::Command6_Click);
    connect(cmdTroubleshooting, &QPushButton::clicked, this,
            [this] { showModal(WindowName::frmTroubleshooting); });
    connect(Command4, &QPushButton::clicked, this, [] { Windows::endProgram(); });
    // Picked or typed, the text is the choice that the other windows read.
    connect(Combo1, &QComboBox::currentTextChanged, this,
            [](const QString &text) { LauncherState::instance().setComPort(text); });

    connect(&LauncherState::instance(), &LauncherState::changed, this, &Main1::showState);
    showState();
}

void Main1::formLoad()
{
    // Said before anything reads the settings, which then go by their
    // defaults.
    const QStringList refused =
        AppSettings::refusedFiles(QString::fromLatin1(AppSettings::kUtilityName));
    if (!refused.isEmpty())
        msgBox(this, AppSettings::refusedText(refused), QMessageBox::Ok, QMessageBox::Warning);
    GetNetworkInfo();
    Combo1->addItems({QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"),
                      QStringLiteral("COM4")});
    Combo1->setCurrentIndex(0);
    Text1->clear();
    printAddressSummary();
    // A device path in the environment or the settings file that no serial
    // port can have: the name opens another device, and the user is told.
    const QStringList problems = ComPorts::problems();
    if (!problems.isEmpty())
        msgBox(this, problems.join(QStringLiteral("\n\n")), QMessageBox::Ok, QMessageBox::Warning);
}

bool Main1::eventFilter(QObject *watched, QEvent *event)
{
    // The device paths come from outside: shown as given, never as markup.
    if (watched == Combo1 && event->type() == QEvent::ToolTip)
        Combo1->setToolTip(Qt::convertFromPlainText(ComPorts::mappingText()));
    return Form::eventFilter(watched, event);
}

QString Main1::ConvertAddressToString(quint32 longAddr)
{
    return HostNet::ConvertAddressToString(longAddr);
}

void Main1::GetNetworkInfo()
{
    const HostNet::NetworkInfo info = HostNet::GetNetworkInfo(HostNet::Source::current());
    if (!info.message.isEmpty())
        msgBox(this, info.message);
    if (info.gateway)
        LauncherState::instance().setPcGateway(*info.gateway);
}

void Main1::printAddressSummary()
{
    const HostNet::AddressSummary summary =
        HostNet::addressTableSummary(HostNet::Source::current());
    m_printed += summary.lines;
    update();
    if (summary.pcIp)
        LauncherState::instance().setPcIp(*summary.pcIp);
    if (summary.pcMask)
        LauncherState::instance().setPcMask(*summary.pcMask);
    if (summary.failed)
        msgBox(this, HostNet::kTableError);
}

void Main1::showState()
{
    const LauncherState &state = LauncherState::instance();
    Label4->setText(state.pcIp());
    Label5->setText(state.pcMask());
    Label6->setText(state.pcGateway());
    NettestIP->setText(state.nettestIp());
}

void Main1::Command6_Click()
{
    const QString port = Combo1->currentText();
    QPointer<Form> download = Windows::get(WindowName::Download);
    if (!download)
        return;
    if (auto *label = download->findChild<QLabel *>(QStringLiteral("Label5")))
        label->setText(port);
    showModal(WindowName::Download);
}

void Main1::paintEvent(QPaintEvent *event)
{
    Form::paintEvent(event);
    if (!m_printed.isEmpty()) {
        QPainter p(this);
        QFont f = font();
        f.setPixelSize(kPrintPixelSize);
        p.setFont(f);
        p.setPen(QColor(0x10, 0x20, 0x40));
        const QFontMetrics metrics(f);
        int baseline = metrics.ascent();
        for (const QString &line : std::as_const(m_printed)) {
            p.drawText(0, baseline, line);
            baseline += metrics.height();
        }
    }
    StartupProbe::firstPaint();
}
