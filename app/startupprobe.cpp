#include "app/startupprobe.h"

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace StartupProbe {

void firstPaint()
{
    static const bool enabled = qEnvironmentVariableIsSet("RM4630K_FIRST_PAINT");
    static bool reported = false;
    if (!enabled || reported)
        return;
    reported = true;
    // The window's children paint after it in the same pass; a zero timer
    // fires once the whole first frame is done.
    QTimer::singleShot(0, qApp, [] {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        const long long us = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
        long peakKib = 0;
#ifdef Q_OS_UNIX
        rusage usage{};
        if (getrusage(RUSAGE_SELF, &usage) == 0)
            peakKib = usage.ru_maxrss; // KiB on Linux
#endif
        std::printf("first-paint-us %lld peak-kib %ld\n", us, peakKib);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
}

} // namespace StartupProbe
