#pragma once

#include "app/hostnet.h"

#include <QStringList>

#include <cstring>
#include <optional>

// A host network source that tests fill in: each query's result code, the
// adapter chain and the raw address table. Installed while it lives; records
// which queries ran.
class FakeHostNet : public HostNet::Source
{
public:
    FakeHostNet() { install(this); }
    ~FakeHostNet() override { install(nullptr); }

    quint32 paramsSizeResult = HostNet::kBufferOverflow;
    quint32 paramsResult = HostNet::kNoError;
    quint32 adaptersSizeResult = HostNet::kBufferOverflow;
    quint32 adaptersResult = HostNet::kNoError;
    std::vector<HostNet::Adapter> chain;
    QByteArray table;
    std::optional<qint64> tableSize; // by default the table's own length
    QStringList calls;

    void setGateways(const QStringList &dotted)
    {
        chain.clear();
        for (const QString &g : dotted)
            chain.push_back({HostNet::addressField(g)});
    }

    quint32 networkParamsSize(quint32 &size) override { return ran("paramsSize", size, paramsSizeResult); }
    quint32 networkParams(quint32) override { return ran("params", paramsResult); }
    quint32 adaptersSize(quint32 &size) override { return ran("adaptersSize", size, adaptersSizeResult); }
    quint32 adapters(quint32, std::vector<HostNet::Adapter> &out) override
    {
        if (adaptersResult == HostNet::kNoError)
            out = chain;
        return ran("adapters", adaptersResult);
    }
    qint64 addressTableSize() override { return ran("tableSize", tableSize.value_or(table.size())); }
    QByteArray addressTable(qint64) override { return ran("table", table); }

private:
    template <class T>
    T ran(const char *call, T result)
    {
        calls << QString::fromLatin1(call);
        return result;
    }
    quint32 ran(const char *call, quint32 &size, quint32 result)
    {
        size = 640;
        return ran(call, result);
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
