#pragma once

#include <QString>

#include <array>
#include <optional>

// Reading the device's console text: the DOS prompt and the NVCONF menu
// screen, whose values stand at fixed distances from fixed labels.
//
// Every reading stays inside the text. A screen that is incomplete or damaged
// gives empty or zero values, never a value cut from elsewhere:
// - a label that is missing gives an empty value;
// - a value that runs to its line's end gives an empty value when that line
//   has no CR yet (the baud-rate list keeps its first line when only the
//   second one is unfinished);
// - a value column beyond the end of the text gives an empty value;
// - a model number whose last character is not a digit 1 to 8 has no ports;
// - a port mask digit that is not hexadecimal counts as 0 (ports off).
namespace MenuScreen {

inline const QString kPrompt = QStringLiteral("A:\\>");

inline const QString kLabelIp = QStringLiteral("I : Modify IP ADDR  ");
inline const QString kLabelMask = QStringLiteral("N : Modify NetMask  ");
inline const QString kLabelGateway = QStringLiteral("G : Modify Gateway  ");
inline const QString kLabelModel = QStringLiteral("M : Modify Model No");
inline const QString kLabelBaudrate = QStringLiteral("B : Modify Baudrate");
inline const QString kLabelDatabit = QStringLiteral("D : Modify Databit");
inline const QString kLabelParity = QStringLiteral("P : Modify Parity");
inline const QString kLabelStopbit = QStringLiteral("S : Modify Stopbit");
inline const QString kLabelModbus = QStringLiteral("U : Modify fUnction");

// Values start this many characters after the first character of their label.
inline constexpr int kValueColumn = 20;
inline constexpr int kAddressChars = 15;
inline constexpr int kModelChars = 6;
inline constexpr int kMaskChars = 2;
inline constexpr int kDevicePorts = 8;

// True when the text ends in the prompt "A:\>".
bool hasPrompt(const QString &screen);

// n characters from the value column of label (fewer where the text ends).
QString readFixed(const QString &screen, const QString &label, int n);
// From the value column to two characters before the line's CR.
QString readToLineEnd(const QString &screen, const QString &label);
// A value on two lines: the first line as readToLineEnd, followed by the
// next line from its 20th character to two characters before its CR.
QString readTwoLines(const QString &screen, const QString &label);
// The two characters of the Modbus port mask, a lone digit given a leading 0.
QString readModbusField(const QString &screen);

// The values of the whole screen, as the screen gives them (model untrimmed).
struct DeviceMenu
{
    QString ip;
    QString mask;
    QString gateway;
    QString model;
    QString baudrates;
    QString databits;
    QString parities;
    QString stopbits;
};
DeviceMenu readDeviceMenu(const QString &screen);

// Number of device ports of a model number: its last character, 1 to 8;
// 0 for anything else.
int portCount(const QString &model);
// A Modbus model has "M" as the second-to-last character of its model number.
bool isModbusModel(const QString &model);

// Per-port flags of a port mask: the second digit holds ports 1 to 4 (bit 0 is
// port 1), the first digit ports 5 to 8.
std::array<bool, kDevicePorts> decodePortMask(const QString &mask);

// Port n's value (1 to 8) in a per-port list such as "1:57600 2:9600 ...":
// from behind "n:" to the blank before the next port's entry, for port 8 to
// the end. When the next port's entry is missing the value ends at the next
// blank; when port n's own entry is missing the value is empty.
QString portValue(const QString &list, int port);

// The number a text begins with: leading blanks skipped, the leading decimal
// digits taken, 0 when there are none.
qint64 leadingNumber(const QString &text);

// The four octet values of a dotted address such as "192.  9. 40.100";
// nothing when it has fewer than three dots.
std::optional<std::array<qint64, 4>> splitOctets(const QString &address);

} // namespace MenuScreen
