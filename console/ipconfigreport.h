#pragma once

#include <QByteArray>
#include <QString>

namespace HostNet {
class Source;
}

// The PC's own addresses as the older configuration form takes them from the
// report of the system's ipconfig command ("ipconfig.ini"): the writer of
// that report where the system has no such command, and its reader.
//
// A value stands one blank after its label, which is 35 characters long. The
// reader takes at most 15 characters there, up to the line's end, without the
// blanks that follow a shorter address; a report without the label, or with
// a line that ends at the label, gives an empty value.
namespace IpconfigReport {

inline const QString kFileName = QStringLiteral("ipconfig.ini");

inline const QString kLabelIp = QStringLiteral("IP Address. . . . . . . . . . . . :");
inline const QString kLabelMask = QStringLiteral("Subnet Mask . . . . . . . . . . . :");
inline const QString kLabelGateway = QStringLiteral("Default Gateway . . . . . . . . . :");

inline constexpr int kLabelChars = 35;
inline constexpr int kValueChars = 15;
// The command's report is a few kilobytes; beyond this a file is no report
// and only its start is read.
inline constexpr qint64 kMaxReportBytes = 256 * 1024;

struct PcAddresses
{
    QString ip;
    QString mask;
    QString gateway;

    friend bool operator==(const PcAddresses &, const PcAddresses &) = default;
};

// The value that follows label in report.
QString valueAfter(const QString &report, const QString &label);

// The three values of a report. Each byte is one character: the labels and
// addresses are plain ASCII whatever code page the command wrote in.
PcAddresses read(const QByteArray &report);

// The report at path, read whole up to kMaxReportBytes; empty values when it
// is missing or cannot be read. Only a plain file is read, never through a
// symbolic link, and the opening never waits (a named pipe gives nothing).
PcAddresses readFile(const QString &path);

// A report in the command's form, with CR LF line ends, listing one adapter
// with the addresses given; without an IP address it lists no adapter.
QByteArray write(const PcAddresses &pc);

// The addresses that the launcher takes from the host network information:
// the first address of the address table with its mask, and the gateway of
// the last adapter (up to its first NUL). Failed queries leave values empty.
PcAddresses fromHostNet(HostNet::Source &source);

// Has the report written to path: on Windows by the system's command, which
// is started and not waited for; elsewhere here, at once, from the host
// network information. False with a reason, naming path, when it could not
// be started or written. A path that is a symbolic link, or anything but a
// plain file, is refused (refused set): others may write the folder, and
// nothing is written or emptied through such a name.
bool produce(const QString &path, QString *why = nullptr, bool *refused = nullptr);

} // namespace IpconfigReport
