#include "console/consolemenu.h"

#include "console/menuscreen.h"

namespace ConsoleMenu {

namespace {

bool narrowPort(int port)
{
    return port == 1 || port == 2;
}

// What is sent for each choice, in the order of entries().
QStringList sentTexts(Setting setting, int port)
{
    if (setting == Setting::Parity)
        return {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")};
    return entries(setting, port);
}

} // namespace

bool octetsInRange(const QStringList &octets)
{
    for (const QString &octet : octets) {
        if (MenuScreen::leadingNumber(octet) >= kOctetLimit)
            return false;
    }
    return true;
}

QString menuLetter(Setting setting)
{
    switch (setting) {
    case Setting::Baudrate:
        return QStringLiteral("B");
    case Setting::Databit:
        return QStringLiteral("D");
    case Setting::Parity:
        return QStringLiteral("P");
    case Setting::Stopbit:
        break;
    }
    return QStringLiteral("S");
}

QString readLine(Setting setting, const QString &screen)
{
    switch (setting) {
    case Setting::Baudrate:
        return MenuScreen::readTwoLines(screen, MenuScreen::kLabelBaudrate);
    case Setting::Databit:
        return MenuScreen::readToLineEnd(screen, MenuScreen::kLabelDatabit);
    case Setting::Parity:
        return MenuScreen::readToLineEnd(screen, MenuScreen::kLabelParity);
    case Setting::Stopbit:
        break;
    }
    return MenuScreen::readToLineEnd(screen, MenuScreen::kLabelStopbit);
}

QStringList entries(Setting setting, int port)
{
    switch (setting) {
    case Setting::Baudrate:
        return {QStringLiteral("1200"),  QStringLiteral("2400"),  QStringLiteral("4800"),
                QStringLiteral("9600"),  QStringLiteral("19200"), QStringLiteral("38400"),
                QStringLiteral("57600"), QStringLiteral("115200")};
    case Setting::Databit:
        if (narrowPort(port))
            return {QStringLiteral("7"), QStringLiteral("8")};
        return {QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("8")};
    case Setting::Parity:
        return {QStringLiteral("None"), QStringLiteral("Even"), QStringLiteral("Odd")};
    case Setting::Stopbit:
        break;
    }
    if (narrowPort(port))
        return {QStringLiteral("1")};
    return {QStringLiteral("1"), QStringLiteral("2")};
}

QString sentText(Setting setting, int port, int index)
{
    if (setting == Setting::Stopbit && narrowPort(port))
        return QStringLiteral("1");
    return sentTexts(setting, port).value(index);
}

int entryFor(Setting setting, int port, const QString &value)
{
    if (setting == Setting::Stopbit && narrowPort(port))
        return 0;
    return static_cast<int>(sentTexts(setting, port).indexOf(value));
}

qint64 modbusMask(const std::array<QString, 8> &flags)
{
    qint64 mask = 0;
    for (size_t k = 0; k < flags.size(); ++k)
        mask += MenuScreen::leadingNumber(flags[k]) << k;
    return mask;
}

} // namespace ConsoleMenu
