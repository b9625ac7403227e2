#pragma once

#include <QHostAddress>
#include <QRandomGenerator>
#include <QTcpServer>

// The first of count + 1 consecutive ports that nothing listens on, from a
// random start; -1 when none were found.
inline int freeBasePort(int count)
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        const int base = 20000 + QRandomGenerator::global()->bounded(40000);
        bool free = true;
        for (int port = base; free && port <= base + count; ++port) {
            QTcpServer probe;
            free = probe.listen(QHostAddress::Any, static_cast<quint16>(port));
        }
        if (free)
            return base;
    }
    return -1;
}
