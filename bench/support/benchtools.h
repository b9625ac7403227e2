#pragma once

// Small helpers shared by the benchmarks: medians, running the event loop
// until something has happened, a probe of the event loop's longest stall,
// and console-like text to feed the terminal.

#include "app/codepage.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <vector>

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

inline void runEventLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop, looking every pollMs, until done() or timeoutMs; false
// on the timeout.
inline bool runEventLoopUntil(const std::function<bool()> &done, int timeoutMs, int pollMs = 1)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        runEventLoopFor(pollMs);
    }
    return true;
}

// Longest gap between ticks of a 1 ms timer while it runs.
class StallProbe
{
public:
    StallProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
    }
    void start()
    {
        m_longest = 0;
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    double stopMs()
    {
        m_timer.stop();
        return m_longest / 1e6;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

// Console-like text of at most maxBytes: numbered lines with CR LF, some in
// Chinese (double-byte characters that arrivals may split), ending with a
// whole line.
inline QByteArray consoleText(qsizetype maxBytes)
{
    QByteArray out;
    out.reserve(maxBytes + 128);
    const QByteArray chinese = Cp950::fromUnicode(QStringLiteral("設定完成，連線正常。"));
    for (int line = 0; out.size() < maxBytes; ++line) {
        out += QByteArray::number(line).rightJustified(8, '0');
        out += line % 7 == 0 ? " " + chinese + " status ok"
                             : QByteArray(" I : Modify IP ADDR  192.  9. 40.100 ");
        out += "\r\n";
    }
    out.truncate(out.lastIndexOf('\n', maxBytes - 1) + 1);
    return out;
}
