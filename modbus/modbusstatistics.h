#pragma once

#include <QtGlobal>

// Bytes and packets sent and received since the statistics were last cleared.
// 64 bits wide: a poll of a long reply at full speed passes 2^31 bytes within
// minutes.
struct ModbusCounters
{
    qint64 sendBytes = 0;
    qint64 sendPackets = 0;
    qint64 recvBytes = 0;
    qint64 recvPackets = 0;

    void clear() { *this = ModbusCounters(); }
    void countSent(qint64 bytes)
    {
        sendBytes += bytes;
        ++sendPackets;
    }
    void countReceived(qint64 bytes)
    {
        recvBytes += bytes;
        ++recvPackets;
    }
    qint64 diffPackets() const { return sendPackets - recvPackets; }
};

// Round trips measured on the 32-bit millisecond tick counter.
namespace RoundTrip {

constexpr qint32 kMinTimeReset = 1000; // ms
constexpr qint32 kMaxTimeReset = 0;    // ms

// Milliseconds from one reading to a later one, right across the wrap-around.
inline qint32 elapsed(qint32 fromTick, qint32 toTick)
{
    return static_cast<qint32>(static_cast<quint32>(toTick) - static_cast<quint32>(fromTick));
}

struct Change
{
    bool max = false;
    bool min = false;
};

// A new round trip: a longer one becomes the maximum, then a shorter one the
// minimum; equal ones change nothing.
inline Change record(qint32 ms, qint32 &minTime, qint32 &maxTime)
{
    Change change;
    if (ms > maxTime) {
        maxTime = ms;
        change.max = true;
    }
    if (ms < minTime) {
        minTime = ms;
        change.min = true;
    }
    return change;
}

} // namespace RoundTrip
