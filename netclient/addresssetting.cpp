#include "netclient/addresssetting.h"

#include "app/dottedaddress.h"
#include "netclient/portd.h"

namespace AddressSetting {

Texts texts(Kind kind)
{
    switch (kind) {
    case Kind::Ip:
        return {QStringLiteral("IP setting"), QStringLiteral("IP:"),
                QStringLiteral("1,23,456,789"),
                QStringLiteral("IP value is out of range. Please check it ! "),
                QStringLiteral("You already change the 4630K's IP, please reconnect!"), true};
    case Kind::Mask:
        return {QStringLiteral("Mask setting"), QStringLiteral("Mask:"),
                QStringLiteral("Unconnected"),
                QStringLiteral("Mask value is out of range. Please check it ! "),
                QStringLiteral("You already change the 4630K's Mask, please reconnect!"), false};
    case Kind::Gateway:
        break;
    }
    return {QStringLiteral("Gateway setting"), QStringLiteral("Gateway:"),
            QStringLiteral("Unconnected"),
            QStringLiteral("Gateway value is out of range. Please check it ! "),
            QStringLiteral("You already change the 4630K's Gateway, please reconnect!"), false};
}

Octets splitLabel(const QString &label)
{
    return DottedAddress::split(label).value_or(Octets{});
}

double octetValue(const QString &text)
{
    return Portd::leadingValue(text).value_or(0);
}

Check check(const Octets &boxes)
{
    Check result;
    result.ok = true;
    for (size_t i = 0; i < boxes.size(); ++i) {
        const QString &text = boxes[i];
        QString sent = text;
        if (octetValue(text) < kOctetLimit) {
            if (text.size() == 1)
                sent = QStringLiteral("00") + text;
            else if (text.size() == 2)
                sent = QLatin1Char('0') + text;
        } else {
            result.ok = false;
        }
        result.sent[i] = sent;
        result.argument += sent;
    }
    return result;
}

QString request(Kind kind, const QString &argument)
{
    switch (kind) {
    case Kind::Ip:
        return Portd::requestSetIp(argument);
    case Kind::Mask:
        return Portd::requestSetMask(argument);
    case Kind::Gateway:
        break;
    }
    return Portd::requestSetGateway(argument);
}

QString typedAddress(const Octets &boxes)
{
    return boxes[0] + QLatin1Char('.') + boxes[1] + QLatin1Char('.') + boxes[2]
           + QLatin1Char('.') + boxes[3];
}

} // namespace AddressSetting
