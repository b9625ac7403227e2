// The PC's network tables as the launcher reads them: the query results and
// the adapter chain's gateway fields, the raw address table in a buffer of the
// size its size query gave, the kernel's routing table, and the snapshot that
// turns the system's interfaces into those tables.
//
// Input: byte 0 the four query results (two bits each), byte 1 the number of
// adapters (low four bits) and how the table's size is told (high four bits),
// bytes 2 and 3 a size (signed, little-endian), then 16 bytes per adapter,
// one byte with the length of the table's bytes and those bytes; the rest is
// the routing table's text.

#include "fuzz/fuzzcheck.h"

#include "app/hostnet.h"
#include "tests/support/fakehostnet.h"

#include <QHash>
#include <QMap>

#include <cstring>

using namespace HostNet;

namespace {

class Reader
{
public:
    explicit Reader(const QByteArray &input) : m_input(input) {}
    quint8 byte() { return m_at < m_input.size() ? quint8(m_input.at(m_at++)) : 0; }
    QByteArray take(qsizetype n)
    {
        const QByteArray out = m_input.mid(m_at, n);
        m_at += out.size();
        return out;
    }
    QByteArray rest() { return take(m_input.size()); }

private:
    QByteArray m_input;
    qsizetype m_at = 0;
};

quint32 u32At(const QByteArray &table, qint64 offset)
{
    quint32 v = 0;
    std::memcpy(&v, table.constData() + offset, sizeof v);
    return v;
}

bool isDotted(const QString &text)
{
    const QStringList parts = text.split(u'.');
    if (parts.size() != 4)
        return false;
    for (const QString &p : parts) {
        bool ok = false;
        const uint v = p.toUInt(&ok);
        if (!ok || v > 255 || p != QString::number(v))
            return false;
    }
    return true;
}

void checkNetworkInfo(FakeHostNet &net)
{
    const NetworkInfo info = GetNetworkInfo(net);
    const bool walked = (net.paramsSizeResult == kNoError || net.paramsSizeResult == kBufferOverflow)
                        && net.paramsResult == kNoError
                        && (net.adaptersSizeResult == kNoError || net.adaptersSizeResult == kBufferOverflow)
                        && net.adaptersResult == kNoError;
    FUZZ_CHECK(info.message.isEmpty() || info.message.startsWith(kNetworkParamsSizingFailed)
               || info.message.startsWith(kAdaptersSizingFailed));
    FUZZ_CHECK(info.gateway.has_value() == (walked && !net.chain.empty()));
    if (info.gateway) {
        FUZZ_CHECK(info.message.isEmpty());
        FUZZ_CHECK(info.gateway->size() == kAddressFieldBytes);
        FUZZ_CHECK(*info.gateway == addressFieldText(net.chain.back().gateway));
    }
}

// The summary reads the table only within the size that its size query gave;
// bytes the source did not write read as zero, bytes beyond the size not at all.
void checkSummary(FakeHostNet &net)
{
    const qint64 size = net.addressTableSize();
    net.calls.clear();
    const AddressSummary s = addressTableSummary(net);
    FUZZ_CHECK(net.calls.contains(QStringLiteral("table")) == (size > 0));
    const qint64 oneRow = kTableCountBytes + kTableRowBytes;
    if (size <= 0) {
        FUZZ_CHECK(s.lines.isEmpty() && !s.failed && !s.pcIp && !s.pcMask);
        return;
    }
    FUZZ_CHECK(s.failed == (size < oneRow));
    FUZZ_CHECK(s.lines.size() == (size < kTableCountBytes ? 0 : size < oneRow ? 2 : 6));
    FUZZ_CHECK(s.pcIp.has_value() == !s.failed && s.pcMask.has_value() == !s.failed);
    QByteArray seen = net.table.left(qMin<qint64>(size, oneRow));
    seen.append(QByteArray(oneRow - seen.size(), '\0'));
    if (size >= kTableCountBytes)
        FUZZ_CHECK(s.lines.first().startsWith(QString::number(u32At(seen, 0)) + u' '));
    if (!s.failed) {
        FUZZ_CHECK(*s.pcIp == ConvertAddressToString(u32At(seen, kTableCountBytes + kRowAddrOffset)));
        FUZZ_CHECK(*s.pcMask == ConvertAddressToString(u32At(seen, kTableCountBytes + kRowMaskOffset)));
        FUZZ_CHECK(isDotted(*s.pcIp) && isDotted(*s.pcMask));
        FUZZ_CHECK(s.lines[4].endsWith(
            ConvertAddressToString(u32At(seen, kTableCountBytes + kRowBroadcastOffset))));
    }
}

// The system's interfaces made of the table's rows: each row an address of
// the interface that its index names.
std::vector<Interface> interfacesOf(const QByteArray &table)
{
    static const char *const names[] = {"eth0", "wlan0", "lo", "docker0", "enp3s0"};
    QMap<QString, Interface> byName;
    for (qsizetype at = kTableCountBytes; at + kTableRowBytes <= table.size(); at += kTableRowBytes) {
        const quint32 index = u32At(table, at + 4);
        const QString name = QString::fromLatin1(names[index % 5]);
        Interface &i = byName[name];
        i.name = name;
        i.index = index;
        i.loopback = name == QLatin1String("lo");
        i.running = index & 0x100;
        if (!(index & 0x200))
            i.entries.push_back({u32At(table, at + kRowAddrOffset), u32At(table, at + kRowMaskOffset),
                                 u32At(table, at + kRowBroadcastOffset)});
    }
    return std::vector<Interface>(byName.cbegin(), byName.cend());
}

void checkSnapshot(const std::vector<Interface> &interfaces, const DefaultRoutes &routes)
{
    const Snapshot snap = snapshotOf(interfaces, routes);
    size_t entries = 0;
    size_t adapters = 0;
    size_t loopbackEntries = 0;
    const Interface *preferred = nullptr;
    for (const Interface &i : interfaces) {
        entries += i.entries.size();
        if (i.loopback)
            loopbackEntries += i.entries.size();
        else if (!i.entries.empty() || routes.gateways.contains(i.name))
            ++adapters;
        if (!routes.preferred.isEmpty() && i.name == routes.preferred)
            preferred = &i;
    }
    FUZZ_CHECK(snap.rows.size() == entries);
    FUZZ_CHECK(snap.adapters.size() == adapters);

    // Loopback last; the preferred interface's address first, its gateway last.
    QHash<quint32, bool> loopbackIndex;
    for (const Interface &i : interfaces)
        loopbackIndex.insert(i.index, i.loopback);
    for (size_t r = 0; r < snap.rows.size(); ++r)
        FUZZ_CHECK(loopbackIndex.value(snap.rows[r].index) == (r >= entries - loopbackEntries));
    if (preferred && !preferred->loopback) {
        if (!preferred->entries.empty())
            FUZZ_CHECK(snap.rows.front().addr == preferred->entries.front().addr);
        FUZZ_CHECK(addressFieldText(snap.adapters.back().gateway)
                   == addressFieldText(addressField(ConvertAddressToString(routes.gateways.value(preferred->name)))));
    }
    for (const Adapter &a : snap.adapters) {
        FUZZ_CHECK(a.gateway.back() == '\0');
        const QString text = QString::fromLatin1(a.gateway.data());
        FUZZ_CHECK(text.isEmpty() || isDotted(text));
    }

    // The table built from the snapshot reads back through the summary.
    FakeHostNet net;
    net.table = buildAddressTable(snap.rows);
    FUZZ_CHECK(net.table.size() == kTableCountBytes + kTableRowBytes * qsizetype(snap.rows.size()));
    const AddressSummary s = addressTableSummary(net);
    FUZZ_CHECK(!s.failed || snap.rows.empty());
    if (!snap.rows.empty()) {
        FUZZ_CHECK(s.lines.first().startsWith(QString::number(snap.rows.size()) + u' '));
        FUZZ_CHECK(*s.pcIp == ConvertAddressToString(snap.rows.front().addr));
        FUZZ_CHECK(*s.pcMask == ConvertAddressToString(snap.rows.front().mask));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Reader in(Fuzz::bytes(data, size));
    static constexpr quint32 kResults[] = {kNoError, kBufferOverflow, kNoData, 87};
    FakeHostNet net;
    const quint8 results = in.byte();
    net.paramsSizeResult = kResults[results & 3];
    net.paramsResult = kResults[(results >> 2) & 3];
    net.adaptersSizeResult = kResults[(results >> 4) & 3];
    net.adaptersResult = kResults[(results >> 6) & 3];
    const quint8 counts = in.byte();
    const qint16 told = qint16(in.byte() | (in.byte() << 8));
    for (int n = counts & 0x0F; n > 0; --n) {
        Adapter a;
        const QByteArray field = in.take(kAddressFieldBytes);
        std::copy(field.begin(), field.end(), a.gateway.begin());
        net.chain.push_back(a);
    }
    net.table = in.take(in.byte());
    const QByteArray routeTable = in.rest();

    switch (counts >> 4) {
    case 0:
        break; // the table's own length
    case 1:
        net.tableSize = net.table.size() + told;
        break;
    case 2:
        net.tableSize = qint64(told) << 24; // far beyond what was written
        break;
    default:
        net.tableSize = told;
        break;
    }

    checkNetworkInfo(net);
    checkSummary(net);

    const DefaultRoutes routes = defaultRoutes(routeTable);
    FUZZ_CHECK(routes.preferred.isEmpty() == routes.gateways.isEmpty());
    FUZZ_CHECK(routes.preferred.isEmpty() || routes.gateways.contains(routes.preferred));
    checkSnapshot(interfacesOf(net.table), routes);
    for (const auto &[name, gateway] : routes.gateways.asKeyValueRange())
        FUZZ_CHECK(isDotted(ConvertAddressToString(gateway)) && !name.isEmpty());
    return 0;
}
