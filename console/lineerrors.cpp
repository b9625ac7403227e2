#include "console/lineerrors.h"

#if defined(Q_OS_LINUX)
#include <linux/serial.h>
#include <sys/ioctl.h>
#elif defined(Q_OS_WIN)
#include <qt_windows.h>

#include <memory>
#endif

namespace LineErrors {

LineErrorSource systemSource()
{
#if defined(Q_OS_LINUX)
    return [](qintptr handle) -> std::optional<LineErrorCounts> {
        serial_icounter_struct counts{};
        if (::ioctl(static_cast<int>(handle), TIOCGICOUNT, &counts) != 0)
            return std::nullopt;
        LineErrorCounts c;
        c.breaks = static_cast<quint32>(counts.brk);
        c.framing = static_cast<quint32>(counts.frame);
        c.overrun = static_cast<quint32>(counts.overrun);
        c.bufferOverrun = static_cast<quint32>(counts.buf_overrun);
        c.parity = static_cast<quint32>(counts.parity);
        return c;
    };
#elif defined(Q_OS_WIN)
    auto sums = std::make_shared<LineErrorCounts>();
    return [sums](qintptr handle) -> std::optional<LineErrorCounts> {
        DWORD errors = 0;
        if (!::ClearCommError(reinterpret_cast<HANDLE>(handle), &errors, nullptr))
            return std::nullopt;
        sums->breaks += (errors & CE_BREAK) ? 1 : 0;
        sums->framing += (errors & CE_FRAME) ? 1 : 0;
        sums->overrun += (errors & CE_OVERRUN) ? 1 : 0;
        sums->bufferOverrun += (errors & CE_RXOVER) ? 1 : 0;
        sums->parity += (errors & CE_RXPARITY) ? 1 : 0;
        sums->txFull += (errors & CE_TXFULL) ? 1 : 0;
        return *sums;
    };
#else
    return [](qintptr) -> std::optional<LineErrorCounts> { return std::nullopt; };
#endif
}

} // namespace LineErrors
