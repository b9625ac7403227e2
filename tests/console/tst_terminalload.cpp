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
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSerialPort>
#include <QTest>
#include <QTimer>

namespace {


// When the device first received a group of bytes that starts with c.
qint64 arrival(const SimulatedDevice &dev, char c)
{
    for (const SimulatedDevice::Arrival &a : dev.arrivals()) {
        if (a.bytes.startsWith(c))
            return a.ms;
    }
    return -1;
}

// What a load read and proposed, in one line: port, device IP, model, baud
// rates, proposed IP / mask, PC gateway > proposed gateway, device ports,
// Modbus panel, its mask and its indicators (R red, g gray, - hidden) with
// the per-port flags.
QString readBack(const frmTerminal *f)
{
    auto octets = [](const std::array<QLineEdit *, 4> &boxes) {
        QStringList t;
        for (const QLineEdit *b : boxes)
            t << b->text();
        return t.join(u'.');
    };
    QString lights;
    QString flags;
    for (size_t i = 0; i < 8; ++i) {
        const bool red = f->imgModBus[i]->pixmap().cacheKey() == f->imgRed->pixmap().cacheKey();
        lights += !f->imgModBus[i]->isVisible() ? u'-' : red ? u'R' : u'g';
        flags += f->lblDataformat[i]->text();
    }
    const bool modbus =
        f->cmbModbus->isEnabled() && f->cmdModbusSet->isEnabled() && f->Label11->isVisible();
    return QStringList{f->Label10->text() + u' ' + QString::number(f->MSComm1->CommPort()),
                       f->txtALLIP->text(), f->lblModel->text(), f->lblAllBaudrate->text(),
                       octets(f->txtIP), octets(f->txtMask),
                       f->lblPCGateway->text() + u'>' + octets(f->txtGateway),
                       QString::number(f->cmbComSet->count()) + u' ' + f->cmbComSet->currentText(),
                       modbus ? QStringLiteral("Modbus") : QStringLiteral("-"),
                       f->lblAllModbusSet->text(), lights + u'/' + flags}
        .join(QStringLiteral(" | "));
}

} // namespace

// The configuration window's load against the simulated device.
class TstTerminalLoad : public ConsoleWindowTest
{
    Q_OBJECT

private:

    frmTerminal *load()
    {
        Windows::show(WindowName::frmTerminal);
        return Windows::loaded<frmTerminal>(WindowName::frmTerminal);
    }
    // The load showed exactly one box: a failure with the exclamation icon.
    bool oneFailureBox(const QString &title, const QString &part)
    {
        const QList<ScriptedDialogs::Shown> &shown = m_dialogs->shown();
        return shown.size() == 1 && shown.first().icon == QMessageBox::Warning
               && shown.first().buttons == QMessageBox::Ok && shown.first().title == title
               && shown.first().text.contains(part);
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
    }
    void cleanup()
    {
        Windows::clear();
        m_dev.reset();
        m_dialogs.reset();
    }

    void completeLoad_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QStringList>("launcher"); // port, PC IP, PC gateway
        QTest::addColumn<int>("replyDelayMs");
        QTest::addColumn<QString>("menuLine"); // replaces the screen's line of that start
        QTest::addColumn<QString>("shown");
        const QString bauds =
            QStringLiteral("1:57600 2:9600 3:9600 4:9600 5:9600 6:9600 7:9600 8:9600");
        // The mask 5 shows as "05": ports 1 and 3 on. The launcher keeps the
        // gateway as 16 characters, NULs included.
        QTest::newRow("Modbus model")
            << "4630M4" << QStringList{"COM1", "192.168.1.10", "192.168.1.1" + QString(5, QChar(0))}
            << 0 << "U : Modify fUnction 5\r"
            << "COM1 1 | 192.  9. 40.100 | 4630M4 | " + bauds + " | 192.168.1.11 | 255.255.255.0"
                   " | 192.168.1.1>192.168.1.1 | 4 COM1 | Modbus | 05 | RgRg----/10100000";
        QTest::newRow("slow eight-port model, last octet 255, no gateway")
            << " 46308" << QStringList{"COM1", "192.168.1.255", ""} << 250 << ""
            << "COM1 1 | 192.  9. 40.100 | 46308 | " + bauds + " | 192.168.1.256 | 255.255.255.0"
                   " | >... | 8 COM1 | - | AllModbusSet | --------/";
        // A Modbus model of no ports: the panel, but no indicators and no
        // device ports. A typed port name keeps the design's port; the
        // launcher's unset caption proposes nothing.
        QTest::newRow("bad model digit, mask not hex")
            << "4630MX" << QStringList{"COM7", LauncherState::kUnset, ""} << 0
            << "U : Modify fUnction ZZ\r"
            << "COM7 1 | 192.  9. 40.100 | 4630MX | " + bauds + " | ... | 255.255.255.0"
                   " | >... | 0  | Modbus | ZZ | --------/00000000";
    }
    void completeLoad()
    {
        QFETCH(QString, model);
        QFETCH(QStringList, launcher);
        QFETCH(int, replyDelayMs);
        QFETCH(QString, menuLine);
        QFETCH(QString, shown);
        m_dev->settings().model = model;
        m_dev->setReplyDelay(replyDelayMs);
        m_dev->setScreenFilter([line = menuLine.toLatin1()](const QByteArray &s) {
            const qsizetype at = line.isEmpty() ? -1 : s.indexOf(line.left(20));
            return at < 0 ? s : s.left(at) + line + s.mid(s.indexOf('\r', at) + 1);
        });
        LauncherState::instance().setComPort(launcher.at(0));
        LauncherState::instance().setPcIp(launcher.at(1));
        LauncherState::instance().setPcGateway(launcher.at(2));
        LauncherState::instance().setPcMask(QStringLiteral("255.255.255.0"));
        frmTerminal *f = load();
        QVERIFY(f && f->isVisible());
        QVERIFY2(m_dialogs->shown().isEmpty(), qPrintable(m_dialogs->messages().join('\n')));
        QVERIFY(!Windows::loaded(WindowName::ConfigurationWarning));

        // What went to the device, in order, with the waits between.
        QTRY_COMPARE(m_dev->received(), QByteArray("\rNVCONF\rQ"));
        QVERIFY(arrival(*m_dev, 'N') - arrival(*m_dev, '\r') >= 1000);
        QVERIFY(arrival(*m_dev, 'Q') - arrival(*m_dev, 'N') >= 700);
        QCOMPARE(readBack(f), shown);

        // Window, port and pane; no saved settings: nothing changes.
        // 6090 twips with the borders (135 twips, as 11625 is to the design's
        // 11490): no sliver of the terminal pane shows.
        QCOMPARE(f->width(), twips(6090 - 135));
        QVERIFY(f->txtTerm->mapTo(f, QPoint(0, 0)).x() >= f->width());
        const QRect screen = f->screen()->geometry();
        QCOMPARE(f->x(), screen.left() + (screen.width() - f->width()) / 2);
        QVERIFY(f->MSComm1->PortOpen() && f->frontPicture() == f->imgConnected);
        QCOMPARE(f->SettingsPanel->text(), QStringLiteral("設定: 57600,n,8,1"));
        QCOMPARE(f->txtTerm->palette().color(QPalette::Text), QColor(0, 0, 255));
        QCOMPARE(applicationTitle(), QStringLiteral("PortView 終端機"));
        QVERIFY(!Module1::Echo);
    }

    // A port that cannot be opened ends the load at once; a saved setting
    // that cannot be used ends it with the port open. Either way one box
    // says why, nothing is sent, and the window stays usable.
    void loadStopsAtAFailure_data()
    {
        QTest::addColumn<QString>("setup"); // "missing", "busy" or a saved "key=value"
        QTest::addColumn<QString>("shown");
        QTest::newRow("port missing") << "missing" << "rm4630k-missing";
        QTest::newRow("port busy") << "busy" << "in use";
        QTest::newRow("settings the line refuses") << "Settings=9600,e,7,1" << "does not take";
        QTest::newRow("handshaking out of range") << "Handshaking=7" << "Invalid handshaking 7";
        QTest::newRow("handshaking not a number") << "Handshaking=RTS" << "\"RTS\"";
    }
    void loadStopsAtAFailure()
    {
        QFETCH(QString, setup);
        QFETCH(QString, shown);
        const bool opens = setup.contains(u'=');
        QSerialPort other(m_dev->slavePath());
        if (setup == QLatin1String("busy"))
            QVERIFY(other.open(QIODevice::ReadWrite));
        else if (setup == QLatin1String("missing"))
            qputenv("RM4630K_COM1", "/dev/rm4630k-missing");
        else
            saveTerminalSetting(setup.section(u'=', 0, 0).toLatin1().constData(),
                                setup.section(u'=', 1));
        frmTerminal *f = load();
        QVERIFY(f && f->isVisible());
        QCOMPARE(applicationTitle(), opens ? TerminalLogic::kTitle : QStringLiteral("4630K"));
        QVERIFY2(oneFailureBox(applicationTitle(), shown),
                 qPrintable(m_dialogs->messages().join('\n')));
        QCOMPARE(f->MSComm1->PortOpen(), opens);
        QCOMPARE(f->frontPicture(), opens ? f->imgConnected : f->imgNotConnected);
        QCOMPARE(f->lblPCIP->text(), QStringLiteral("PC's IP"));
        QCOMPARE(m_dev->received(), QByteArray());
        other.close();
        qputenv("RM4630K_COM1", m_dev->slavePath().toLocal8Bit());
        if (!opens)
            QTest::mouseClick(f->imgNotConnected, Qt::LeftButton);
        QVERIFY(f->Send(QStringLiteral("!")));
        QTRY_COMPARE(m_dev->received(), QByteArray("!"));
    }

    // A saved-settings file that is no regular file (here a folder) is said
    // once, naming it; the load goes on with the defaults.
    void savedSettingsFileNotRegular()
    {
        const QString file = QSettings(QStringLiteral("RM4630K"), TerminalLogic::kTitle).fileName();
        QFile::remove(file);
        QVERIFY(QDir().mkpath(file));
        const auto remove = qScopeGuard([&file] { QDir().rmdir(file); });
        frmTerminal *f = load();
        QVERIFY(f && f->isVisible());
        QCOMPARE(m_dialogs->messages(),
                 QStringList{"The settings file " + file
                             + " is not a regular file: it is neither read nor written, and "
                               "the defaults apply."});
        QCOMPARE(f->SettingsPanel->text(), QStringLiteral("設定: 57600,n,8,1"));
        QTRY_COMPARE(m_dev->received(), QByteArray("\rNVCONF\rQ"));
        QVERIFY(QDir(file).isEmpty());
    }

    // A close request during the load waits for it; a second exchange is
    // refused meanwhile.
    void closeDuringTheLoad()
    {
        bool refused = false;
        QTimer::singleShot(300, this, [&refused] {
            frmTerminal *f = Windows::loaded<frmTerminal>(WindowName::frmTerminal);
            QVERIFY(f);
            refused = !f->beginOperation()
                      && f->StatusPanel->text().contains(TerminalLogic::kBusyText);
            Windows::unload(WindowName::frmTerminal);
        });
        QPointer<frmTerminal> f = load();
        QVERIFY(refused);
        QTRY_COMPARE(m_dev->received(), QByteArray("\rNVCONF\rQ"));
        QTRY_VERIFY(f.isNull() && !Windows::loaded(WindowName::frmTerminal));
    }

    void deviceVanishesDuringTheLoad()
    {
        QTimer::singleShot(300, m_dev.get(), &SimulatedDevice::vanish);
        frmTerminal *f = load();
        QVERIFY(f && f->isVisible());
        QVERIFY(oneFailureBox(TerminalLogic::kTitle, QStringLiteral("no longer available")));
        QVERIFY(!f->MSComm1->PortOpen() && f->frontPicture() == f->imgNotConnected);
        QCOMPARE(f->cmbComSet->count(), 0);
        QVERIFY(!Windows::loaded(WindowName::ConfigurationWarning));
    }
};

QTEST_MAIN(TstTerminalLoad)
#include "tst_terminalload.moc"
