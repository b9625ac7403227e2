#pragma once

#include <QtGlobal>

// The program's millisecond tick counter: 32 bits wide, so it wraps to 0 after
// about 49.7 days, exactly like the counter the timing code was written for.
// Differences of two readings taken as quint32 stay right across the wrap.
namespace TickCount {

quint32 now();

// Shifts the counter so that tests can start a measurement just before the wrap.
void setOffset(quint32 offsetMs);

} // namespace TickCount
