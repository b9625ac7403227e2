#pragma once

#include <QString>
#include <QStringList>

#include <array>

// What the console operations write into the device's menu, and what they
// show without asking the device: the octet check of an address, the choices
// of each per-port setting with the text sent for each, the Modbus port mask
// and the factory settings.
namespace ConsoleMenu {

// An octet whose value (the number its text begins with) reaches this fails.
inline constexpr qint64 kOctetLimit = 256;

inline const QString kOk = QStringLiteral("Ok!");
inline const QString kError = QStringLiteral("Error!");

// True when no octet's value reaches kOctetLimit. Empty or non-numeric texts
// count as 0: the device is the judge of what it is sent.
bool octetsInRange(const QStringList &octets);

// The per-port settings of the menu, in the order the window lists them.
enum class Setting { Baudrate, Databit, Parity, Stopbit };

// The menu letter that changes a setting.
QString menuLetter(Setting setting);
// The setting's line of a menu screen, as the device redisplays it after a
// change (the baud rates run over two lines).
QString readLine(Setting setting, const QString &screen);

// The choices for device port (1 to 8); ports 1 and 2 take fewer.
QStringList entries(Setting setting, int port);
// The text sent for choice index; empty when index is no choice (nothing is
// chosen). The stop bits of ports 1 and 2 are always "1".
QString sentText(Setting setting, int port, int index);
// The choice that shows value from an all-ports list; -1 when none does.
// The stop bits of ports 1 and 2 show "1" whatever the value.
int entryFor(Setting setting, int port, const QString &value);

inline const QStringList kModbusEntries = {QStringLiteral("Disable"), QStringLiteral("Enable")};

// The mask the device takes for the Modbus function: bit k is the numeric
// value of port k + 1's flag ("1" on, "0" off).
qint64 modbusMask(const std::array<QString, 8> &flags);

// The settings that the factory restore shows.
namespace Factory {
inline const QString kIp = QStringLiteral("192.  9. 40.100");
inline const QString kMask = QStringLiteral("255.255.255.  0");
inline const QString kGateway = QStringLiteral("192.  9. 40.170");
inline const QString kBaudrates =
    QStringLiteral("1:57600 2:9600 3:9600 4:9600 5:9600 6:9600 7:9600 8:9600");
inline const QString kDatabits = QStringLiteral("1:8 2:8 3:8 4:8 5:8 6:8 7:8 8:8");
inline const QString kParities = QStringLiteral("1:0 2:0 3:0 4:0 5:0 6:0 7:0 8:0");
inline const QString kStopbits = QStringLiteral("1:1 2:1 3:1 4:1 5:1 6:1 7:1 8:1");
inline const QString kModbusSet = QStringLiteral("FF");
} // namespace Factory

} // namespace ConsoleMenu
