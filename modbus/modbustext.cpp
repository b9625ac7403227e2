#include "modbus/modbustext.h"

#include <QLocale>

#include <cmath>
#include <cstring>
#include <limits>

namespace ModbusText {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
const QString kArrow = QStringLiteral("--> ");

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

void appendByte(QString &line, quint8 b)
{
    line += QLatin1Char(kHexDigits[b >> 4]);
    line += QLatin1Char(kHexDigits[b & 0x0F]);
    line += QLatin1Char(' ');
}

QDateTime g_fixedNow;

} // namespace

ParsedFrame parseFrame(const QString &text)
{
    ParsedFrame result;
    const qsizetype n = text.size();
    result.bytes.reserve(n / 3 + 1);
    qsizetype i = 0;
    while (i < n) {
        if (text.at(i) == QLatin1Char(' ')) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < n && text.at(end) != QLatin1Char(' '))
            ++end;
        int value = 0;
        bool hex = true;
        for (qsizetype k = i; k < end; ++k) {
            const int digit = hexValue(text.at(k));
            if (digit < 0) {
                hex = false;
                break;
            }
            // Leading zeros are allowed; past 0xFF the value only has to stay large.
            value = std::min(value * 16 + digit, 0x1000);
        }
        const QStringView token = QStringView(text).mid(i, end - i);
        if (!hex) {
            result.error = QStringLiteral("\"%1\" is not a hexadecimal byte. Type each byte as "
                                          "00 to FF, separated by blanks.")
                               .arg(token);
            result.bytes.clear();
            return result;
        }
        if (value > 0xFF) {
            result.error = QStringLiteral("\"%1\" is larger than FF. Type each byte as 00 to FF, "
                                          "separated by blanks.")
                               .arg(token);
            result.bytes.clear();
            return result;
        }
        result.bytes.append(static_cast<char>(value));
        i = end;
    }
    if (result.bytes.isEmpty()) {
        result.error = QStringLiteral("The frame is empty. Type its bytes in hexadecimal, "
                                      "separated by blanks.");
    } else if (result.bytes.size() < kMinFrameBytes) {
        result.error = QStringLiteral("The frame has only %1 %2. A Modbus/TCP frame needs at "
                                      "least %3: six header bytes, the Net ID and the function "
                                      "code.")
                           .arg(result.bytes.size())
                           .arg(result.bytes.size() == 1 ? QStringLiteral("byte")
                                                         : QStringLiteral("bytes"))
                           .arg(kMinFrameBytes);
        result.bytes.clear();
    }
    return result;
}

QString sendLine(const QByteArray &frame)
{
    QString line;
    line.reserve(frame.size() * 3 + kArrow.size());
    for (qsizetype i = 0; i < frame.size(); ++i) {
        if (i == 6)
            line += kArrow;
        appendByte(line, static_cast<quint8>(frame.at(i)));
    }
    return line;
}

void forEachReceiveLine(const QByteArray &block, const std::function<void(QLatin1StringView)> &sink)
{
    // The longest line: the indent and twelve bytes, or the header, arrow and twelve bytes.
    char line[kIndent + kBytesPerLine * 3];
    qsizetype used = 0;
    auto put = [&line, &used](quint8 b) {
        line[used++] = kHexDigits[b >> 4];
        line[used++] = kHexDigits[b & 0x0F];
        line[used++] = ' ';
    };
    for (qsizetype i = 0; i < block.size(); ++i) {
        if (i == 6) {
            std::memcpy(line + used, "--> ", 4);
            used += 4;
        }
        if (i > 6 && (i - 5) % kBytesPerLine == 1) {
            sink(QLatin1StringView(line, used));
            std::memset(line, ' ', kIndent);
            used = kIndent;
        }
        put(static_cast<quint8>(block.at(i)));
    }
    sink(QLatin1StringView(line, used));
}

QStringList receiveLines(const QByteArray &block)
{
    QStringList lines;
    forEachReceiveLine(block, [&lines](QLatin1StringView line) { lines << QString(line); });
    return lines;
}

QString percentText(double ratio)
{
    QString text = QString::number(ratio * 100.0, 'f', 2);
    if (text == QLatin1String("-0.00"))
        text = QStringLiteral("0.00");
    return text + QLatin1String(" %");
}

QString diffPercentText(qint64 sentPackets, qint64 receivedPackets)
{
    if (sentPackets == 0)
        return percentText(0.0);
    return percentText(static_cast<double>(sentPackets - receivedPackets)
                       / static_cast<double>(sentPackets));
}

QString averageText(double ms)
{
    const QString digits = QString::number(std::fabs(ms), 'f', 1);
    const qsizetype integerDigits = digits.indexOf(QLatin1Char('.'));
    QString text = QString(std::max<qsizetype>(0, 3 - integerDigits), QLatin1Char('0')) + digits;
    // A value that rounds to zero shows no sign.
    if (ms < 0 && digits != QLatin1String("0.0"))
        text.prepend(QLatin1Char('-'));
    return text;
}

QString averageText(double elapsedMs, double packets)
{
    if (packets == 0 || !std::isfinite(packets))
        return averageText(0.0);
    return averageText(elapsedMs / packets);
}

QString dateTimeText(const QDateTime &when)
{
    const QLocale locale;
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ')
           + timeOfDayText(when.time());
}

QString timeOfDayText(const QTime &when)
{
    return when.toString(QStringLiteral("HH:mm:ss"));
}

QDateTime now()
{
    return g_fixedNow.isValid() ? g_fixedNow : QDateTime::currentDateTime();
}

void setFixedNow(const QDateTime &when)
{
    g_fixedNow = when;
}

QString sendLogLine(const QDateTime &when, const QString &sendLine)
{
    return dateTimeText(when) + QLatin1String(" >>>> ") + sendLine;
}

QString receiveLogLine(const QString &lastDisplayLine)
{
    return QLatin1String(" <<<< ") + lastDisplayLine;
}

std::optional<qint64> wholeNumber(const QString &text, qint64 min, qint64 max)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    // Halves go to the even neighbour, as the default rounding mode does.
    const double rounded = std::nearbyint(value);
    if (rounded < static_cast<double>(min) || rounded > static_cast<double>(max))
        return std::nullopt;
    return static_cast<qint64>(rounded);
}

std::optional<int> intervalMs(const QString &text)
{
    const auto value = wholeNumber(text, 0, kMaxIntervalMs);
    if (!value)
        return std::nullopt;
    return static_cast<int>(*value);
}

QString intervalError(const QString &text)
{
    return QStringLiteral("\"%1\" is no valid interval. Type a whole number of milliseconds "
                          "from 0 to %2.")
        .arg(text, QString::number(kMaxIntervalMs));
}

} // namespace ModbusText
