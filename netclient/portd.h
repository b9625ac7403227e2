#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The numbered text commands of the device's server program Portd: the
// requests that the network client sends on the control connection, and the
// readings of the replies it relies on. A request is the two-digit code and its
// argument, with no separator or terminator; a reply is whatever one arrival
// brings. Every reader takes any text and stays inside it.
namespace Portd {

// The device has at most this many COM ports, each with a data connection.
inline constexpr int kMaxPorts = 8;
inline constexpr quint16 kDefaultControlPort = 10000;

// Identity queries, sent in this order when the client connects.
QString requestModuleName(); // "10"
QString requestVersion();    // "01"
QString requestGateway();    // "13"
QString requestMask();       // "15"
QString requestMac();        // "21"
QStringList connectQueries(); // "10", "01", "13", "15", "21", "161"

// Per-port queries; port is the device COM port number, written in decimal.
QString requestPortSettings(int port); // "16" N
QString requestModbusStatus(int port); // "33" N

QString requestLed(bool on); // "201" / "200"
QString requestReboot();     // "99"

// Sets of a port: the texts go out as given (the dialog sends what it shows).
QString requestSetBaudrate(int port, const QString &baudrate); // "06" N BBBB
QString requestSetDataFormat(int port, const QString &databits, int parity,
                             const QString &stopbits);       // "07" N D P S
QString requestSetModbus(int port, int status);              // "32" N S

// Address sets with their twelve-digit argument.
QString requestSetIp(const QString &argument);      // "08" iiipppIIIPPP
QString requestSetMask(const QString &argument);    // "14" iiipppIIIPPP
QString requestSetGateway(const QString &argument); // "12" iiipppIIIPPP

// The four octets, each written with three digits: 192.9.40.100 gives
// "192009040100".
QString addressArgument(const std::array<quint8, 4> &octets);

// A reply: one arrival on the control connection, decoded from code page 950
// on its own. Nothing is held back for the next arrival: a lead byte without
// its second byte becomes U+FFFD, as any byte that cannot be decoded. An
// arrival of up to wholeBytes is decoded whole: the client's receive limit
// keeps every arrival within kWholeReplyBytes. Of a longer one only the end
// is decoded, at most its last wholeBytes: from just after the first byte that
// cannot begin a double-byte character (below 0x81, or 0xFF) among the byte
// before them and all but the last of them, so that the text ends exactly as
// the whole arrival's would. Where no such byte stands there, it is cut at its
// last wholeBytes regardless (its first characters may then pair differently).
inline constexpr qsizetype kWholeReplyBytes = 64 * 1024;
QString replyText(QByteArrayView arrival, qsizetype wholeBytes = kWholeReplyBytes);

// The module-name reply. Its fifth character "M" marks the Modbus variant; the
// port count is the text between the first and the second separator ("M" on
// the Modbus variant, "E" on any other device), or to the end.
struct ModuleName
{
    bool modbus = false;
    // The separator occurs: countText is the second piece. Otherwise the name
    // is not correct and the client keeps the count it had.
    bool hasCount = false;
    QString countText;
    // countText as a port count the client can serve: a whole decimal number
    // 1 to 8 (blanks and line ends around it allowed). Nothing for anything
    // else: the client then keeps the count it had, as for a name without the
    // separator, so that no port beyond the eighth is ever addressed.
    std::optional<int> portCount;
};
ModuleName readModuleName(const QString &reply);
// The fifth character is "M" (the test that decides the Modbus queries).
bool isModbusVariant(const QString &moduleName);
// "4" gives "4 COM Ports".
QString portsLabel(const QString &countText);
inline const QString kModuleNameNotCorrect = QStringLiteral("Module Name is not correct!");

// The settings reply of code 16, "19200,8,0,1", cut at fixed places counted
// from the right: stop bits the last character, parity the third from last,
// data bits the fifth from last, the baud rate everything before the last six.
// A place that lies before the start of the text gives an empty field.
struct PortSettings
{
    QString baudrate;
    QString databits;
    QString parity;
    QString stopbits;
};
PortSettings readPortSettings(const QString &reply);

// The number a text begins with, as the client reads replies and typed octets:
// leading blanks skipped, then an optional sign, digits and an optional
// fraction. Nothing when the text does not begin with a number.
std::optional<double> leadingValue(QStringView text);

// The Modbus status reply of code 33: its numeric value, 0 meaning off.
// Nothing when it is no number (an error reply), so that the labels stay.
std::optional<double> readModbusStatus(const QString &reply);
// "Modbus Disable" for 0, "Modbus Enable" for any other number; nothing for
// a reply that is no number.
std::optional<QString> modbusWording(const QString &reply);

// The control port typed by the user: a whole decimal number 1 to 65535,
// blanks around it allowed.
std::optional<quint16> readControlPort(const QString &text);
// The data port of device COM port k (1 to 8): the control port + k; nothing
// when that passes 65535 or k is no port.
std::optional<quint16> dataPort(quint16 controlPort, int k);

} // namespace Portd
