#pragma once

#include "app/dialogs.h"
#include "app/launcherstate.h"
#include "app/module1.h"
#include "console/mscomm.h"
#include "console/terminallogic.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/simulateddevice.h"

#include <QElapsedTimer>
#include <QList>
#include <QSettings>
#include <QString>

#include <memory>

// Program-wide state that a window test must start from.
inline void resetProgramState()
{
    setApplicationTitle(QStringLiteral("4630K"));
    Module1::Echo = false;
    LauncherState::instance().reset();
    QSettings(QStringLiteral("RM4630K"), TerminalLogic::kTitle).clear();
}

inline void saveTerminalSetting(const char *key, const QString &value)
{
    QSettings(QStringLiteral("RM4630K"), TerminalLogic::kTitle)
        .setValue(QStringLiteral("Properties/") + QLatin1String(key), value);
}

// Times are taken when the window hands bytes to the port; waits count whole
// milliseconds.
inline constexpr int kToleranceMs = 2;

// Bytes the window writes, at least waitMs after the group before them.
struct Step
{
    int waitMs;
    QByteArray bytes;
};

// Empty when the device received exactly the steps' bytes and the window sent
// each group at least its wait after the one before; otherwise what differs.
inline QString lineProblem(const SimulatedDevice &dev, const QList<SimulatedDevice::Arrival> &sent,
                    const QList<Step> &steps)
{
    QList<qint64> at; // time at which the window sent every byte
    for (const SimulatedDevice::Arrival &a : sent)
        at.append(QList<qint64>(a.bytes.size(), a.ms));
    QByteArray expected;
    for (const Step &s : steps) {
        const qsizetype i = expected.size();
        expected += s.bytes;
        if (i > 0 && i < at.size() && at[i] - at[i - 1] < s.waitMs - kToleranceMs)
            return QString::fromLatin1(s.bytes.toPercentEncoding()) + " came too soon";
    }
    if (dev.received() == expected)
        return QString();
    return QString::fromLatin1("got " + dev.received().toPercentEncoding() + " wanted "
                               + expected.toPercentEncoding());
}

// What a console window's test holds: the device, the dialogs, and what the
// window handed to its port with the time (for CHECK_LINE). The device, the
// dialogs and the clock are the test's to start.
class ConsoleWindowTest : public QObject
{
protected:
    std::unique_ptr<SimulatedDevice> m_dev;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    QList<SimulatedDevice::Arrival> m_sent;
    QElapsedTimer m_clock;

    void follow(const MSComm *port)
    {
        connect(port, &MSComm::outputQueued, this,
                [this](const QByteArray &b) { m_sent.append({m_clock.elapsed(), b}); });
    }
    // Forgets what the device received, what was sent, and the boxes shown.
    void clearRecords()
    {
        m_dev->clearRecord();
        m_sent.clear();
        m_dialogs->clear();
    }
};

// In a test class whose device is m_dev and that records in m_sent what the
// window hands to its port.
#define CHECK_LINE(...)                                                                        \
    QTRY_VERIFY2(lineProblem(*m_dev, m_sent, __VA_ARGS__).isEmpty(),                           \
                 qPrintable(lineProblem(*m_dev, m_sent, __VA_ARGS__)))
