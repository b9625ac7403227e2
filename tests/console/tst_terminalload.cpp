#include "app/dialogs.h"
#include "app/twips.h"
#include "app/windows.h"
#include "console/configurationwarning.h"
#include "console/console.h"
#include "console/controls.h"
#include "console/frmterminal.h"
#include "console/mscomm.h"
#include "tests/console/consoletestutil.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/simulateddevice.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSerialPort>
#include <QTest>
#include <QTimer>

#include <termios.h>

namespace {

const QString kTerminal = QStringLiteral("frmTerminal");
const QString kWarning = QStringLiteral("ConfigurationWarning");

QStringList texts(const std::array<QLineEdit *, 4> &boxes)
{
    QStringList t;
    for (const QLineEdit *b : boxes)
        t << b->text();
    return t;
}

// Time between the arrivals that start with first and second.
qint64 gapBetween(const SimulatedDevice &dev, const QByteArray &first, const QByteArray &second)
{
    qint64 a = -1;
    qint64 b = -1;
    for (const SimulatedDevice::Arrival &arrival : dev.arrivals()) {
        if (a < 0 && arrival.bytes.startsWith(first))
            a = arrival.ms;
        else if (a >= 0 && b < 0 && arrival.bytes.startsWith(second))
            b = arrival.ms;
    }
    return (a < 0 || b < 0) ? -1 : b - a;
}

} // namespace

// The configuration window's load against the simulated device.
class TstTerminalLoad : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SimulatedDevice> m_dev;
    std::unique_ptr<ScriptedDialogs> m_dialogs;

    frmTerminal *load()
    {
        Windows::show(kTerminal);
        return Windows::loaded<frmTerminal>(kTerminal);
    }

    // The load showed exactly one box: a failure with the exclamation icon.
    bool oneFailureBox(const QString &title, const QString &part)
    {
        const QList<ScriptedDialogs::Shown> &shown = m_dialogs->shown();
        if (shown.size() != 1)
            return false;
        const ScriptedDialogs::Shown &box = shown.first();
        return box.icon == QMessageBox::Warning && box.buttons == QMessageBox::Ok
               && box.title == title && box.text.contains(part);
    }

private slots:
    void init()
    {
        resetProgramState();
        registerConsoleWindows();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_dev = std::make_unique<SimulatedDevice>();
        QVERIFY(m_dev->isReady());
        m_dev->attachAs(1);
        LauncherState &launcher = LauncherState::instance();
        launcher.setPcIp(QStringLiteral("192.168.1.10"));
        launcher.setPcMask(QStringLiteral("255.255.255.0"));
        // The launcher keeps the gateway as 16 characters, NULs included.
        launcher.setPcGateway(QStringLiteral("192.168.1.1") + QString(5, QChar(0)));
    }
    void cleanup()
    {
        Windows::clear();
        m_dev.reset();
        m_dialogs.reset();
    }

    void completeLoadOfAModbusModel()
    {
        m_dev->settings().modbusMask = 0x5; // shown as the one digit "5"
        frmTerminal *f = load();
        QVERIFY(f);
        QVERIFY2(m_dialogs->shown().isEmpty(), qPrintable(m_dialogs->messages().join('\n')));
        QVERIFY(f->isVisible() && !Windows::loaded(kWarning));

        // What went to the device, in order, with the waits between.
        QTRY_COMPARE(m_dev->received(), QByteArray("\rNVCONF\rQ"));
        QTRY_COMPARE(m_dev->mode(), SimulatedDevice::Mode::Prompt);
        QVERIFY(gapBetween(*m_dev, "\r", "NVCONF") >= 1000);
        QVERIFY(gapBetween(*m_dev, "NVCONF", "Q") >= 700);

        // Window, port and pane.
        QCOMPARE(f->width(), twips(frmTerminal::kNarrowWidth));
        const QRect screen = f->screen()->geometry();
        QCOMPARE(f->x(), screen.left() + (screen.width() - f->width()) / 2);
        QCOMPARE(f->Label10->text(), QStringLiteral("COM1"));
        QVERIFY(f->MSComm1->PortOpen());
        QCOMPARE(f->frontPicture(), f->imgConnected);
        QCOMPARE(f->SettingsPanel->text(), QStringLiteral("設定: 57600,n,8,1"));
        QCOMPARE(f->txtTerm->palette().color(QPalette::Text), QColor(0, 0, 255));
        QCOMPARE(applicationTitle(), QStringLiteral("PortView 終端機"));
        QVERIFY(!Module1::Echo); // no saved settings: nothing changes

        // The device's values and the proposals.
        QCOMPARE(f->txtALLIP->text(), QStringLiteral("192.  9. 40.100"));
        QCOMPARE(f->txtALLGateway->text(), QStringLiteral("192.  9. 40.170"));
        QCOMPARE(f->lblPCIP->text(), QStringLiteral("192.168.1.10"));
        QCOMPARE(f->lblPCGateway->text(), QStringLiteral("192.168.1.1"));
        QCOMPARE(texts(f->txtIP), (QStringList{"192", "168", "1", "11"}));
        QCOMPARE(texts(f->txtMask), (QStringList{"255", "255", "255", "0"}));
        QCOMPARE(texts(f->txtGateway), (QStringList{"192", "168", "1", "1"}));
        QCOMPARE(f->lblModel->text(), QStringLiteral("4630M4"));
        QCOMPARE(f->lblAllBaudrate->text(),
                 QStringLiteral("1:57600 2:9600 3:9600 4:9600 5:9600 6:9600 7:9600 8:9600"));
        QCOMPARE(f->lblAllStopbit->text(), QStringLiteral("1:1 2:1 3:1 4:1 5:1 6:1 7:1 8:1"));

        // The Modbus panel: four indicators, ports 1 and 3 on.
        QVERIFY(f->cmbModbus->isEnabled() && f->cmdModbusSet->isEnabled());
        QVERIFY(f->Label11->isVisible() && f->ModbusLine[5]->isVisible());
        QCOMPARE(f->lblAllModbusSet->text(), QStringLiteral("05"));
        const QString flags = QStringLiteral("10100000");
        for (size_t i = 0; i < 8; ++i) {
            QCOMPARE(f->lblModBus[i]->isVisible(), i < 4);
            QCOMPARE(f->imgModBus[i]->isVisible(), i < 4);
            const bool on = flags.at(qsizetype(i)) == u'1';
            QCOMPARE(f->lblDataformat[i]->text(), on ? QStringLiteral("1") : QStringLiteral("0"));
            const QLabel *source = on ? f->imgRed : f->imgGray;
            QCOMPARE(f->imgModBus[i]->pixmap().cacheKey(), source->pixmap().cacheKey());
        }

        // The device ports, the first one chosen.
        QCOMPARE(f->cmbComSet->count(), 4);
        QCOMPARE(f->cmbComSet->currentIndex(), 0);

        // Showing it again brings it forward without a second load.
        Windows::show(kTerminal);
        QCOMPARE(Windows::loaded<frmTerminal>(kTerminal), f);
        QCOMPARE(m_dev->received(), QByteArray("\rNVCONF\rQ"));
    }

    // A slow device that sends its screen in pieces; an eight-port model;
    // a PC address whose last octet is 255 and no gateway.
    void completeLoadOfAnEightPortModel()
    {
        m_dev->settings().model = QStringLiteral(" 46308");
        m_dev->settings().ip = {10, 1, 2, 3};
        m_dev->setReplyDelay(250);
        m_dev->setChunking(48, 10);
        LauncherState::instance().setPcIp(QStringLiteral("192.168.1.255"));
        LauncherState::instance().setPcGateway(QString());
        frmTerminal *f = load();
        QVERIFY(f);
        QVERIFY(m_dialogs->shown().isEmpty());
        QTRY_COMPARE(m_dev->received(), QByteArray("\rNVCONF\rQ"));

        QCOMPARE(f->txtALLIP->text(), QStringLiteral(" 10.  1.  2.  3"));
        QCOMPARE(f->lblModel->text(), QStringLiteral("46308"));
        QCOMPARE(f->lblAllBaudrate->text(),
                 QStringLiteral("1:57600 2:9600 3:9600 4:9600 5:9600 6:9600 7:9600 8:9600"));
        QCOMPARE(texts(f->txtIP), (QStringList{"192", "168", "1", "256"}));
        QCOMPARE(texts(f->txtMask), (QStringList{"255", "255", "255", "0"}));
        QCOMPARE(texts(f->txtGateway), (QStringList{"", "", "", ""}));

        QVERIFY(!f->cmbModbus->isEnabled() && !f->cmdModbusSet->isEnabled());
        QVERIFY(!f->Label11->isVisible());
        QCOMPARE(f->lblAllModbusSet->text(), QStringLiteral("AllModbusSet"));
        QCOMPARE(f->cmbComSet->count(), 8);
        QCOMPARE(f->cmbComSet->currentIndex(), 0);
    }

    void damagedScreen_data()
    {
        QTest::addColumn<int>("damage");
        QTest::newRow("model and later lines missing; launcher without addresses") << 0;
        QTest::newRow("bad model digit, mask not hex") << 1;
    }
    void damagedScreen()
    {
        QFETCH(int, damage);
        if (damage == 0) {
            // The launcher's labels before its network queries, and a typed
            // port name: the design port, and no proposals.
            LauncherState::instance().reset();
            LauncherState::instance().setComPort(QStringLiteral("COM7"));
            m_dev->setScreenFilter([](const QByteArray &s) {
                QByteArray cut = s.left(s.indexOf("M : Modify"));
                return cut + "B : Modify Baudrate 1:57600 2:96";
            });
        } else {
            m_dev->settings().model = QStringLiteral("4630MX");
            m_dev->setScreenFilter([](QByteArray s) {
                return s.replace("U : Modify fUnction FF", "U : Modify fUnction ZZ");
            });
        }
        frmTerminal *f = load();
        QVERIFY(f);
        QVERIFY(m_dialogs->shown().isEmpty());
        QTRY_COMPARE(m_dev->received(), QByteArray("\rNVCONF\rQ"));
        QCOMPARE(f->txtALLIP->text(), QStringLiteral("192.  9. 40.100"));
        QCOMPARE(f->cmbComSet->count(), 0);
        QCOMPARE(f->cmbComSet->currentIndex(), -1);
        if (damage == 0) {
            QCOMPARE(f->MSComm1->CommPort(), 1);
            QCOMPARE(f->Label10->text(), QStringLiteral("COM7"));
            for (const auto *boxes : {&f->txtIP, &f->txtMask, &f->txtGateway})
                QCOMPARE(texts(*boxes), (QStringList{"", "", "", ""}));
            QCOMPARE(f->lblModel->text(), QString());
            QCOMPARE(f->lblAllBaudrate->text(), QString());
            QCOMPARE(f->lblAllStopbit->text(), QString());
            QVERIFY(!f->cmbModbus->isEnabled());
        } else {
            // A Modbus model of no ports: the panel, but no indicators.
            QCOMPARE(f->lblModel->text(), QStringLiteral("4630MX"));
            QVERIFY(f->cmbModbus->isEnabled());
            QVERIFY(f->Label11->isVisible());
            QCOMPARE(f->lblAllModbusSet->text(), QStringLiteral("ZZ"));
            for (size_t i = 0; i < 8; ++i) {
                QVERIFY(!f->imgModBus[i]->isVisible());
                QCOMPARE(f->lblDataformat[i]->text(), QStringLiteral("0"));
            }
        }
    }

    // No prompt: the warning, one CR and nothing more. Launcher port COM3.
    void silentDeviceGetsTheWarning()
    {
        m_dev->setSilent(true);
        m_dev->attachAs(3);
        qputenv("RM4630K_COM1", "/dev/rm4630k-missing");
        LauncherState::instance().setComPort(QStringLiteral("COM3"));
        frmTerminal *f = load();
        QVERIFY(f);
        QCOMPARE(f->MSComm1->CommPort(), 3);
        auto *warning = Windows::loaded<ConfigurationWarning>(kWarning);
        QVERIFY(warning);
        QVERIFY(!warning->isModal());
        QVERIFY(m_dialogs->shown().isEmpty());
        QVERIFY(f->isVisible());
        QCOMPARE(m_dev->received(), QByteArray("\r"));
        QVERIFY(f->MSComm1->PortOpen());
        for (QPushButton *b : {f->cmdTerminal, f->cmdReboot4630K, f->Command2, f->cmdSetIP,
                               f->cmdSetMask, f->cmdSetGateway, f->cmdBaudrateSet,
                               f->cmdDatabitSet, f->cmdParitySet, f->cmdStopbitSet})
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
        for (QPushButton *b : {f->cmdNvconf, f->cmdDir4630K, f->CmdEXIT, f->Command1})
            QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));
        QVERIFY(!f->cmdModbusSet->isEnabled());
    }

    // Saved settings are applied (tried on a silent device: they come before
    // the prompt check).
    void savedSettingsAreApplied()
    {
        m_dev->setSilent(true);
        saveTerminalSetting("Settings", QStringLiteral("9600,n,8,2"));
        saveTerminalSetting("CommPort", QStringLiteral("3"));
        saveTerminalSetting("Handshaking", QStringLiteral("2"));
        saveTerminalSetting("Echo", QStringLiteral("True"));
        frmTerminal *f = load();
        QVERIFY(f);
        QVERIFY2(m_dialogs->shown().isEmpty(), qPrintable(m_dialogs->messages().join('\n')));
        QCOMPARE(f->MSComm1->Settings(), QStringLiteral("9600,n,8,2"));
        termios tio{};
        QCOMPARE(::tcgetattr(m_dev->slaveFd(), &tio), 0);
        QCOMPARE(::cfgetospeed(&tio), speed_t(B9600));
        QVERIFY(tio.c_cflag & CRTSCTS);
        QCOMPARE(f->MSComm1->Handshaking(), 2);
        // The port number cannot change on an open port: ignored.
        QCOMPARE(f->MSComm1->CommPort(), 1);
        QVERIFY(Module1::Echo);
        // The panel shows the settings the port was opened with.
        QCOMPARE(f->SettingsPanel->text(), QStringLiteral("設定: 57600,n,8,1"));
        QCOMPARE(m_dev->received(), QByteArray("\r"));
        QVERIFY(Windows::loaded(kWarning));
    }

    void unusableSavedSettingEndsTheLoad_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("settings text") << "Settings" << "fast" << "\"fast\"";
        QTest::newRow("settings the line refuses")
            << "Settings" << "9600,e,7,1" << "does not take the settings";
        QTest::newRow("handshaking out of range") << "Handshaking" << "7" << "Invalid handshaking 7";
        QTest::newRow("handshaking not a number") << "Handshaking" << "RTS" << "\"RTS\"";
    }
    void unusableSavedSettingEndsTheLoad()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, shown);
        saveTerminalSetting(key.toLatin1().constData(), value);
        saveTerminalSetting("Echo", QStringLiteral("1"));
        frmTerminal *f = load();
        QVERIFY(f);
        QVERIFY2(oneFailureBox(QStringLiteral("PortView 終端機"), shown),
                 qPrintable(m_dialogs->messages().join('\n')));
        // State b: the port open and shown so, the terminal prepared, nothing sent.
        QVERIFY(f->MSComm1->PortOpen());
        QCOMPARE(f->frontPicture(), f->imgConnected);
        QCOMPARE(f->lblPCIP->text(), QStringLiteral("PC's IP"));
        QVERIFY(!Module1::Echo);
        QVERIFY(f->Send(QStringLiteral("!")));
        QTRY_COMPARE(m_dev->received(), QByteArray("!"));
    }

    void portThatCannotOpen_data()
    {
        QTest::addColumn<bool>("busy");
        QTest::newRow("missing") << false;
        QTest::newRow("busy") << true;
    }
    void portThatCannotOpen()
    {
        QFETCH(bool, busy);
        QSerialPort other(m_dev->slavePath());
        if (busy)
            QVERIFY(other.open(QIODevice::ReadWrite));
        else
            qputenv("RM4630K_COM1", "/dev/rm4630k-missing");
        saveTerminalSetting("Echo", QStringLiteral("True"));
        frmTerminal *f = load();
        QVERIFY(f);
        QVERIFY2(oneFailureBox(QStringLiteral("4630K"), busy ? QStringLiteral("in use")
                                                            : QStringLiteral("rm4630k-missing")),
                 qPrintable(m_dialogs->messages().join('\n')));
        // State a.
        QVERIFY(f->isVisible());
        QCOMPARE(f->width(), twips(frmTerminal::kNarrowWidth));
        QVERIFY(!f->MSComm1->PortOpen());
        QCOMPARE(f->frontPicture(), f->imgNotConnected);
        QCOMPARE(f->SettingsPanel->text(), QStringLiteral("設定:"));
        QCOMPARE(applicationTitle(), QStringLiteral("4630K"));
        QVERIFY(!Module1::Echo);
        QCOMPARE(m_dev->received(), QByteArray());
        // The window stays usable: once the port is free the picture opens it.
        other.close();
        qputenv("RM4630K_COM1", m_dev->slavePath().toLocal8Bit());
        QTest::mouseClick(f->imgNotConnected, Qt::LeftButton);
        QVERIFY(f->MSComm1->PortOpen());
    }

    // A close request during the load waits for it; a second exchange is
    // refused meanwhile.
    void closeDuringTheLoad()
    {
        bool refused = false;
        QTimer::singleShot(300, this, [&refused] {
            frmTerminal *f = Windows::loaded<frmTerminal>(kTerminal);
            QVERIFY(f);
            ConsoleGuard::Scope second = f->BeginOperation();
            refused = !second && f->StatusPanel->text().contains(TerminalLogic::kBusyText);
            Windows::unload(kTerminal);
        });
        QPointer<frmTerminal> f = load();
        QVERIFY(refused);
        QTRY_COMPARE(m_dev->received(), QByteArray("\rNVCONF\rQ"));
        QTRY_VERIFY(f.isNull());
        QVERIFY(!Windows::loaded(kTerminal));
    }

    void deviceVanishesDuringTheLoad()
    {
        QTimer::singleShot(300, m_dev.get(), &SimulatedDevice::vanish);
        frmTerminal *f = load();
        QVERIFY(f);
        QVERIFY(oneFailureBox(QStringLiteral("PortView 終端機"), QStringLiteral("no longer available")));
        QVERIFY(!f->MSComm1->PortOpen());
        QCOMPARE(f->frontPicture(), f->imgNotConnected);
        QCOMPARE(f->cmbComSet->count(), 0);
        QVERIFY(f->isVisible());
        QVERIFY(!Windows::loaded(kWarning));
    }
};

QTEST_MAIN(TstTerminalLoad)
#include "tst_terminalload.moc"
