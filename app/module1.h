#pragma once

#include <QString>

// The procedures and flags that all windows share.
namespace Module1 {

// Local echo of keys typed into the serial terminal.
inline bool Echo = false;
// Stop request of a running text-file transmission; false again when it ends.
inline bool CancelSend = false;

// Modbus/TCP client timing, in ms of the tick counter; kept across showings of its window.
inline qint32 PollStartTick = 0, SendTick = 0, ReplyTick = 0, MinTime = 1000, MaxTime = 0;

// Waits ms milliseconds while the event loop keeps running. Always handles the
// pending events at least once, so Delay(0) is a single yield. Waits nest: each
// keeps its own start time. Returns early only when the application is quitting.
void Delay(int ms);

// s followed by the last two upper-case hex digits of the sum of the low bytes
// of its characters' code page 950 codes (one digit when the sum is below 16).
QString AppendChecksum(const QString &s);

// "7\r..." becomes "07"; anything else is returned unchanged.
QString PadSingleDigit(const QString &s);

} // namespace Module1
