#include "app/windows.h"
#include "console/configurationwarning.h"
#include "console/console.h"
#include "console/controls.h"
#include "console/frmterminal.h"
#include "console/mscomm.h"
#include "tests/console/consoletestutil.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/simulateddevice.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTest>

namespace {
const QString kTerminal = QStringLiteral("frmTerminal");
const QString kWarning = QStringLiteral("ConfigurationWarning");
} // namespace

// The warning after a load that found no prompt, and its Exit.
class TstConfigurationWarning : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SimulatedDevice> m_dev;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
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
        m_dev->attachAs(1);
        Windows::show(kTerminal);
        m_term = Windows::loaded<frmTerminal>(kTerminal);
        m_warning = Windows::loaded<ConfigurationWarning>(kWarning);
        QVERIFY(m_term);
        QVERIFY(m_warning);
        QCOMPARE(m_dev->received(), QByteArray("\r"));
    }
    void cleanup()
    {
        Windows::clear();
        m_dev.reset();
        m_dialogs.reset();
    }

    void exitLeavesTheMenuAndClosesBoth()
    {
        QCOMPARE(m_warning->cmdOK->text(), QStringLiteral("Exit"));
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(m_warning->cmdOK, Qt::LeftButton);
        QVERIFY(clock.elapsed() >= ConfigurationWarning::kExitWaitMs);
        QCOMPARE(m_dev->received(), QByteArray("\rQ\r"));
        QTRY_VERIFY(m_term.isNull() && m_warning.isNull());
        QVERIFY(!Windows::loaded(kTerminal));
        QVERIFY(m_dialogs->shown().isEmpty());
    }

    void exitWithTheStateClosedSendsNothing()
    {
        QTest::mouseClick(m_term->imgConnected, Qt::LeftButton);
        QVERIFY(!m_term->MSComm1->PortOpen());
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(m_warning->cmdOK, Qt::LeftButton);
        QVERIFY(clock.elapsed() < ConfigurationWarning::kExitWaitMs);
        QTRY_VERIFY(m_term.isNull() && m_warning.isNull());
        QCOMPARE(m_dev->received(), QByteArray("\r"));
    }

    // The configuration window went by its close box first: Exit closes
    // what is left.
    void exitAfterTheWindowClosed()
    {
        m_term->close();
        QTRY_VERIFY(m_term.isNull());
        QVERIFY(m_warning);
        QTest::mouseClick(m_warning->cmdOK, Qt::LeftButton);
        QTRY_VERIFY(m_warning.isNull());
        QCOMPARE(m_dev->received(), QByteArray("\r"));
    }

    // While another exchange runs on the window, Exit waits its turn; the
    // dialog's close box does not interrupt a running Exit.
    void exitIsOneExchange()
    {
        {
            ConsoleGuard::Scope busy = m_term->BeginOperation();
            QVERIFY(busy);
            QTest::mouseClick(m_warning->cmdOK, Qt::LeftButton);
            QVERIFY(m_warning && m_term);
            QCOMPARE(m_term->StatusPanel->text(), QStringLiteral("狀態: 裝置通訊中，請稍候"));
        }
        QTimer::singleShot(100, m_warning.data(), [this] { QVERIFY(!m_warning->close()); });
        QTest::mouseClick(m_warning->cmdOK, Qt::LeftButton);
        QTRY_VERIFY(m_term.isNull() && m_warning.isNull());
        QCOMPARE(m_dev->received(), QByteArray("\rQ\r"));
    }
};

QTEST_MAIN(TstConfigurationWarning)
#include "tst_configurationwarning.moc"
