#include "console/linesettings.h"

#include <QStringList>

namespace {

// Baud rates above this are no serial line the program can meet.
constexpr qint64 kMaxBaudRate = 4000000;

QString expectedForm()
{
    return QStringLiteral("expected baud rate, parity (n, e, o, m or s), data bits (5 to 8) "
                          "and stop bits (1, 1.5 or 2), for example 57600,n,8,1");
}

QChar parityLetter(QSerialPort::Parity p)
{
    switch (p) {
    case QSerialPort::EvenParity:
        return QLatin1Char('e');
    case QSerialPort::OddParity:
        return QLatin1Char('o');
    case QSerialPort::MarkParity:
        return QLatin1Char('m');
    case QSerialPort::SpaceParity:
        return QLatin1Char('s');
    case QSerialPort::NoParity:
        break;
    }
    return QLatin1Char('n');
}

QString stopText(QSerialPort::StopBits s)
{
    switch (s) {
    case QSerialPort::OneAndHalfStop:
        return QStringLiteral("1.5");
    case QSerialPort::TwoStop:
        return QStringLiteral("2");
    case QSerialPort::OneStop:
        break;
    }
    return QStringLiteral("1");
}

bool allDigits(const QString &s)
{
    if (s.isEmpty())
        return false;
    for (const QChar c : s) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

QString LineSettings::text() const
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(baudRate)
        .arg(parityLetter(parity))
        .arg(static_cast<int>(dataBits))
        .arg(stopText(stopBits));
}

std::optional<LineSettings> LineSettings::parse(const QString &text, QString *error)
{
    auto fail = [&](const QString &why) -> std::optional<LineSettings> {
        if (error)
            *error = QStringLiteral("Invalid port settings \"%1\": %2; %3.")
                         .arg(text, why, expectedForm());
        return std::nullopt;
    };

    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4)
        return fail(QStringLiteral("four fields are needed"));

    LineSettings s;
    const QString baud = fields.at(0).trimmed();
    // Only plain digits: a baud rate with a sign, blanks or a fraction is a typo.
    if (!allDigits(baud) || baud.size() > 7 || baud.toLongLong() < 1
        || baud.toLongLong() > kMaxBaudRate)
        return fail(QStringLiteral("bad baud rate \"%1\"").arg(baud));
    s.baudRate = static_cast<qint32>(baud.toLongLong());

    const QString parity = fields.at(1).trimmed().toLower();
    if (parity == QLatin1String("n"))
        s.parity = QSerialPort::NoParity;
    else if (parity == QLatin1String("e"))
        s.parity = QSerialPort::EvenParity;
    else if (parity == QLatin1String("o"))
        s.parity = QSerialPort::OddParity;
    else if (parity == QLatin1String("m"))
        s.parity = QSerialPort::MarkParity;
    else if (parity == QLatin1String("s"))
        s.parity = QSerialPort::SpaceParity;
    else
        return fail(QStringLiteral("bad parity \"%1\"").arg(fields.at(1).trimmed()));

    const QString data = fields.at(2).trimmed();
    if (data == QLatin1String("5"))
        s.dataBits = QSerialPort::Data5;
    else if (data == QLatin1String("6"))
        s.dataBits = QSerialPort::Data6;
    else if (data == QLatin1String("7"))
        s.dataBits = QSerialPort::Data7;
    else if (data == QLatin1String("8"))
        s.dataBits = QSerialPort::Data8;
    else
        return fail(QStringLiteral("bad data bits \"%1\"").arg(data));

    const QString stop = fields.at(3).trimmed();
    if (stop == QLatin1String("1"))
        s.stopBits = QSerialPort::OneStop;
    else if (stop == QLatin1String("1.5"))
        s.stopBits = QSerialPort::OneAndHalfStop;
    else if (stop == QLatin1String("2"))
        s.stopBits = QSerialPort::TwoStop;
    else
        return fail(QStringLiteral("bad stop bits \"%1\"").arg(stop));

    return s;
}
