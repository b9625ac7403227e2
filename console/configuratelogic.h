#pragma once

#include "console/ipconfigreport.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// What the older configuration form reads and proposes: its receive text,
// the device's addresses read from it, and the octets it proposes from the
// PC's and the device's addresses.
namespace ConfigurateLogic {

// The receive text: every piece polled from the port, each put behind a CR
// of its own, so that every piece starts on a new line. A menu line that
// arrives in two pieces has that CR inside it.
class ReceiveText
{
public:
    // Beyond this many characters the oldest kDropChars go at the next piece.
    // A poll takes at most the port's input buffer, so the text stays within
    // kCapChars and one piece.
    static constexpr qsizetype kCapChars = 16000;
    static constexpr qsizetype kDropChars = 4096;

    const QString &text() const { return m_text; }
    void clear() { m_text.clear(); }

    // Adds a polled piece behind its CR; an empty piece adds nothing.
    // Returns false when the oldest characters went to make room.
    bool append(const QString &piece);

    // The text as a text box shows it: a CR LF pair, a lone CR and a lone LF
    // each break the line.
    static QString toDisplay(const QString &text);

private:
    QString m_text;
};

// The device's addresses on the menu screen.
struct DeviceAddresses
{
    QString ip;
    QString mask;
    QString gateway;
};

// The I, N and G lines of a menu screen: 15 characters from each label's
// value column, up to a line break (a piece's CR inside the value ends it);
// empty for a label that is missing, also when a piece's CR splits it.
DeviceAddresses readDeviceAddresses(const QString &screen);

// The load reads the menu a second time when the device's IP address read
// shorter than this.
inline constexpr qsizetype kShortIpChars = 7;
bool needsSecondReading(const QString &deviceIp);

using Octets = std::array<QString, 4>;

// The octets proposed for the IP address, the mask and the gateway.
struct Proposal
{
    Octets ip;
    Octets mask;
    Octets gateway;
};

// At load: from the PC's addresses, parts as they stand, except the IP's last
// part, which is its number plus 1.
Proposal proposeAtLoad(const IpconfigReport::PcAddresses &pc);
// At a menu reading: IP and mask from the PC's addresses, each part as its
// number (the IP's last plus 1); the gateway from the device's gateway, its
// first two parts as numbers, the other two as they stand.
Proposal proposeAtReading(const IpconfigReport::PcAddresses &pc, const QString &deviceGateway);

} // namespace ConfigurateLogic
