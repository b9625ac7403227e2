#include "app/tickcount.h"

#include <QElapsedTimer>

namespace {

QElapsedTimer &monotonicClock()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer;
}

quint32 g_offset = 0;

} // namespace

namespace TickCount {

quint32 now()
{
    // Truncation to 32 bits is the wrap-around.
    return static_cast<quint32>(static_cast<quint64>(monotonicClock().elapsed()) + g_offset);
}

void setOffset(quint32 offsetMs)
{
    g_offset = offsetMs;
}

} // namespace TickCount
