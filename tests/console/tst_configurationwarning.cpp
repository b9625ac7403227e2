#include "app/windows.h"
#include "console/configurationwarning.h"
#include "console/console.h"
#include "console/controls.h"
#include "console/frmterminal.h"
#include "console/mscomm.h"
#include "tests/console/consoletestutil.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/simulateddevice.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

// A load that finds no prompt: the warning, and its Exit.
class TstConfigurationWarning : public ConsoleWindowTest
{
    Q_OBJECT

private:
    QPointer<frmTerminal> m_term;
    QPointer<ConfigurationWarning> m_warning;

private slots:
    void init()
    {
        resetProgramState();
        registerConsoleWindows();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_dev = std::make_unique<SimulatedDevice>();
        m_dev->setSilent(true);
        m_dev->attachAs(3);
        qputenv("RM4630K_COM1", "/dev/rm4630k-missing");
        LauncherState::instance().setComPort(QStringLiteral("COM3"));
        saveTerminalSetting("Settings", QStringLiteral("9600,n,8,2"));
        saveTerminalSetting("CommPort", QStringLiteral("1"));
        saveTerminalSetting("Handshaking", QStringLiteral("2"));
        saveTerminalSetting("Echo", QStringLiteral("True"));
        Windows::show(WindowName::frmTerminal);
        m_term = Windows::loaded<frmTerminal>(WindowName::frmTerminal);
        m_warning = Windows::loaded<ConfigurationWarning>(WindowName::ConfigurationWarning);
        QVERIFY(m_term && m_warning);
        QCOMPARE(m_dev->received(), QByteArray("\r"));
    }
    void cleanup()
    {
        Windows::clear();
        m_dev.reset();
        m_dialogs.reset();
    }

    // The saved settings came before the prompt check, the launcher's COM3
    // before them (a port number cannot change on an open port). What needs
    // the device's menu is disabled.
    void loadWithoutPrompt()
    {
        frmTerminal *f = m_term;
        QVERIFY2(m_dialogs->shown().isEmpty(), qPrintable(m_dialogs->messages().join('\n')));
        QVERIFY(f->isVisible() && !m_warning->isModal());
        // It stays in front of the window that was shown after it: it belongs
        // to it (a window manager keeps it above) and stands over it.
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(m_warning.data()));
        QCOMPARE(m_warning->windowHandle()->transientParent(), f->windowHandle());
        QVERIFY((m_warning->geometry().center() - f->geometry().center()).manhattanLength() <= 2);
        const MSComm *port = f->MSComm1;
        QCOMPARE(QStringLiteral("COM%1 %2 %3")
                     .arg(port->CommPort())
                     .arg(port->Settings())
                     .arg(port->Handshaking()),
                 QStringLiteral("COM3 9600,n,8,2 2"));
        QVERIFY(Module1::Echo);
        // The panel shows the settings the port was opened with.
        QCOMPARE(f->SettingsPanel->text(), QStringLiteral("設定: 57600,n,8,1"));
        for (QPushButton *b : {f->cmdTerminal, f->cmdReboot4630K, f->Command2, f->cmdSetIP,
                               f->cmdSetMask, f->cmdSetGateway, f->cmdBaudrateSet,
                               f->cmdDatabitSet, f->cmdParitySet, f->cmdStopbitSet})
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
    }

    // Exit leaves the menu ("Q", CR, 500 ms) when the port is open, and
    // closes what is left of the two windows.
    void exitClosesBoth_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("port open") << "" << QByteArray("\rQ\r");
        QTest::newRow("port closed by its picture") << "close port" << QByteArray("\r");
        QTest::newRow("window gone by its close box") << "close window" << QByteArray("\r");
    }
    void exitClosesBoth()
    {
        QFETCH(QString, before);
        QFETCH(QByteArray, sent);
        if (before == QLatin1String("close port"))
            QTest::mouseClick(m_term->imgConnected, Qt::LeftButton);
        if (before == QLatin1String("close window")) {
            m_term->close();
            QTRY_VERIFY(m_term.isNull());
        }
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(m_warning->cmdOK, Qt::LeftButton);
        QCOMPARE(clock.elapsed() >= ConfigurationWarning::kExitWaitMs, sent.size() > 1);
        QTRY_VERIFY(m_term.isNull() && m_warning.isNull());
        QCOMPARE(m_dev->received(), sent);
        QVERIFY(m_dialogs->shown().isEmpty());
    }

    // While another exchange runs on the window, Exit waits its turn and then
    // runs once, however often it was pressed; the dialog's close box does not
    // interrupt a running Exit.
    void exitIsOneExchange()
    {
        {
            Form::Operation busy = m_term->beginOperation();
            QVERIFY(busy);
            QTest::mouseClick(m_warning->cmdOK, Qt::LeftButton);
            QTest::mouseClick(m_warning->cmdOK, Qt::LeftButton);
            QVERIFY(m_warning && m_term && m_term->MSComm1->PortOpen());
            QCOMPARE(m_term->StatusPanel->text(), QStringLiteral("狀態: 裝置通訊中，請稍候"));
            QCOMPARE(m_dev->received(), QByteArray("\r"));
        }
        QTimer::singleShot(100, m_warning.data(), [this] { QVERIFY(!m_warning->close()); });
        QTRY_VERIFY(m_term.isNull() && m_warning.isNull());
        QCOMPARE(m_dev->received(), QByteArray("\rQ\r"));
    }
};

QTEST_MAIN(TstConfigurationWarning)
#include "tst_configurationwarning.moc"
