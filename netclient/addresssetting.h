#pragma once

#include <QString>

#include <array>

// The three address dialogs of the network client (IP address, net mask,
// gateway): how they fill their four octet boxes from the client's label, how
// they check and zero-fill the octets typed, and the request they send.
namespace AddressSetting {

enum class Kind { Ip, Mask, Gateway };

// What sets one dialog apart from the other two.
struct Texts
{
    QString title;
    QString caption;      // of the octet row
    QString designCopy;   // the copy label before the fill
    QString rangeMessage; // the check failed
    QString reconnectNote;
    bool writesAddressBox; // the client connects to the new address next time
};
Texts texts(Kind kind);

inline const QString kOk = QStringLiteral("Ok!");
inline const QString kError = QStringLiteral("Error!");

using Octets = std::array<QString, 4>;

// The four octet texts of a label split at its first three dots; everything
// after the third dot goes to the last box. A label with fewer than three dots
// (such as "Unconnected") gives four empty boxes.
Octets splitLabel(const QString &label);

// An octet whose value reaches this fails the check.
inline constexpr double kOctetLimit = 256;
// The value of an octet text: the number it begins with, sign and fraction
// included; 0 when it begins with none.
double octetValue(const QString &text);

struct Check
{
    bool ok = false;
    // Each octet as sent: a value below 256 typed with one or two characters
    // gets "00" or "0" in front; anything else stays as typed.
    Octets sent;
    // The four joined: the twelve digits when every octet is a number 0 to 255.
    QString argument;
    QString status() const { return ok ? kOk : kError; }
};
Check check(const Octets &boxes);

// The request that sets the address: the kind's code, then the argument.
QString request(Kind kind, const QString &argument);

// The octets as typed, joined with "." (no zeros added).
QString typedAddress(const Octets &boxes);

} // namespace AddressSetting
