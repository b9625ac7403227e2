#pragma once

#include <QtGlobal>

#include <functional>
#include <optional>

// Counts of the errors that the system has seen on a serial line, each since
// a moment of the system's own: only their changes mean anything.
struct LineErrorCounts
{
    quint64 breaks = 0;        // break conditions received
    quint64 framing = 0;       // characters received with a framing error
    quint64 overrun = 0;       // characters lost by the port's hardware
    quint64 bufferOverrun = 0; // characters lost because the receive buffer was full
    quint64 parity = 0;        // characters received with a parity error
    quint64 txFull = 0;        // characters refused because the transmit buffer was full

    bool operator==(const LineErrorCounts &) const = default;
};

// Reads the counts of an open port from its system handle; nothing where the
// port or its driver keeps none (a pseudo-terminal, some USB adapters).
using LineErrorSource = std::function<std::optional<LineErrorCounts>(qintptr handle)>;

namespace LineErrors {

// The system's own counts: the kernel's counters of the line on Linux; on
// Windows the error flags of the port, added up (reading them clears them).
// Elsewhere none. One source per port: the Windows one keeps its sums.
LineErrorSource systemSource();

} // namespace LineErrors
