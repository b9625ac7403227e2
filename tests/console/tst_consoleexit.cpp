#include "app/windows.h"
#include "console/configurationwarning.h"
#include "console/console.h"
#include "console/controls.h"
#include "console/frmterminal.h"
#include "console/mscomm.h"
#include "tests/console/consoletestutil.h"
#include "tests/console/linecheck.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/simulateddevice.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {
const QString kTerminal = QStringLiteral("frmTerminal");
const QString kWarning = QStringLiteral("ConfigurationWarning");
} // namespace

// Leaving the configuration window by EXIT. Each case starts from a load that
// found no prompt (the quickest load), so the warning is open too.
class TstConsoleExit : public QObject
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
        QVERIFY(m_term && m_warning);
        m_dev->clearRecord();
    }
    void cleanup()
    {
        Windows::clear();
        m_dev.reset();
        m_dialogs.reset();
    }

    void exitLeavesTheMenuAndClosesBoth()
    {
        QElapsedTimer clock;
        clock.start();
        m_term->CmdEXIT->click();
        QVERIFY(clock.elapsed() >= 500);
        QTRY_VERIFY(m_term.isNull() && m_warning.isNull());
        QCOMPARE(m_dev->received(), QByteArray("Q\r"));
    }

    void exitWithThePortClosedSendsNothing()
    {
        QTest::mouseClick(m_term->imgConnected, Qt::LeftButton);
        QVERIFY(!m_term->MSComm1->PortOpen());
        QElapsedTimer clock;
        clock.start();
        m_term->CmdEXIT->click();
        QVERIFY(clock.elapsed() < 500);
        QTRY_VERIFY(m_term.isNull() && m_warning.isNull());
        QVERIFY(m_dialogs->shown().isEmpty());
        // Nothing reached the device: a port opened now gets only our marker.
        MSComm port;
        QVERIFY(port.setPortOpen(true));
        QVERIFY(port.Output(QStringLiteral("!")));
        QTRY_COMPARE(m_dev->received(), QByteArray("!"));
    }

    // EXIT during the file listing: the listing ends, then EXIT runs whole.
    void exitWaitsForTheRunningOperation()
    {
        QString status;
        QTimer::singleShot(50, this, [&] {
            m_term->CmdEXIT->click();
            status = m_term->StatusPanel->text();
        });
        m_term->cmdDir4630K->click();
        QVERIFY(status.contains(TerminalLogic::kBusyText));
        QVERIFY(m_term); // still here when the listing has ended
        QTRY_VERIFY(m_term.isNull() && m_warning.isNull());
        const QList<LineStep> line{{0, "Q"}, {100, "\r"}, {100, "DIR\r"}, {0, "Q\r"}};
        QVERIFY2(lineProblem(*m_dev, line).isEmpty(), qPrintable(lineProblem(*m_dev, line)));
    }
};

QTEST_MAIN(TstConsoleExit)
#include "tst_consoleexit.moc"
