// The serial terminal's saved settings as it applies them when it opens: the
// line settings text ("57600,n,8,1"), the port number, the handshaking code
// and the echo flag, read from the user's settings file.

#include "fuzz/fuzzcheck.h"

#include "console/linesettings.h"
#include "console/terminallogic.h"

namespace {

bool same(const LineSettings &a, const LineSettings &b)
{
    return a.baudRate == b.baudRate && a.parity == b.parity && a.dataBits == b.dataBits
           && a.stopBits == b.stopBits;
}

void checkLineSettings(const QString &text)
{
    QString error;
    const std::optional<LineSettings> s = LineSettings::parse(text, &error);
    FUZZ_CHECK(s.has_value() == LineSettings::parse(text).has_value());
    if (!s) {
        // The message names what was read.
        FUZZ_CHECK(error.contains(text));
        return;
    }
    FUZZ_CHECK(error.isEmpty());
    FUZZ_CHECK(s->baudRate >= 1 && s->baudRate <= 4000000);
    FUZZ_CHECK(s->dataBits >= QSerialPort::Data5 && s->dataBits <= QSerialPort::Data8);
    // Written back, the settings read the same.
    const QString canonical = s->text();
    const std::optional<LineSettings> again = LineSettings::parse(canonical);
    FUZZ_CHECK(again && same(*again, *s) && again->text() == canonical);
    FUZZ_CHECK(canonical.size() <= text.size());
    FUZZ_CHECK(!LineSettings::parse(text + u'x'));
}

void checkNumbers(const QString &text)
{
    const auto n16 = TerminalLogic::toInt16(text);
    const auto n32 = TerminalLogic::toInt32(text);
    // A 16-bit number is a 32-bit one too, of the same value.
    FUZZ_CHECK(!n16 || (n32 && *n32 == *n16));
    // A number is a truth value: not 0 is true.
    const auto flag = TerminalLogic::toBool(text);
    if (n32)
        FUZZ_CHECK(flag && *flag == (*n32 != 0));
    // The whole text is the value, never only its start.
    const QString longer = text + u'x';
    FUZZ_CHECK(!TerminalLogic::toInt32(longer) && !TerminalLogic::toInt16(longer));
    FUZZ_CHECK(!TerminalLogic::toBool(longer));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = Fuzz::bytes(data, size);
    // Settings files are UTF-8; a value may hold any character.
    const QString text = QString::fromUtf8(bytes);
    checkLineSettings(text);
    checkNumbers(text);
    return 0;
}
