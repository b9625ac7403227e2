#include "netclient/serverlogic.h"

namespace ServerLogic {

QString windowTitle()
{
    return QStringLiteral("TCP 伺服端");
}

QByteArray controlGreeting()
{
    return QByteArrayLiteral("4630K1,v1.0.00,8 CommPorts");
}

QByteArray dataGreeting(int index)
{
    return "WelCome, " + QByteArray::number(index) + "\r\n";
}

QByteArray dataEcho(const QByteArray &received, int index)
{
    return received + QByteArray::number(index + 1);
}

QString sendText(const QString &boxText)
{
    QString text = boxText;
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

std::optional<int> portFromText(const QString &text)
{
    const QString digits = text.trimmed();
    // Digits only: no sign, no hexadecimal, no fractions, and at most as many
    // as a port can have once leading zeros are gone.
    if (digits.isEmpty())
        return std::nullopt;
    int value = 0;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
        if (value > 65535)
            return std::nullopt;
    }
    return value;
}

QString badPortText(const QString &text)
{
    return QStringLiteral("\"%1\" is not a port: enter a whole number from 0 to 65535.").arg(text);
}

BasePort basePortFrom(const QByteArray &environmentValue)
{
    BasePort base;
    if (environmentValue.isEmpty())
        return base;
    const QString text = QString::fromLocal8Bit(environmentValue);
    const std::optional<int> port = portFromText(text);
    if (port && *port >= 1 && *port <= kHighestBasePort) {
        base.port = *port;
        return base;
    }
    base.problem = QStringLiteral("%1=\"%2\" is not a port from 1 to %3: the server uses %4.")
                       .arg(QString::fromLatin1(kBasePortVariable), text)
                       .arg(kHighestBasePort)
                       .arg(kDefaultBasePort);
    return base;
}

QString listenFailureText(const QList<ListenFailure> &failures)
{
    QStringList lines;
    for (const ListenFailure &f : failures)
        lines << QStringLiteral("Cannot listen on port %1: %2.")
                     .arg(f.port)
                     .arg(f.reason.isEmpty() ? QStringLiteral("no reason given") : f.reason);
    return lines.join(QLatin1Char('\n'));
}

QString shownText(Cp950::Decoder &decoder, const QByteArray &block)
{
    // Code page 950 decodes to single UTF-16 units only: any cut is between
    // characters.
    const QString text = decoder.decode(block);
    return text.size() <= kShownMaxChars ? text : text.right(kShownMaxChars);
}

} // namespace ServerLogic
