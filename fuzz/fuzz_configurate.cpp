// The older configuration form: the PC's addresses read from the report of
// the system's ipconfig command, the device's menu screen as it arrives from
// the serial port in pieces (the receive text with its cap and its display,
// the addresses read from it), and the octets proposed from both.
//
// Input: a first byte (bit 0: the receive text is nearly full already), then
// bytes read both as a report and as what the device sends.

#include "fuzz/fuzzcheck.h"

#include "app/codepage.h"
#include "app/dottedaddress.h"
#include "console/configuratelogic.h"
#include "console/ipconfigreport.h"
#include "console/menuscreen.h"
#include "console/mscomm.h"

#include <utility>

using ConfigurateLogic::ReceiveText;
using IpconfigReport::PcAddresses;

namespace {

constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';

bool isLineBreak(QChar c)
{
    return c == kCr || c == kLf;
}

bool hasLineBreak(const QString &text)
{
    return text.contains(kCr) || text.contains(kLf);
}

// A value stands on its label's line, one blank after the label; it is all
// that stands there up to 15 characters or the line's end, but for blanks
// at its end.
void checkReportValue(const QString &report, const QString &label, const QString &value)
{
    FUZZ_CHECK(IpconfigReport::valueAfter(report, label) == value);
    FUZZ_CHECK(value.size() <= IpconfigReport::kValueChars);
    FUZZ_CHECK(!hasLineBreak(value));
    FUZZ_CHECK(value.isEmpty() || !value.back().isSpace());
    if (value.isEmpty())
        return;
    const qsizetype p = report.indexOf(label);
    FUZZ_CHECK(p >= 0);
    const qsizetype at = p + label.size() + 1;
    FUZZ_CHECK(!isLineBreak(report.at(at - 1)));
    const QString window = report.mid(at, IpconfigReport::kValueChars);
    FUZZ_CHECK(window.startsWith(value));
    for (qsizetype i = value.size(); i < window.size() && !isLineBreak(window.at(i)); ++i)
        FUZZ_CHECK(window.at(i).isSpace());
}

// What the writer writes reads back as it was given: values of up to 15
// characters, without line breaks or blanks at their end.
void checkWriteThenRead(const PcAddresses &pc)
{
    const PcAddresses back = IpconfigReport::read(IpconfigReport::write(pc));
    FUZZ_CHECK(back == (pc.ip.isEmpty() ? PcAddresses{} : pc));
}

// An address's form made of any text: printable ASCII, at most 15
// characters, no blank at the end.
QString addressLike(const QByteArray &bytes)
{
    QString out;
    for (const char c : bytes) {
        if (c >= 0x20 && c < 0x7F && out.size() < IpconfigReport::kValueChars)
            out += QLatin1Char(c);
    }
    while (out.endsWith(u' '))
        out.chop(1);
    return out;
}

// A device address is the 15 characters at the label's value column, up to
// a line break; when the label stands once in the screen, the screen cut
// into pieces gives its start or nothing.
void checkDeviceValue(const QString &text, const QString &label, const QString &value)
{
    FUZZ_CHECK(value.size() <= MenuScreen::kAddressChars);
    FUZZ_CHECK(!hasLineBreak(value));
    if (value.isEmpty())
        return;
    const qsizetype p = text.indexOf(label);
    FUZZ_CHECK(p >= 0);
    const QString window = text.mid(p + MenuScreen::kValueColumn, MenuScreen::kAddressChars);
    FUZZ_CHECK(window.startsWith(value));
    FUZZ_CHECK(window.size() == value.size() || isLineBreak(window.at(value.size())));
}

void checkDevice(const QString &text)
{
    const ConfigurateLogic::DeviceAddresses d = ConfigurateLogic::readDeviceAddresses(text);
    checkDeviceValue(text, MenuScreen::kLabelIp, d.ip);
    checkDeviceValue(text, MenuScreen::kLabelMask, d.mask);
    checkDeviceValue(text, MenuScreen::kLabelGateway, d.gateway);
    FUZZ_CHECK(ConfigurateLogic::needsSecondReading(d.ip) == (d.ip.size() < ConfigurateLogic::kShortIpChars));
}

// Four parts only from a text with three dots; joined with dots they are the
// text again.
void checkParts(const QString &dotted)
{
    const auto parts = DottedAddress::split(dotted);
    FUZZ_CHECK(parts.has_value() == (dotted.count(u'.') >= 3));
    if (!parts)
        return;
    for (size_t i = 0; i < 3; ++i)
        FUZZ_CHECK(!(*parts)[i].contains(u'.'));
    FUZZ_CHECK(QStringList(parts->begin(), parts->end()).join(u'.') == dotted);
}

bool isDecimal(const QString &text)
{
    if (text.isEmpty() || (text.size() > 1 && text.front() == u'0'))
        return false;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// A part written as a plain number is proposed as it stands.
bool isPlainNumber(const QString &part)
{
    return isDecimal(part) && part.size() <= 12;
}

void checkNumbers(const ConfigurateLogic::Octets &proposed, const QString &from, bool addOne)
{
    const auto parts = DottedAddress::split(from);
    if (!parts) {
        for (const QString &o : proposed)
            FUZZ_CHECK(o.isEmpty());
        return;
    }
    for (size_t i = 0; i < 4; ++i) {
        const QString &o = proposed[i];
        const qint64 add = addOne && i == 3 ? 1 : 0;
        FUZZ_CHECK(isDecimal(o));
        FUZZ_CHECK(o.toLongLong() == MenuScreen::leadingNumber((*parts)[i]) + add);
        if (isPlainNumber((*parts)[i]))
            FUZZ_CHECK(o == QString::number((*parts)[i].toLongLong() + add));
    }
}

void checkProposals(const PcAddresses &pc, const QString &deviceGateway)
{
    checkParts(pc.ip);
    checkParts(pc.mask);
    checkParts(pc.gateway);
    checkParts(deviceGateway);

    // At load: the PC's parts as they stand, the IP's last as its number + 1.
    const ConfigurateLogic::Proposal load = ConfigurateLogic::proposeAtLoad(pc);
    const auto ip = DottedAddress::split(pc.ip);
    for (size_t i = 0; i < 3; ++i)
        FUZZ_CHECK(load.ip[i] == (ip ? (*ip)[i] : QString()));
    FUZZ_CHECK(ip ? isDecimal(load.ip[3]) && load.ip[3].toLongLong() >= 1 : load.ip[3].isEmpty());
    FUZZ_CHECK(load.mask == DottedAddress::split(pc.mask).value_or(ConfigurateLogic::Octets{}));
    FUZZ_CHECK(load.gateway == DottedAddress::split(pc.gateway).value_or(ConfigurateLogic::Octets{}));

    // At a reading: numbers, and the device's gateway with its last two
    // parts as they stand.
    const ConfigurateLogic::Proposal reading = ConfigurateLogic::proposeAtReading(pc, deviceGateway);
    checkNumbers(reading.ip, pc.ip, true);
    checkNumbers(reading.mask, pc.mask, false);
    const auto gateway = DottedAddress::split(deviceGateway);
    if (gateway) {
        const ConfigurateLogic::Octets numbers{reading.gateway[0], reading.gateway[1], QStringLiteral("0"),
                                               QStringLiteral("0")};
        checkNumbers(numbers, (*gateway)[0] + u'.' + (*gateway)[1] + QStringLiteral(".0.0"), false);
        FUZZ_CHECK(reading.gateway[2] == (*gateway)[2] && reading.gateway[3] == (*gateway)[3]);
    } else {
        for (const QString &o : reading.gateway)
            FUZZ_CHECK(o.isEmpty());
    }
}

// toDisplay: every CR LF pair, lone CR and lone LF one line break (LF).
void checkDisplay(const QString &text, const QString &shown)
{
    FUZZ_CHECK(!shown.contains(kCr));
    FUZZ_CHECK(shown.size() == text.size() - text.count(QStringLiteral("\r\n")));
    FUZZ_CHECK(shown.count(kLf) == text.count(kCr) + text.count(kLf) - text.count(QStringLiteral("\r\n")));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray input = Fuzz::bytes(data, size);
    const QByteArray stream = input.mid(1);
    Fuzz::Draw draw(input);
    const bool nearCap = data[0] & 1;

    // The report, one character per byte.
    const QString report = QString::fromLatin1(stream);
    const PcAddresses pc = IpconfigReport::read(stream);
    checkReportValue(report, IpconfigReport::kLabelIp, pc.ip);
    checkReportValue(report, IpconfigReport::kLabelMask, pc.mask);
    checkReportValue(report, IpconfigReport::kLabelGateway, pc.gateway);
    checkWriteThenRead(pc);
    const QList<QByteArray> fields = stream.left(64).split(',');
    const auto field = [&fields](qsizetype i) { return i < fields.size() ? fields.at(i) : QByteArray(); };
    checkWriteThenRead({addressLike(field(0)), addressLike(field(1)), addressLike(field(2))});

    // The device's text, polled in pieces of at most the port's input
    // buffer, decoded across them.
    // The box as the window keeps it: each piece's display added, or the
    // whole text shown anew when its start went. What was added since the
    // last full layout is the display of the text added since (so a near-full
    // text costs no layout of its own in each run).
    ReceiveText receive;
    QString shown;
    qsizetype laidOutText = 0;
    qsizetype laidOutShown = 0;
    const auto checkShown = [&] {
        FUZZ_CHECK(QStringView(shown).mid(laidOutShown)
                   == ReceiveText::toDisplay(receive.text().mid(laidOutText)));
    };
    if (nearCap) {
        static const auto full = [] {
            ReceiveText r;
            const QString filler(1000, u'.');
            while (r.text().size() < ReceiveText::kCapChars - 1000)
                r.append(filler);
            return std::pair(r, ReceiveText::toDisplay(r.text()));
        }();
        receive = full.first;
        shown = full.second;
        laidOutText = receive.text().size();
        laidOutShown = shown.size();
    }
    // The largest piece: the input buffer and a lead byte held back.
    constexpr qsizetype kMaxPieceChars = MSComm::kInBufferSize + 1;
    Cp950::Decoder decoder;
    for (const QByteArray &bytes : Fuzz::pieces(stream, draw, MSComm::kInBufferSize)) {
        const QString piece = decoder.decode(bytes);
        const qsizetype before = receive.text().size();
        if (before > ReceiveText::kCapChars && !piece.isEmpty())
            checkShown();
        const bool kept = receive.append(piece);
        const QString &text = receive.text();
        if (piece.isEmpty()) {
            FUZZ_CHECK(kept && text.size() == before);
            continue;
        }
        // Each piece behind a CR of its own; the oldest characters go once
        // the text is beyond its cap, so it stays within the cap and a piece.
        FUZZ_CHECK(kept == (before <= ReceiveText::kCapChars));
        FUZZ_CHECK(text.size() == before - (kept ? 0 : ReceiveText::kDropChars) + 1 + piece.size());
        FUZZ_CHECK(text.endsWith(QChar(kCr) + piece));
        FUZZ_CHECK(text.size() <= ReceiveText::kCapChars + 1 + kMaxPieceChars);
        if (kept) {
            shown += ReceiveText::toDisplay(QChar(kCr) + piece);
        } else {
            shown = ReceiveText::toDisplay(text);
            laidOutText = text.size();
            laidOutShown = shown.size();
        }
    }
    checkShown();
    checkDisplay(receive.text(), shown);
    checkDevice(receive.text());

    // The screen cut into pieces gives for a label that stands once the
    // screen's value, its start, or nothing.
    if (!nearCap) {
        const QString screen = Cp950::toUnicode(stream);
        checkDevice(screen);
        const ConfigurateLogic::DeviceAddresses whole = ConfigurateLogic::readDeviceAddresses(screen);
        const ConfigurateLogic::DeviceAddresses cut = ConfigurateLogic::readDeviceAddresses(receive.text());
        const auto once = [&screen](const QString &label) { return screen.count(label) == 1; };
        FUZZ_CHECK(!once(MenuScreen::kLabelIp) || whole.ip.startsWith(cut.ip));
        FUZZ_CHECK(!once(MenuScreen::kLabelMask) || whole.mask.startsWith(cut.mask));
        FUZZ_CHECK(!once(MenuScreen::kLabelGateway) || whole.gateway.startsWith(cut.gateway));
    }

    // The proposals from what was read, and from any text.
    const QString gateway = ConfigurateLogic::readDeviceAddresses(receive.text()).gateway;
    checkProposals(pc, gateway);
    const QString any = Cp950::toUnicode(stream.left(256));
    checkProposals({any, any.mid(1), any.mid(2)}, any.mid(3));
    return 0;
}
