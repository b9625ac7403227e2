#pragma once

// Small helpers shared by the benchmarks: the headless start, a dialogs seam
// that counts the boxes, medians, running the event loop until something has
// happened, a probe of the event loop's longest stall, the memory in use, and
// console-like text to feed the terminal.

#include "app/codepage.h"
#include "app/dialogs.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <vector>

// Benchmarks run headless unless the caller chose a platform; call before
// the application object is made.
inline void useOffscreenUnlessSet()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Any box the window shows during a run is a failure of the run.
class CountingDialogs : public Dialogs
{
public:
    QStringList texts;
    QMessageBox::StandardButton message(QWidget *, const QString &text,
                                        QMessageBox::StandardButtons, QMessageBox::Icon,
                                        const QString &) override
    {
        texts << text;
        return QMessageBox::Ok;
    }
    QString input(QWidget *, const QString &, const QString &, const QString &) override
    {
        return QString();
    }
    QString openFile(QWidget *, const QString &, const QString &) override { return QString(); }
    QString saveFile(QWidget *, const QString &, const QString &) override { return QString(); }
};

// Heap in use, in bytes.
inline double heapInUse()
{
    return static_cast<double>(mallinfo2().uordblks);
}

// Resident memory of the process, in bytes.
inline double residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toDouble() * double(sysconf(_SC_PAGESIZE)) : 0;
}

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
