// The network client's readings of Portd's replies and of its port box: the
// module name with its port count, the code 16 settings, the Modbus status,
// the control port typed by the user and the data ports it gives.

#include "fuzz/fuzzcheck.h"

#include "app/codepage.h"
#include "netclient/portd.h"

#include <cmath>
#include <cstdlib>

using namespace Portd;

namespace {

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

bool allAsciiDigits(QStringView text)
{
    for (const QChar c : text) {
        if (!isAsciiDigit(c))
            return false;
    }
    return !text.isEmpty();
}

// A decimal text without its leading zeros ("0" for zeros only).
QStringView withoutLeadingZeros(QStringView digits)
{
    while (digits.size() > 1 && digits.front() == u'0')
        digits = digits.mid(1);
    return digits;
}

void checkModuleName(const QString &reply)
{
    const ModuleName m = readModuleName(reply);
    // The Modbus variant exactly when the fifth character is "M".
    const bool fifthM = reply.size() >= 5 && reply.at(4) == u'M';
    FUZZ_CHECK(m.modbus == fifthM);
    FUZZ_CHECK(isModbusVariant(reply) == fifthM);

    // The count piece is the text between the first and the second
    // separator, or from the first to the end.
    const QChar separator = QLatin1Char(fifthM ? 'M' : 'E');
    const qsizetype first = reply.indexOf(separator);
    FUZZ_CHECK(m.hasCount == (first >= 0));
    if (!m.hasCount) {
        FUZZ_CHECK(m.countText.isEmpty() && !m.portCount);
        return;
    }
    FUZZ_CHECK(!m.countText.contains(separator));
    FUZZ_CHECK(QStringView(reply).mid(first + 1).startsWith(m.countText));
    const qsizetype end = first + 1 + m.countText.size();
    FUZZ_CHECK(end == reply.size() || reply.at(end) == separator);
    FUZZ_CHECK(portsLabel(m.countText) == m.countText + QStringLiteral(" COM Ports"));

    // A port count is never outside 1 to 8 and is the number the piece shows;
    // a count written plainly is read.
    const QString trimmed = m.countText.trimmed();
    if (m.portCount) {
        FUZZ_CHECK(*m.portCount >= 1 && *m.portCount <= kMaxPorts);
        FUZZ_CHECK(allAsciiDigits(trimmed));
        FUZZ_CHECK(withoutLeadingZeros(trimmed) == QString::number(*m.portCount));
    }
    if (trimmed.size() == 1 && trimmed.at(0) >= u'1' && trimmed.at(0) <= u'8')
        FUZZ_CHECK(m.portCount == trimmed.at(0).unicode() - u'0');

    // The client opens data connections for the ports counted, each at a
    // port of its own: never one beyond the eighth.
    for (int k = 1; k <= m.portCount.value_or(0); ++k)
        FUZZ_CHECK(dataPort(kDefaultControlPort, k) == kDefaultControlPort + k);
}

void checkPortSettings(const QString &reply)
{
    const PortSettings s = readPortSettings(reply);
    const qsizetype n = reply.size();
    // Fields of one character at most, read from the right; the baud rate is
    // what stands before the last six characters.
    FUZZ_CHECK(s.databits.size() <= 1 && s.parity.size() <= 1 && s.stopbits.size() <= 1);
    FUZZ_CHECK(s.stopbits.isEmpty() == (n < 1));
    FUZZ_CHECK(s.parity.isEmpty() == (n < 3));
    FUZZ_CHECK(s.databits.isEmpty() == (n < 5));
    FUZZ_CHECK(s.baudrate.isEmpty() == (n <= 6));
    if (n >= 6) {
        // With the three separators between them the fields are the reply.
        const QString rebuilt = s.baudrate + reply.at(n - 6) + s.databits + reply.at(n - 4)
                                + s.parity + reply.at(n - 2) + s.stopbits;
        FUZZ_CHECK(rebuilt == reply);
    } else {
        // Shorter: each field present is the reply's character at its place.
        FUZZ_CHECK(reply.endsWith(s.stopbits));
        FUZZ_CHECK(s.parity.isEmpty() || s.parity.at(0) == reply.at(n - 3));
        FUZZ_CHECK(s.databits.isEmpty() || s.databits.at(0) == reply.at(n - 5));
    }

    // Settings written in the reply's form ("19200,8,0,1") read back.
    const QStringList parts = reply.split(u',');
    if (parts.size() == 4 && parts[1].size() == 1 && parts[2].size() == 1 && parts[3].size() == 1) {
        FUZZ_CHECK(s.baudrate == parts[0] && s.databits == parts[1] && s.parity == parts[2]
                   && s.stopbits == parts[3]);
    }
}

// The number a reply begins with, by the C library: blanks, a sign, digits
// with an optional fraction. Nothing when it does not begin so.
std::optional<double> libraryValue(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == u' ')
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text.at(i) == u'+' || text.at(i) == u'-'))
        ++i;
    qsizetype digits = 0;
    for (; i < text.size() && isAsciiDigit(text.at(i)); ++i)
        ++digits;
    if (i < text.size() && text.at(i) == u'.') {
        for (++i; i < text.size() && isAsciiDigit(text.at(i)); ++i)
            ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    const QByteArray number = text.mid(start, i - start).toLatin1();
    return std::strtod(number.constData(), nullptr);
}

void checkModbusStatus(const QString &reply)
{
    const std::optional<double> v = readModbusStatus(reply);
    FUZZ_CHECK(v == leadingValue(reply));
    // A reply that is no number gives no value, and the labels stay.
    const std::optional<double> expected = libraryValue(reply);
    FUZZ_CHECK(v.has_value() == expected.has_value());
    const std::optional<QString> wording = modbusWording(reply);
    FUZZ_CHECK(wording.has_value() == v.has_value());
    if (!v)
        return;
    FUZZ_CHECK(std::isfinite(*v) && std::fabs(*v) <= 1e15 + 1);
    // The value is the number the reply begins with (long digit runs stop at
    // a limit far beyond any status).
    const double e = std::fabs(*expected);
    if (e < 1e14)
        FUZZ_CHECK(std::fabs(*v - *expected) <= 1e-9 * std::max(1.0, e));
    else
        FUZZ_CHECK(std::fabs(*v) >= 1e14 * (1 - 1e-9));
    FUZZ_CHECK(*wording == (*v == 0 ? QStringLiteral("Modbus Disable") : QStringLiteral("Modbus Enable")));
}

void checkControlPort(const QString &text, Fuzz::Draw &draw)
{
    const std::optional<quint16> port = readControlPort(text);
    const QString trimmed = text.trimmed();
    if (port) {
        FUZZ_CHECK(*port >= 1);
        FUZZ_CHECK(allAsciiDigits(trimmed));
        FUZZ_CHECK(withoutLeadingZeros(trimmed) == QString::number(*port));
    }
    bool ok = false;
    const int plain = trimmed.toInt(&ok);
    if (ok && plain >= 1 && plain <= 65535 && trimmed == QString::number(plain))
        FUZZ_CHECK(port == plain);

    // Data port k is the control port + k, for k = 1 to 8 and within 65535.
    const auto control = static_cast<quint16>(port.value_or(quint16(draw.next())));
    for (int k = -1; k <= kMaxPorts + 1; ++k) {
        const std::optional<quint16> data = dataPort(control, k);
        const bool fits = k >= 1 && k <= kMaxPorts && int(control) + k <= 65535;
        FUZZ_CHECK(data.has_value() == fits);
        FUZZ_CHECK(!data || int(*data) == int(control) + k);
    }
}

// One arrival decoded on its own: whole up to the bound, else its end only,
// ending as the whole arrival's decoding ends wherever a byte that begins no
// double-byte character allows the cut.
void checkReplyText(const QByteArray &arrival, qsizetype wholeBytes)
{
    const QString text = replyText(arrival, wholeBytes);
    const QString whole = Cp950::toUnicode(arrival);
    if (arrival.size() <= wholeBytes) {
        FUZZ_CHECK(text == whole);
        return;
    }
    // Never more than the bytes decoded.
    FUZZ_CHECK(text.size() <= wholeBytes);
    const qsizetype from = arrival.size() - wholeBytes;
    bool anchored = false;
    for (qsizetype i = from - 1; i < arrival.size() - 1; ++i) {
        const auto b = static_cast<unsigned char>(arrival[i]);
        anchored = anchored || b < 0x81 || b == 0xFF;
    }
    if (anchored)
        FUZZ_CHECK(whole.endsWith(text));
    else
        FUZZ_CHECK(text == Cp950::toUnicode(arrival.mid(from)));
}

void checkReply(const QString &reply)
{
    checkModuleName(reply);
    checkPortSettings(reply);
    checkModbusStatus(reply);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = Fuzz::bytes(data, size);
    Fuzz::Draw draw(bytes);
    // A reply as the control connection decodes it (code page 950), and a
    // label or box holding any text.
    checkReply(replyText(bytes));
    checkReplyText(bytes, qsizetype(draw.next() % 64) + 1);
    const QString typed = QString::fromUtf8(bytes);
    checkReply(typed);
    checkReply(QString(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2));
    checkControlPort(typed, draw);
    return 0;
}
