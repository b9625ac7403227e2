#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Texts of the Modbus/TCP client: frames typed in hexadecimal, the lines that
// show frames sent and bytes received, the statistics formats, the data log
// lines and the numbers typed into its boxes.
namespace ModbusText {

// The unit identifier and the function code are bytes 6 and 7: a shorter frame
// is no Modbus/TCP request.
constexpr int kMinFrameBytes = 8;
// Bytes shown behind the header on the first line of a reply and on each line after it.
constexpr int kBytesPerLine = 12;
// Continuation lines of a reply start with this many blanks.
constexpr int kIndent = 35;

struct ParsedFrame
{
    QByteArray bytes;
    // Empty when the text is a frame; otherwise what is wrong with it.
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// A frame typed as hexadecimal bytes separated by blanks ("10 20 00 00 00 06
// 21 04 00 00 00 40"). Runs of blanks only separate; each token is a hex
// number of any length from 0 to FF.
ParsedFrame parseFrame(const QString &text);

// "10 20 00 00 00 06 --> 21 04 00 00 00 40 ": each byte and a blank, the arrow
// before byte 6.
QString sendLine(const QByteArray &frame);

// The lines that show one block received: the first holds bytes 0 to 17 (the
// arrow before byte 6), each further line twelve bytes behind kIndent blanks.
QStringList receiveLines(const QByteArray &block);
// The same lines handed one by one to sink, without allocating: each view is
// valid only during its call.
void forEachReceiveLine(const QByteArray &block, const std::function<void(QLatin1StringView)> &sink);

// 0.25 gives "25.00 %": the ratio times 100, two decimals, a blank and "%".
QString percentText(double ratio);
// Lost packets as a share of those sent; "0.00 %" when nothing was sent.
QString diffPercentText(qint64 sentPackets, qint64 receivedPackets);
// At least three integer digits and one decimal: 8.26 gives "008.3".
QString averageText(double ms);
// Milliseconds per packet; "000.0" when no packet (or no number) is given.
QString averageText(double elapsedMs, double packets);

// The clock's texts: date and time for polling and the log, time of day for
// the timer mode.
QString dateTimeText(const QDateTime &when);
QString timeOfDayText(const QTime &when);
// The time that these texts are taken from; tests may fix it.
QDateTime now();
void setFixedNow(const QDateTime &when);

// Data log lines, without their line end.
QString sendLogLine(const QDateTime &when, const QString &sendLine);
QString receiveLogLine(const QString &lastDisplayLine);

// A number typed into a box, rounded to the nearest whole number (halves to
// even); nullopt when the text is no number or the result is out of range.
std::optional<qint64> wholeNumber(const QString &text, qint64 min, qint64 max);
// The timer interval in ms, 0 to 32767.
constexpr qint64 kMaxIntervalMs = 32767;
std::optional<int> intervalMs(const QString &text);
// What the user is told when the interval text is refused.
QString intervalError(const QString &text);

} // namespace ModbusText
