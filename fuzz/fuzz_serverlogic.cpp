// The device-like server: what it composes from the bytes it receives (the
// data ports' echo, the received blocks as its box shows them), the port box
// and the base port given from outside, and its message for the ports it
// could not listen on.
//
// Input: the data port's index, then the bytes received, which also serve as
// the port box, the environment variable's value, and ports and reasons of
// listen failures (two bytes of port, one byte choosing the reason).

#include "fuzz/fuzzcheck.h"

#include "netclient/serverlogic.h"

#include <QRegularExpression>

#include <algorithm>

using namespace ServerLogic;

namespace {

bool allAsciiDigits(QStringView text)
{
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return !text.isEmpty();
}

// Byte-exact echo of what came, then the port's number; the greeting names
// the port too.
void checkEcho(const QByteArray &received, int index)
{
    const QByteArray number = QByteArray::number(index + 1);
    const QByteArray echo = dataEcho(received, index);
    FUZZ_CHECK(echo.size() == received.size() + number.size());
    FUZZ_CHECK(echo.startsWith(received) && echo.endsWith(number));
    FUZZ_CHECK(dataGreeting(index) == "WelCome, " + QByteArray::number(index) + "\r\n");
}

// Blocks shown one after another: each the end of what decoding the stream
// gives for it, and all of it when short.
void checkShown(const QByteArray &stream, Fuzz::Draw &draw, qsizetype minPiece)
{
    Cp950::Decoder shownDecoder;
    Cp950::Decoder wholeDecoder;
    QList<QByteArray> blocks;
    for (qsizetype at = 0; at < stream.size();) {
        const qsizetype n = minPiece + draw.below(stream.size() - at);
        blocks << stream.mid(at, n);
        at += n;
    }
    for (const QByteArray &block : blocks) {
        const QString shown = shownText(shownDecoder, block);
        const QString all = wholeDecoder.decode(block);
        FUZZ_CHECK(shown.size() == std::min(all.size(), kShownMaxChars));
        FUZZ_CHECK(all.endsWith(shown));
    }
}

// A port is a whole decimal number 0 to 65535 with blanks around it; every
// such number written plainly is read.
void checkPortBox(const QString &text)
{
    const std::optional<int> port = portFromText(text);
    const QString trimmed = text.trimmed();
    if (port) {
        FUZZ_CHECK(*port >= 0 && *port <= 65535);
        FUZZ_CHECK(allAsciiDigits(trimmed));
        QStringView digits(trimmed);
        while (digits.size() > 1 && digits.front() == u'0')
            digits = digits.mid(1);
        FUZZ_CHECK(digits == QString::number(*port));
    } else {
        FUZZ_CHECK(badPortText(text).contains(text));
    }
    bool ok = false;
    const int plain = trimmed.toInt(&ok);
    if (ok && plain >= 0 && plain <= 65535 && trimmed == QString::number(plain))
        FUZZ_CHECK(port == plain);
}

// The base port from the environment: one the data ports fit after, or the
// default and a message that names the variable and its value.
void checkBasePort(const QByteArray &value)
{
    const BasePort base = basePortFrom(value);
    FUZZ_CHECK(base.port >= 1 && base.port <= kHighestBasePort);
    const std::optional<int> port = portFromText(QString::fromLocal8Bit(value));
    const bool usable = port && *port >= 1 && *port <= kHighestBasePort;
    if (value.isEmpty() || usable) {
        FUZZ_CHECK(base.problem.isEmpty());
        FUZZ_CHECK(base.port == (value.isEmpty() ? kDefaultBasePort : *port));
    } else {
        FUZZ_CHECK(base.port == kDefaultBasePort);
        FUZZ_CHECK(base.problem.contains(QString::fromLatin1(kBasePortVariable)));
        FUZZ_CHECK(base.problem.contains(QString::fromLocal8Bit(value)));
    }
}

// Every reason and every port is named; below 1024, a word on the rights.
void checkListenFailures(const QList<ListenFailure> &failures)
{
    const QString text = listenFailureText(failures);
    static const QRegularExpression run(QStringLiteral("(\\d+) to (\\d+)"));
    QList<std::pair<int, int>> runs;
    for (auto m = run.globalMatch(text); m.hasNext();) {
        const QRegularExpressionMatch r = m.next();
        runs.append({r.captured(1).toInt(), r.captured(2).toInt()});
    }
    bool privileged = false;
    for (const ListenFailure &f : failures) {
        FUZZ_CHECK(text.contains(f.reason.isEmpty() ? QStringLiteral("no reason given") : f.reason));
        const bool inRun = std::any_of(runs.begin(), runs.end(), [&f](const auto &r) {
            return r.first <= f.port && f.port <= r.second;
        });
        FUZZ_CHECK(inRun || text.contains(QString::number(f.port)));
        privileged = privileged || (f.port > 0 && f.port < 1024);
    }
    const QString rights = QStringLiteral("administrator rights");
    const bool reasonsSayIt = std::any_of(failures.begin(), failures.end(),
                                          [&rights](const ListenFailure &f) { return f.reason.contains(rights); });
    if (!reasonsSayIt)
        FUZZ_CHECK(text.contains(rights) == privileged);
    FUZZ_CHECK(failures.isEmpty() == text.isEmpty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray input = Fuzz::bytes(data, size);
    const QByteArray received = input.mid(1);
    Fuzz::Draw draw(input);
    const auto b0 = data[0];

    checkEcho(received, (b0 & 7));
    checkEcho(received, int(b0 >> 3) - 1);

    // What the box makes of the received text (its decoding is the codepage
    // target's); now and then behind more than the box shows, in a few blocks.
    const QByteArray head = received.left(64);
    if (b0 == 0xA5)
        checkShown(QByteArray(kShownMaxChars, 'x') + head, draw, kShownMaxChars / 2);
    else
        checkShown(head, draw, 1);

    // Texts typed into the send box go out with CR LF line breaks.
    const QString typed = QString::fromUtf8(received);
    const QString sent = sendText(typed);
    FUZZ_CHECK(sent.size() == typed.size() + typed.count(u'\n'));
    FUZZ_CHECK(QString(sent).replace(QStringLiteral("\r\n"), QStringLiteral("\n")) == typed);

    if (received.size() <= 64) {
        checkPortBox(typed);
        checkBasePort(received);
    }

    // Ports and reasons for the listen message: two bytes of port, a reason
    // chosen by the next byte, from the system's or from the input.
    static const QString reasons[] = {QString(), QStringLiteral("The bound address is already in use"),
                                      QStringLiteral("The address is protected")};
    QList<ListenFailure> failures;
    for (qsizetype i = 0; i + 2 < received.size() && failures.size() < 12; i += 3) {
        const int port = (static_cast<unsigned char>(received[i]) << 8) | static_cast<unsigned char>(received[i + 1]);
        const auto r = static_cast<unsigned char>(received[i + 2]);
        failures.append({port, r < 3 ? reasons[r] : QString::fromUtf8(received.mid(i + 3, r % 16))});
    }
    checkListenFailures(failures);
    return 0;
}
