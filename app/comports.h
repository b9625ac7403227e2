#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Which system serial device each of the PC's COM1 to COM4 opens: the one
// named by the environment or the settings file, else the serial ports the
// system has (adapters first), else the usual on-board names. Refuses a named
// device whose path no serial port can have, and says why.
namespace ComPorts {

// The launcher offers COM1 to COM4.
constexpr int kNames = 4;
// A serial port's lock file on Unix is "LCK.." followed by its path without
// "/dev/" (slashes made underscores), and a file name has at most 255 bytes:
// a longer path cannot be locked, so it cannot be opened.
constexpr qsizetype kMaxPortNameBytes = 255 - 5;

// A serial port that the system reports.
struct SystemPort
{
    QString location;     // "/dev/ttyUSB0"
    bool adapter = false; // plugged in (USB and the like) rather than on-board
};

// Where the system's serial ports come from.
class Source
{
public:
    virtual ~Source() = default;
    virtual QList<SystemPort> ports() = 0;

    // The installed source: the system's unless a test installed another.
    static Source &current();
    // Installs s (not owned); nullptr goes back to the system's.
    static void install(Source *s);
};

// The devices of COM1, COM2... when nothing names one: the adapters, then the
// on-board ports, each sorted by name with numbers in order (ttyS2 before
// ttyS10), then the on-board names "/dev/ttyS0", "/dev/ttyS1"... that the
// list does not hold. Exactly count devices, none twice.
QStringList systemDevices(const QList<SystemPort> &ports, int count = kNames);

// Why path cannot be a serial device (a control character, too long);
// empty when it can. The path itself is not part of the text.
QString pathProblem(const QString &path);

// A path as a message shows it: control characters as \xNN, a very long one
// cut short.
QString shownPath(const QString &path);

// Where a device name came from.
enum class Origin { Environment, SettingsFile, System, Usual };

// The device that COM<n> opens, and a message for each value that named one
// and was refused.
struct Device
{
    QString path;
    Origin origin = Origin::Usual;
    QStringList problems;
};

// The environment variable that names COM<n>'s device: "RM4630K_COM<n>".
QByteArray environmentVariable(int n);

// What opens for COM<n>: environmentValue (the variable's bytes), else
// fileValue (key "COM<n>" of the settings file), else systemDevice (a port
// the system reported when listed, a usual name otherwise); an empty value
// names nothing. settingsFile names the file in the messages.
Device resolve(int n, const QByteArray &environmentValue, const QString &fileValue,
               const QString &systemDevice, bool listed, const QString &settingsFile);

// What opens for COM<n> (1 to kNames, or the platform's own "COM<n>" beyond),
// from this process's environment, the utility's settings file and the
// installed source.
Device device(int n);

// Where COM<n>'s device came from, for a message: "from RM4630K_COM1",
// "from the settings file", "not reported by the system"; empty for a port
// that the system reported.
QString originNote(int n, const Device &d);

// "COM1: /dev/ttyUSB0" and the like, one line a name, with where a device
// named from outside came from; then what other text opens.
QString mappingText();

// The messages of every refused value of COM1 to COM4 (none, normally).
QStringList problems();

} // namespace ComPorts
