#pragma once

#include "tests/support/simulateddevice.h"

#include <QByteArray>
#include <QList>
#include <QString>

// One group of bytes that the window writes to the device, and the wait that
// must come before it (0: none required).
struct LineStep
{
    int waitMs;
    QByteArray bytes;
};

// How much earlier than its wait a group may arrive: the times are taken at
// the device, where the first group can be read a little late.
inline constexpr int kWaitToleranceMs = 40;

// Empty when the device received exactly the steps' bytes, in order, and each
// group that follows a wait arrived at least that wait (less the tolerance)
// after the group before it; otherwise what differs.
inline QString lineProblem(const SimulatedDevice &dev, const QList<LineStep> &steps)
{
    QByteArray expected;
    for (const LineStep &s : steps)
        expected += s.bytes;
    if (dev.received() != expected)
        return QStringLiteral("received %1, expected %2")
            .arg(QString::fromLatin1(dev.received().toPercentEncoding()),
                 QString::fromLatin1(expected.toPercentEncoding()));
    QList<qint64> at; // arrival time of every byte
    for (const SimulatedDevice::Arrival &a : dev.arrivals())
        at.append(QList<qint64>(a.bytes.size(), a.ms));
    qsizetype start = 0;
    for (const LineStep &s : steps) {
        if (start > 0 && s.waitMs > 0) {
            const qint64 gap = at.at(start) - at.at(start - 1);
            if (gap < s.waitMs - kWaitToleranceMs)
                return QStringLiteral("%1 came %2 ms after the bytes before it, expected %3 ms")
                    .arg(QString::fromLatin1(s.bytes.toPercentEncoding()))
                    .arg(gap)
                    .arg(s.waitMs);
        }
        start += s.bytes.size();
    }
    return QString();
}
