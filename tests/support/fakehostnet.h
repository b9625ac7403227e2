#pragma once

#include "app/hostnet.h"

#include <QStringList>

#include <cstring>
#include <optional>

// A host network source that tests fill in: result codes of each query, the
// adapter chain and the raw address table. Installed for as long as it lives;
// records which queries ran.
class FakeHostNet : public HostNet::Source
{
public:
    FakeHostNet() { HostNet::Source::install(this); }
    ~FakeHostNet() override { HostNet::Source::install(nullptr); }

    quint32 paramsSizeResult = HostNet::kBufferOverflow;
    quint32 paramsResult = HostNet::kNoError;
    quint32 adaptersSizeResult = HostNet::kBufferOverflow;
    quint32 adaptersResult = HostNet::kNoError;
    std::vector<HostNet::Adapter> chain;
    // The table's bytes, and the size that its size query answers (by
    // default the bytes' own length).
    QByteArray table;
    std::optional<qint64> tableSize;

    QStringList calls;

    void setGateways(const QStringList &dotted)
    {
        chain.clear();
        for (const QString &g : dotted)
            chain.push_back({HostNet::addressField(g)});
    }

    quint32 networkParamsSize(quint32 &size) override
    {
        calls << QStringLiteral("paramsSize");
        size = 584;
        return paramsSizeResult;
    }
    quint32 networkParams(quint32) override
    {
        calls << QStringLiteral("params");
        return paramsResult;
    }
    quint32 adaptersSize(quint32 &size) override
    {
        calls << QStringLiteral("adaptersSize");
        size = 640 * quint32(chain.size());
        return adaptersSizeResult;
    }
    quint32 adapters(quint32, std::vector<HostNet::Adapter> &out) override
    {
        calls << QStringLiteral("adapters");
        if (adaptersResult == HostNet::kNoError)
            out = chain;
        return adaptersResult;
    }
    qint64 addressTableSize() override
    {
        calls << QStringLiteral("tableSize");
        return tableSize.value_or(table.size());
    }
    QByteArray addressTable(qint64) override
    {
        calls << QStringLiteral("table");
        return table;
    }
};

// An address as the platform stores it, from its four bytes in order.
inline quint32 storedAddress(quint8 a, quint8 b, quint8 c, quint8 d)
{
    const quint8 bytes[4] = {a, b, c, d};
    quint32 v = 0;
    std::memcpy(&v, bytes, sizeof v);
    return v;
}
