#include "app/module1.h"

#include "app/codepage.h"
#include "app/tickcount.h"

#include <QEventLoop>
#include <QTimer>

namespace Module1 {

void Delay(int ms)
{
    const quint32 start = TickCount::now();
    QEventLoop loop;
    loop.processEvents(QEventLoop::AllEvents);
    for (;;) {
        const quint32 elapsed = TickCount::now() - start;
        if (ms <= 0 || elapsed >= static_cast<quint32>(ms))
            return;
        // Sleep in the event loop until the rest of the wait is over; events
        // that arrive meanwhile are handled there, so no core stays busy.
        bool fired = false;
        QTimer::singleShot(std::chrono::milliseconds(ms - elapsed), Qt::PreciseTimer, &loop,
                           [&loop, &fired] {
                               fired = true;
                               loop.quit();
                           });
        loop.exec();
        // An event loop that ends without our timer means the application is
        // quitting: exec() would return at once from now on, so stop waiting.
        if (!fired)
            return;
    }
}

QString AppendChecksum(const QString &s)
{
    quint64 sum = 0;
    for (const char32_t cp : s.toUcs4()) {
        if (cp < 0x80) {
            sum += cp;
            continue;
        }
        // A double-byte character contributes its second (low) byte.
        const QByteArray bytes = Cp950::fromUnicode(QString::fromUcs4(&cp, 1));
        if (!bytes.isEmpty())
            sum += static_cast<quint8>(bytes.back());
    }
    const QString hex = QString::number(sum, 16).toUpper();
    return s + hex.right(2);
}

QString PadSingleDigit(const QString &s)
{
    if (s.size() >= 2 && s.at(1) == QLatin1Char('\r'))
        return QLatin1Char('0') + s.at(0);
    return s;
}

} // namespace Module1
