#pragma once

// What the network client's window tests share: the window loaded against a
// simulated Portd, and checks of the requests on the wire with their spacing.

#include "app/launcherstate.h"
#include "app/windownames.h"
#include "app/windows.h"
#include "net/winsock.h"
#include "netclient/frmmain.h"
#include "netclient/netclient.h"
#include "netclient/receiveview.h"
#include "tests/support/simulatedportd.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>

#include <memory>

namespace NetTest {

// Arrival times at the simulated device, taken in the same thread as the
// window: on a busy machine a read may come some milliseconds after its send.
// Used only where the sends were not followed (see Fixture).
constexpr int kToleranceMs = 15;
// Send times, taken as the window hands a request to its connection: a pause
// measured there is the window's own, only cut to whole milliseconds on two
// clocks.
constexpr int kSlackMs = 1;
// Long enough for a Connect that ends in its 3000 ms time-out.
constexpr int kConnectTimeoutMs = 12000;

// A request text, at least waitMs after the one before it.
struct Step
{
    int waitMs;
    QByteArray text;
};

// Empty when the device read exactly the steps' texts since the log was
// cleared, each sent at least its wait after the one before; otherwise what
// differs. Texts sent back to back may reach the device as one arrival.
inline QString requestProblem(const SimulatedPortd &portd, const QList<Step> &steps)
{
    QByteArray got;
    QList<qint64> at; // when every byte was sent (or, not followed, read)
    for (const SimulatedPortd::Request &r : portd.requests()) {
        got += r.text;
        at.append(QList<qint64>(r.text.size(), r.ms));
    }
    int tolerance = kToleranceMs;
    if (!portd.sent().isEmpty()) {
        at.clear();
        for (const SimulatedPortd::Sent &s : portd.sent())
            at.append(QList<qint64>(s.bytes, s.ms));
        tolerance = kSlackMs;
    }
    QByteArray expected;
    QByteArrayList texts;
    for (const Step &s : steps) {
        const qsizetype i = expected.size();
        expected += s.text;
        texts << s.text;
        if (i > 0 && i < at.size() && at[i] - at[i - 1] < s.waitMs - tolerance)
            return QStringLiteral("%1 came %2 ms after the text before it")
                .arg(QString::fromLatin1(s.text))
                .arg(at[i] - at[i - 1]);
    }
    if (got == expected)
        return QString();
    QByteArrayList gotTexts;
    for (const SimulatedPortd::Request &r : portd.requests())
        gotTexts << r.text;
    return QString::fromLatin1("got " + gotTexts.join('|') + " wanted " + texts.join('|'));
}

// When the window sent the request with that text (the nth such, from 0),
// on the device's clock; -1 if it was not read or the sends were not followed.
inline qint64 sentAt(const SimulatedPortd &portd, const QByteArray &text, int nth = 0)
{
    qint64 offset = -1; // of its first byte in what the device read
    qint64 before = 0;
    for (const SimulatedPortd::Request &r : portd.requests()) {
        if (r.text == text && nth-- == 0) {
            offset = before;
            break;
        }
        before += r.text.size();
    }
    if (offset < 0)
        return -1;
    for (const SimulatedPortd::Sent &s : portd.sent()) {
        if (offset < s.bytes)
            return s.ms;
        offset -= s.bytes;
    }
    return -1;
}

#define CHECK_REQUESTS(portd, ...)                                                             \
    QTRY_VERIFY2(NetTest::requestProblem(portd, __VA_ARGS__).isEmpty(),                        \
                 qPrintable(NetTest::requestProblem(portd, __VA_ARGS__)))

inline QStringList items(const QComboBox *c)
{
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i);
    return out;
}

inline QString pane(const frmMain *w)
{
    return w->PicMsg->toPlainText();
}

// The ten command controls, enabled only while connected.
inline QList<QWidget *> commandControls(const frmMain *w)
{
    return {w->cmdReboot, w->txtSend,   w->cmdCommSet, w->cmdIPset,  w->cmdGatewayset,
            w->cmdMaskset, w->cmdMacset, w->cmdState,   w->cmdLedon, w->cmdLedoff};
}

inline bool allEnabled(const QList<QWidget *> &controls, bool enabled)
{
    for (const QWidget *c : controls) {
        if (c->isEnabled() != enabled)
            return false;
    }
    return true;
}

// The client loaded and shown, pointed at a simulated Portd on 127.0.0.1.
class Fixture
{
public:
    std::unique_ptr<SimulatedPortd> portd;
    QPointer<frmMain> w;

    bool start()
    {
        portd = std::make_unique<SimulatedPortd>();
        if (!portd->start())
            return false;
        registerNetclientWindows();
        w = Windows::get<frmMain>(WindowName::frmMain);
        if (!w)
            return false;
        // Requests are timed as the window sends them: its send flushes, and
        // the socket reports the bytes written before the send returns.
        QObject::connect(w->tcpPC, &Winsock::SendProgress, portd.get(),
                         [p = portd.get()](qint64 bytes) { p->noteSent(bytes); });
        w->show();
        w->txtIP->setText(QStringLiteral("127.0.0.1"));
        w->txtPort->setText(QString::number(portd->controlPort()));
        return true;
    }

    void stop()
    {
        Windows::clear();
        portd.reset();
        LauncherState::instance().reset();
    }

    // Connects to a device of that module name; the click returns once the
    // Connect has ended. True when the window is connected then, with every
    // data connection up at the device.
    bool connectTo(const QString &moduleName)
    {
        portd->settings().moduleName = moduleName;
        w->cmdConnect->click();
        // The reply to the last doubled query may still come after the end.
        if (!w || !w->flgConnect || !pane(w).startsWith(QStringLiteral("Server Connected!")))
            return false;
        for (int k = 1; k <= w->ComNo; ++k) {
            if (!QTest::qWaitFor([&] { return portd->isDataConnected(k); }))
                return false;
        }
        return true;
    }

    // The user picks port index in the list (the click returns once the
    // switch has ended).
    void choosePort(int index)
    {
        w->combCommPort->setCurrentIndex(index);
        emit w->combCommPort->activated(index);
    }
};

} // namespace NetTest
