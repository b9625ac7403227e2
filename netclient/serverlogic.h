#pragma once

#include "app/codepage.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What the device-like server says and checks, without its window: the
// greetings and the data ports' echo, the port box and the base port given
// from outside, the texts of its messages, and a received block as the
// window shows it.
namespace ServerLogic {

// Control port at load; data port k (1 to 8) is this port + k.
constexpr int kDefaultBasePort = 1000;
constexpr int kDataPorts = 8;
// Moves the control port and the data ports after it, so that test runs
// need neither the fixed ports nor the right to bind ports below 1024.
inline constexpr char kBasePortVariable[] = "RM4630K_SERVER_PORT";
constexpr int kHighestBasePort = 65535 - kDataPorts;

// A connection stops taking what its peer sends while this much of its echo
// waits to be sent, and takes again once the queue is down to
// kResumeBelowBytes; meanwhile at most kReceiveLimitBytes lie received and
// not taken, and the peer waits. So memory stays bounded for a peer that
// never reads, and nothing is dropped.
constexpr qint64 kSendQueueLimitBytes = 1024 * 1024;
constexpr qint64 kResumeBelowBytes = kSendQueueLimitBytes / 2;
constexpr qint64 kReceiveLimitBytes = 256 * 1024;
// Characters of one block that the receive box shows at most: its end.
constexpr qsizetype kShownMaxChars = 16 * 1024;

QString windowTitle();

// Sent on the control connection as soon as it is accepted.
QByteArray controlGreeting();
// Sent on data port 1001 + index as soon as it is accepted.
QByteArray dataGreeting(int index);
// A block received on data port 1001 + index goes back with index + 1 after it.
QByteArray dataEcho(const QByteArray &received, int index);

// The text of the send box as it goes out: its line breaks as CR LF.
QString sendText(const QString &boxText);

// The port that a port box names: a whole decimal number from 0 to 65535,
// blanks around it allowed; nothing for anything else.
std::optional<int> portFromText(const QString &text);
QString badPortText(const QString &text);

// The control port at load from the environment variable's value: the
// default when it is unset or empty; otherwise a whole number from 1 to
// kHighestBasePort, or the default and a message saying why.
struct BasePort
{
    int port = kDefaultBasePort;
    QString problem;
};
BasePort basePortFrom(const QByteArray &environmentValue);

// A port that could not be listened on, with the system's reason.
struct ListenFailure
{
    int port = 0;
    QString reason;
};
// One message for the ports of one load or one listen toggle: one line per
// reason, naming its ports.
QString listenFailureText(const QList<ListenFailure> &failures);

// What the receive box shows for a block received on the control
// connection: its text in code page 950 (decoder keeps a double-byte
// character split between blocks whole), cut to its last kShownMaxChars.
QString shownText(Cp950::Decoder &decoder, const QByteArray &block);

} // namespace ServerLogic
