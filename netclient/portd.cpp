#include "netclient/portd.h"

#include "app/codepage.h"

#include <algorithm>

namespace Portd {

namespace {

// Far beyond any value the client compares against; keeps long digit runs finite.
constexpr double kValueLimit = 1e15;

QString code(const char *code, const QString &argument = QString())
{
    return QLatin1StringView(code) + argument;
}

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// A whole decimal number 1 to max, with blanks and line ends around it.
std::optional<int> wholeNumber(QStringView text, int max)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty() || t.size() > 9)
        return std::nullopt;
    int value = 0;
    for (const QChar c : t) {
        if (!isAsciiDigit(c))
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value < 1 || value > max)
        return std::nullopt;
    return value;
}

// The character n places from the right (1 is the last), or empty.
QString fromRight(const QString &text, qsizetype n)
{
    return text.size() >= n ? QString(text.at(text.size() - n)) : QString();
}

} // namespace

QString requestModuleName() { return code("10"); }
QString requestVersion() { return code("01"); }
QString requestGateway() { return code("13"); }
QString requestMask() { return code("15"); }
QString requestMac() { return code("21"); }

QStringList connectQueries()
{
    return {requestModuleName(), requestVersion(), requestGateway(),
            requestMask(),       requestMac(),     requestPortSettings(1)};
}

QString requestPortSettings(int port) { return code("16", QString::number(port)); }
QString requestModbusStatus(int port) { return code("33", QString::number(port)); }
QString requestLed(bool on) { return code(on ? "201" : "200"); }
QString requestReboot() { return code("99"); }

QString requestSetBaudrate(int port, const QString &baudrate)
{
    return code("06", QString::number(port) + baudrate);
}

QString requestSetDataFormat(int port, const QString &databits, int parity, const QString &stopbits)
{
    return code("07", QString::number(port) + databits + QString::number(parity) + stopbits);
}

QString requestSetModbus(int port, int status)
{
    return code("32", QString::number(port) + QString::number(status));
}

QString requestSetIp(const QString &argument) { return code("08", argument); }
QString requestSetMask(const QString &argument) { return code("14", argument); }
QString requestSetGateway(const QString &argument) { return code("12", argument); }

QString addressArgument(const std::array<quint8, 4> &octets)
{
    QString out;
    out.reserve(12);
    for (const quint8 v : octets)
        out += QStringLiteral("%1").arg(v, 3, 10, QLatin1Char('0'));
    return out;
}

QString replyText(QByteArrayView arrival, qsizetype wholeBytes)
{
    const qsizetype n = arrival.size();
    wholeBytes = std::max<qsizetype>(wholeBytes, 1);
    if (n <= wholeBytes)
        return Cp950::toUnicode(arrival.toByteArray());
    const qsizetype from = n - wholeBytes;
    qsizetype cut = from;
    // A byte that no double-byte character begins with ends whatever the
    // decoder made of it: after it, the decoding is that of the whole. The
    // byte just before the end kept counts too: after it, all of that end.
    for (qsizetype i = from - 1; i < n - 1; ++i) {
        const auto b = static_cast<unsigned char>(arrival[i]);
        if (b < 0x81 || b == 0xFF) {
            cut = i + 1;
            break;
        }
    }
    return Cp950::toUnicode(arrival.sliced(cut).toByteArray());
}

ModuleName readModuleName(const QString &reply)
{
    ModuleName m;
    m.modbus = isModbusVariant(reply);
    const QChar separator = QLatin1Char(m.modbus ? 'M' : 'E');
    const qsizetype first = reply.indexOf(separator);
    if (first < 0)
        return m;
    const qsizetype second = reply.indexOf(separator, first + 1);
    m.hasCount = true;
    m.countText = second < 0 ? reply.mid(first + 1) : reply.mid(first + 1, second - first - 1);
    m.portCount = wholeNumber(m.countText, kMaxPorts);
    return m;
}

bool isModbusVariant(const QString &moduleName)
{
    return moduleName.size() >= 5 && moduleName.at(4) == QLatin1Char('M');
}

QString portsLabel(const QString &countText)
{
    return countText + QStringLiteral(" COM Ports");
}

PortSettings readPortSettings(const QString &reply)
{
    PortSettings s;
    if (reply.size() > 6)
        s.baudrate = reply.left(reply.size() - 6);
    s.databits = fromRight(reply, 5);
    s.parity = fromRight(reply, 3);
    s.stopbits = fromRight(reply, 1);
    return s;
}

std::optional<double> leadingValue(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text.at(i) == QLatin1Char(' '))
        ++i;
    double sign = 1;
    if (i < n && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        sign = text.at(i) == QLatin1Char('-') ? -1 : 1;
        ++i;
    }
    bool digits = false;
    double value = 0;
    for (; i < n && isAsciiDigit(text.at(i)); ++i) {
        digits = true;
        value = std::min(value * 10 + (text.at(i).unicode() - u'0'), kValueLimit);
    }
    if (i < n && text.at(i) == QLatin1Char('.')) {
        double scale = 0.1;
        for (++i; i < n && isAsciiDigit(text.at(i)); ++i) {
            digits = true;
            value += scale * (text.at(i).unicode() - u'0');
            scale /= 10;
        }
    }
    if (!digits)
        return std::nullopt;
    return sign * value;
}

std::optional<double> readModbusStatus(const QString &reply)
{
    return leadingValue(reply);
}

std::optional<QString> modbusWording(const QString &reply)
{
    const std::optional<double> v = readModbusStatus(reply);
    if (!v)
        return std::nullopt;
    return *v == 0 ? QStringLiteral("Modbus Disable") : QStringLiteral("Modbus Enable");
}

std::optional<quint16> readControlPort(const QString &text)
{
    const std::optional<int> port = wholeNumber(text, 65535);
    if (!port)
        return std::nullopt;
    return static_cast<quint16>(*port);
}

std::optional<quint16> dataPort(quint16 controlPort, int k)
{
    if (k < 1 || k > kMaxPorts || int(controlPort) + k > 65535)
        return std::nullopt;
    return static_cast<quint16>(controlPort + k);
}

} // namespace Portd
