// The device's console text as the serial configuration window reads it: the
// prompt, the NVCONF menu screen with its addresses, model, per-port lists and
// Modbus port mask, and what the window makes of those values.

#include "fuzz/fuzzcheck.h"

#include "app/codepage.h"
#include "console/consolemenu.h"
#include "console/menuscreen.h"

#include <cctype>

using namespace MenuScreen;
using ConsoleMenu::Setting;

namespace {

constexpr Setting kSettings[] = {Setting::Baudrate, Setting::Databit, Setting::Parity,
                                 Setting::Stopbit};

QStringList readAll(const QString &screen)
{
    const DeviceMenu m = readDeviceMenu(screen);
    return {m.ip,        m.mask,     m.gateway,  m.model, m.baudrates,
            m.databits, m.parities, m.stopbits, readModbusField(screen)};
}
constexpr int kModbusField = 8;

// A value read n characters at most from label's value column is what
// stands there, never text from elsewhere.
void checkFixed(const QString &screen, const QString &label, int n, const QString &value)
{
    FUZZ_CHECK(value.size() <= n);
    if (value.isEmpty())
        return;
    const qsizetype p = screen.indexOf(label);
    FUZZ_CHECK(p >= 0);
    FUZZ_CHECK(QStringView(screen).mid(p + kValueColumn).startsWith(value));
}

// A value read to its line's end stops one character short of that line's CR.
void checkToLineEnd(const QString &screen, const QString &label, const QString &value)
{
    FUZZ_CHECK(!value.contains(u'\r'));
    if (value.isEmpty())
        return;
    const qsizetype p = screen.indexOf(label);
    FUZZ_CHECK(p >= 0);
    const qsizetype at = p + kValueColumn;
    FUZZ_CHECK(QStringView(screen).mid(at).startsWith(value));
    FUZZ_CHECK(screen.indexOf(u'\r', p) == at + value.size() + 1);
}

// The number of a port mask's flags, port 1 in bit 0.
int maskOf(const std::array<bool, kDevicePorts> &on)
{
    int mask = 0;
    for (size_t i = 0; i < on.size(); ++i)
        mask |= on[i] ? 1 << i : 0;
    return mask;
}

void checkPortMask(const QString &field)
{
    const auto on = decodePortMask(field);
    // Two hexadecimal digits are the mask itself.
    bool hex = field.size() == 2;
    for (const QChar c : field)
        hex = hex && c.unicode() < 0x80 && std::isxdigit(c.unicode());
    if (hex)
        FUZZ_CHECK(maskOf(on) == field.toInt(nullptr, 16));
    // What the window sends back for these flags is the same mask.
    std::array<QString, 8> flags;
    for (size_t k = 0; k < flags.size(); ++k)
        flags[k] = on[k] ? QStringLiteral("1") : QStringLiteral("0");
    FUZZ_CHECK(ConsoleMenu::modbusMask(flags) == maskOf(on));
}

void checkModel(const QString &model)
{
    const int n = portCount(model);
    FUZZ_CHECK(n >= 0 && n <= kDevicePorts);
    if (n > 0)
        FUZZ_CHECK(model.back() == QLatin1Char(char('0' + n)));
    // "M" second to last: a model number "M" alone is none.
    FUZZ_CHECK(!isModbusModel(model) || (model.size() >= 2 && model.contains(u'M')));
}

// A port's value in a per-port list, and the choice the window selects for it.
void checkPortValues(Setting setting, const QString &list)
{
    for (const int port : {-1, 0, 9, 100})
        FUZZ_CHECK(portValue(list, port).isEmpty());
    for (int port = 1; port <= kDevicePorts; ++port) {
        const QString value = portValue(list, port);
        FUZZ_CHECK(list.contains(value));
        FUZZ_CHECK(value.isEmpty() || list.contains(QStringLiteral("%1:").arg(port)));
        const QStringList choices = ConsoleMenu::entries(setting, port);
        FUZZ_CHECK(!choices.isEmpty());
        const int index = ConsoleMenu::entryFor(setting, port, value);
        FUZZ_CHECK(index >= -1 && index < choices.size());
        const bool fixed = setting == Setting::Stopbit && port <= 2;
        if (index >= 0 && !fixed)
            FUZZ_CHECK(ConsoleMenu::sentText(setting, port, index) == value);
    }
}

void checkAddress(const QString &address)
{
    const auto octets = splitOctets(address);
    FUZZ_CHECK(octets.has_value() == (address.count(u'.') >= 3));
    if (!octets)
        return;
    QStringList texts;
    for (const qint64 v : *octets) {
        FUZZ_CHECK(v >= 0 && v <= 999999999999LL);
        texts << QString::number(v);
    }
    bool inRange = true;
    for (const qint64 v : *octets)
        inRange = inRange && v < ConsoleMenu::kOctetLimit;
    FUZZ_CHECK(ConsoleMenu::octetsInRange(texts) == inRange);
    FUZZ_CHECK(ConsoleMenu::octetsInRange(address.split(u'.')) == inRange
               || address.count(u'.') > 3);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = Fuzz::bytes(data, size);
    const QString screen = Cp950::toUnicode(bytes);

    FUZZ_CHECK(hasPrompt(screen) == screen.endsWith(QStringLiteral("A:\\>")));
    FUZZ_CHECK(hasPrompt(screen + kPrompt));

    const DeviceMenu m = readDeviceMenu(screen);
    checkFixed(screen, kLabelIp, kAddressChars, m.ip);
    checkFixed(screen, kLabelMask, kAddressChars, m.mask);
    checkFixed(screen, kLabelGateway, kAddressChars, m.gateway);
    checkFixed(screen, kLabelModel, kModelChars, m.model);
    checkToLineEnd(screen, kLabelDatabit, m.databits);
    checkToLineEnd(screen, kLabelParity, m.parities);
    checkToLineEnd(screen, kLabelStopbit, m.stopbits);
    FUZZ_CHECK(!m.baudrates.contains(u'\r'));

    // The window's readings of one line agree with the whole screen's.
    FUZZ_CHECK(ConsoleMenu::readLine(Setting::Baudrate, screen) == m.baudrates);
    FUZZ_CHECK(ConsoleMenu::readLine(Setting::Databit, screen) == m.databits);
    FUZZ_CHECK(ConsoleMenu::readLine(Setting::Parity, screen) == m.parities);
    FUZZ_CHECK(ConsoleMenu::readLine(Setting::Stopbit, screen) == m.stopbits);

    checkModel(m.model);
    checkModel(m.model.trimmed());
    const QString modbus = readModbusField(screen);
    FUZZ_CHECK(modbus.size() <= kMaskChars);
    checkPortMask(modbus);
    checkPortMask(screen.left(kMaskChars));

    checkPortValues(Setting::Baudrate, m.baudrates);
    checkPortValues(Setting::Databit, m.databits);
    checkPortValues(Setting::Parity, m.parities);
    checkPortValues(Setting::Stopbit, m.stopbits);
    checkPortValues(kSettings[size % 4], screen);

    checkAddress(m.ip);
    checkAddress(m.mask);
    checkAddress(m.gateway);
    checkAddress(screen);
    FUZZ_CHECK(leadingNumber(screen) >= 0);

    // A screen cut short (the device still sending) gives for every value
    // nothing, the value, or its start; a lone mask digit not yet padded.
    const QStringList whole = readAll(screen);
    Fuzz::Draw draw(bytes);
    for (int i = 0; i < 2; ++i) {
        const QStringList part = readAll(screen.left(draw.below(screen.size() + 1)));
        for (int f = 0; f < whole.size(); ++f) {
            FUZZ_CHECK(part[f].isEmpty() || whole[f].startsWith(part[f])
                       || (f == kModbusField && whole[f] == QLatin1Char('0') + part[f]));
        }
    }
    return 0;
}
