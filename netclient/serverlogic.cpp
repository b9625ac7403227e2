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
    // One pass over the placeholders: a "%" in the value stays as it is.
    base.problem = QStringLiteral("%1=\"%2\" is not a port from 1 to %3: the server uses %4.")
                       .arg(QString::fromLatin1(kBasePortVariable), text,
                            QString::number(kHighestBasePort), QString::number(kDefaultBasePort));
    return base;
}

namespace {

// "1000", "1000 and 1003", "1000 to 1008", "1001, 1002 and 1004 to 1008".
QString portList(const QList<int> &ports)
{
    QStringList runs;
    for (qsizetype i = 0; i < ports.size();) {
        qsizetype j = i;
        while (j + 1 < ports.size() && ports[j + 1] == ports[j] + 1)
            ++j;
        if (j - i >= 2) {
            runs << QStringLiteral("%1 to %2").arg(ports[i]).arg(ports[j]);
        } else {
            for (qsizetype k = i; k <= j; ++k)
                runs << QString::number(ports[k]);
        }
        i = j + 1;
    }
    if (runs.size() == 1)
        return runs.front();
    const QString last = runs.takeLast();
    return runs.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

} // namespace

QString listenFailureText(const QList<ListenFailure> &failures)
{
    // One line per reason, in the order the reasons first came.
    QStringList reasons;
    QList<QList<int>> ports;
    bool privileged = false;
    for (const ListenFailure &f : failures) {
        const QString reason = f.reason.isEmpty() ? QStringLiteral("no reason given") : f.reason;
        qsizetype at = reasons.indexOf(reason);
        if (at < 0) {
            reasons << reason;
            ports.append(QList<int>());
            at = reasons.size() - 1;
        }
        ports[at] << f.port;
        privileged = privileged || (f.port > 0 && f.port < 1024);
    }
    QStringList lines;
    for (qsizetype i = 0; i < reasons.size(); ++i) {
        lines << QStringLiteral("Cannot listen on %1 %2: %3.")
                     .arg(ports[i].size() == 1 ? QStringLiteral("port") : QStringLiteral("ports"),
                          portList(ports[i]), reasons[i]);
    }
    if (privileged)
        lines << QStringLiteral("Ports below 1024 may need administrator rights.");
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
