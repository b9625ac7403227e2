// The Modbus/TCP client's texts: a frame typed in hexadecimal, the lines that
// show the bytes a server sends back, and the numbers typed into its boxes.

#include "fuzz/fuzzcheck.h"

#include "modbus/modbustext.h"

#include <limits>
#include <utility>

using namespace ModbusText;

namespace {

// The bytes that hexadecimal lines show (blanks and arrows between them).
QByteArray bytesShown(const QString &lines)
{
    return QByteArray::fromHex(lines.toLatin1());
}

void checkFrame(const QString &text)
{
    const ParsedFrame frame = parseFrame(text);
    FUZZ_CHECK(frame.ok() == !frame.bytes.isEmpty());
    if (!frame.ok())
        return;
    // One byte per blank-separated token, each the token's value.
    const QStringList tokens = text.split(u' ', Qt::SkipEmptyParts);
    FUZZ_CHECK(tokens.size() == frame.bytes.size());
    FUZZ_CHECK(frame.bytes.size() >= kMinFrameBytes);
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        bool ok = false;
        FUZZ_CHECK(tokens[i].toUInt(&ok, 16) == static_cast<quint8>(frame.bytes[i]) && ok);
    }
    // The line that shows it sent reads back as the same frame.
    const QString line = sendLine(frame.bytes);
    FUZZ_CHECK(line.size() == 3 * frame.bytes.size() + 4);
    FUZZ_CHECK(line.mid(18, 4) == QLatin1String("--> "));
    const ParsedFrame again = parseFrame(QString(line).remove(QLatin1String("--> ")));
    FUZZ_CHECK(again.ok() && again.bytes == frame.bytes);
    FUZZ_CHECK(bytesShown(line) == frame.bytes);
}

void checkReceived(const QByteArray &block)
{
    const QStringList lines = receiveLines(block);
    QStringList viewed;
    forEachReceiveLine(block, [&viewed](QLatin1StringView line) { viewed << QString(line); });
    FUZZ_CHECK(viewed == lines);

    // The first line shows bytes 0 to 17 as a sent frame is shown; each
    // further line up to twelve more behind the indent.
    const qsizetype n = block.size();
    FUZZ_CHECK(lines.size() == (n <= 18 ? 1 : 1 + (n - 18 + kBytesPerLine - 1) / kBytesPerLine));
    FUZZ_CHECK(lines.first() == sendLine(block.left(18)));
    const QString indent(kIndent, u' ');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        FUZZ_CHECK(lines[i].startsWith(indent));
        FUZZ_CHECK(lines[i].size() > kIndent && lines[i].size() <= kIndent + 3 * kBytesPerLine);
    }
    FUZZ_CHECK(bytesShown(lines.join(QString())) == block);
}

void checkNumber(const QString &text)
{
    // The server port box takes any 32-bit number.
    for (const auto &[low, high] :
         {std::pair<qint64, qint64>{std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()},
          {0, kMaxIntervalMs}}) {
        const auto v = wholeNumber(text, low, high);
        FUZZ_CHECK(!v || (*v >= low && *v <= high));
    }
    const auto ms = intervalMs(text);
    FUZZ_CHECK(!ms || (*ms >= 0 && *ms <= kMaxIntervalMs));
    // The whole text is the number, never only its start.
    FUZZ_CHECK(!wholeNumber(text + u'x', std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
    FUZZ_CHECK(intervalError(text).contains(text));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = Fuzz::bytes(data, size);
    // Typed text: any character the box takes.
    const QString text = QString::fromUtf8(bytes);
    checkFrame(text);
    checkFrame(QString::fromLatin1(bytes));
    checkReceived(bytes);
    if (size <= 64)
        checkNumber(text);
    return 0;
}
