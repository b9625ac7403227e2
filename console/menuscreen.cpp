#include "console/menuscreen.h"

#include "app/dottedaddress.h"
#include "app/module1.h"

namespace MenuScreen {

namespace {

constexpr char16_t kCr = u'\r';
// Far beyond any octet; keeps leadingNumber from overflowing on long digits.
constexpr qint64 kNumberLimit = 999999999999LL;

// Characters [from, to] (0-based, inclusive) of text, or empty when the range
// is empty or leaves the text.
QString span(const QString &text, qsizetype from, qsizetype to)
{
    if (from < 0 || to < from || from >= text.size())
        return QString();
    return text.mid(from, qMin(to, text.size() - 1) - from + 1);
}

int hexDigit(QChar c)
{
    bool ok = false;
    const int v = QString(c).toInt(&ok, 16);
    return ok ? v : 0;
}

} // namespace

bool hasPrompt(const QString &screen)
{
    return screen.endsWith(kPrompt);
}

QString readFixed(const QString &screen, const QString &label, int n)
{
    const qsizetype p = screen.indexOf(label);
    if (p < 0 || n <= 0)
        return QString();
    return span(screen, p + kValueColumn, p + kValueColumn + n - 1);
}

QString readToLineEnd(const QString &screen, const QString &label)
{
    const qsizetype p = screen.indexOf(label);
    if (p < 0)
        return QString();
    const qsizetype cr = screen.indexOf(kCr, p);
    if (cr < 0)
        return QString();
    return span(screen, p + kValueColumn, cr - 2);
}

QString readTwoLines(const QString &screen, const QString &label)
{
    const qsizetype p = screen.indexOf(label);
    if (p < 0)
        return QString();
    const qsizetype cr1 = screen.indexOf(kCr, p);
    if (cr1 < 0)
        return QString();
    const QString first = span(screen, p + kValueColumn, cr1 - 2);
    const qsizetype cr2 = screen.indexOf(kCr, cr1 + 1);
    if (cr2 < 0)
        return first;
    // The next line starts behind CR LF; its 20th character is cr1 + 21.
    return first + span(screen, cr1 + 21, cr2 - 2);
}

QString readModbusField(const QString &screen)
{
    return Module1::PadSingleDigit(readFixed(screen, kLabelModbus, kMaskChars));
}

DeviceMenu readDeviceMenu(const QString &screen)
{
    DeviceMenu m;
    m.ip = readFixed(screen, kLabelIp, kAddressChars);
    m.mask = readFixed(screen, kLabelMask, kAddressChars);
    m.gateway = readFixed(screen, kLabelGateway, kAddressChars);
    m.model = readFixed(screen, kLabelModel, kModelChars);
    m.baudrates = readTwoLines(screen, kLabelBaudrate);
    m.databits = readToLineEnd(screen, kLabelDatabit);
    m.parities = readToLineEnd(screen, kLabelParity);
    m.stopbits = readToLineEnd(screen, kLabelStopbit);
    return m;
}

int portCount(const QString &model)
{
    if (model.isEmpty())
        return 0;
    const QChar last = model.back();
    if (last < QLatin1Char('1') || last > QLatin1Char('8'))
        return 0;
    return last.unicode() - u'0';
}

bool isModbusModel(const QString &model)
{
    return model.size() >= 2 && model.at(model.size() - 2) == QLatin1Char('M');
}

std::array<bool, kDevicePorts> decodePortMask(const QString &mask)
{
    const int high = mask.size() >= 1 ? hexDigit(mask.at(0)) : 0;
    const int low = mask.size() >= 2 ? hexDigit(mask.at(1)) : 0;
    std::array<bool, kDevicePorts> on{};
    for (int i = 0; i < 4; ++i) {
        on[static_cast<size_t>(i)] = (low >> i) & 1;
        on[static_cast<size_t>(i + 4)] = (high >> i) & 1;
    }
    return on;
}

QString portValue(const QString &list, int port)
{
    if (port < 1 || port > kDevicePorts)
        return QString();
    const qsizetype a = list.indexOf(QStringLiteral("%1:").arg(port));
    if (a < 0)
        return QString();
    if (port == kDevicePorts)
        return list.mid(a + 2);
    const qsizetype b = list.indexOf(QStringLiteral("%1:").arg(port + 1));
    if (b < 0) {
        const qsizetype blank = list.indexOf(QLatin1Char(' '), a + 2);
        return blank < 0 ? list.mid(a + 2) : list.mid(a + 2, blank - a - 2);
    }
    return span(list, a + 2, b - 2);
}

qint64 leadingNumber(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    qint64 value = 0;
    for (; i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 0x80; ++i)
        value = qMin(value * 10 + (text.at(i).unicode() - u'0'), kNumberLimit);
    return value;
}

std::optional<std::array<qint64, 4>> splitOctets(const QString &address)
{
    const auto p = DottedAddress::split(address);
    if (!p)
        return std::nullopt;
    return std::array<qint64, 4>{leadingNumber((*p)[0]), leadingNumber((*p)[1]),
                                 leadingNumber((*p)[2]), leadingNumber((*p)[3])};
}

} // namespace MenuScreen
