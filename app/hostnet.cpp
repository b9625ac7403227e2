#include "app/hostnet.h"

#include <QList>

#include <algorithm>
#include <cstring>

namespace HostNet {

namespace {

const QString kRule = QString(50, QLatin1Char('-'));

// The table as the pass sees it: a buffer of the size that the size query
// gave, holding what the source wrote and zeros after it. Reads are checked
// against that size, never past it.
class TableBuffer
{
public:
    TableBuffer(const QByteArray &written, qint64 size) : m_written(written), m_size(size) {}

    bool holds(qint64 offset, qint64 length) const
    {
        return offset >= 0 && length >= 0 && offset <= m_size && length <= m_size - offset;
    }

    quint32 u32(qint64 offset) const
    {
        std::array<char, 4> bytes{};
        for (qint64 i = 0; i < 4; ++i) {
            const qint64 at = offset + i;
            if (at < m_written.size())
                bytes[i] = m_written.at(at);
        }
        quint32 v = 0;
        std::memcpy(&v, bytes.data(), sizeof v);
        return v;
    }

private:
    QByteArray m_written;
    qint64 m_size;
};

void putU32(QByteArray &out, qsizetype at, quint32 v)
{
    std::memcpy(out.data() + at, &v, sizeof v);
}

} // namespace

QByteArray buildAddressTable(const std::vector<TableRow> &rows)
{
    QByteArray out(kTableCountBytes + kTableRowBytes * qsizetype(rows.size()), '\0');
    putU32(out, 0, quint32(rows.size()));
    qsizetype at = kTableCountBytes;
    for (const TableRow &r : rows) {
        putU32(out, at + kRowAddrOffset, r.addr);
        putU32(out, at + 4, r.index);
        putU32(out, at + kRowMaskOffset, r.mask);
        putU32(out, at + kRowBroadcastOffset, r.broadcast);
        at += kTableRowBytes;
    }
    return out;
}

QString ConvertAddressToString(quint32 longAddr)
{
    unsigned char b[4];
    std::memcpy(b, &longAddr, sizeof b);
    return QStringLiteral("%1.%2.%3.%4").arg(b[0]).arg(b[1]).arg(b[2]).arg(b[3]);
}

QString addressFieldText(const AddressField &field)
{
    return QString::fromLatin1(field.data(), kAddressFieldBytes);
}

AddressField addressField(const QString &dotted)
{
    AddressField field{};
    const QByteArray text = dotted.toLatin1().left(kAddressFieldBytes - 1);
    std::copy(text.begin(), text.end(), field.begin());
    return field;
}

NetworkInfo GetNetworkInfo(Source &source)
{
    NetworkInfo out;
    quint32 size = 0;
    quint32 result = source.networkParamsSize(size);
    if (result != kNoError && result != kBufferOverflow) {
        out.message = kNetworkParamsSizingFailed + QString::number(result);
        return out;
    }
    if (source.networkParams(size) != kNoError)
        return out;

    size = 0;
    result = source.adaptersSize(size);
    if (result != kNoError && result != kBufferOverflow) {
        out.message = kAdaptersSizingFailed + QString::number(result);
        return out;
    }
    std::vector<Adapter> chain;
    if (source.adapters(size, chain) != kNoError)
        return out;
    // Every adapter overwrites the one before: the last one's gateway stays,
    // even an empty one.
    for (const Adapter &adapter : chain)
        out.gateway = addressFieldText(adapter.gateway);
    return out;
}

AddressSummary addressTableSummary(Source &source)
{
    AddressSummary out;
    const qint64 size = source.addressTableSize();
    if (size <= 0)
        return out;
    const TableBuffer table(source.addressTable(size), size);

    if (!table.holds(0, kTableCountBytes)) {
        out.failed = true;
        return out;
    }
    out.lines << QString::number(table.u32(0)) + QStringLiteral("   IP addresses found on your PC !!");
    out.lines << kRule;

    // Only the first row is shown, whatever the count says; a buffer too short
    // for it is a failure rather than a read beyond its end.
    const qint64 row = kTableCountBytes;
    if (!table.holds(row, kTableRowBytes)) {
        out.failed = true;
        return out;
    }
    const QString addr = ConvertAddressToString(table.u32(row + kRowAddrOffset));
    out.lines << QStringLiteral("IP address                   : ") + addr;
    out.pcIp = addr;
    const QString mask = ConvertAddressToString(table.u32(row + kRowMaskOffset));
    out.lines << QStringLiteral("IP Subnetmask            : ") + mask;
    out.pcMask = mask;
    out.lines << QStringLiteral("BroadCast IP address  : ")
                     + ConvertAddressToString(table.u32(row + kRowBroadcastOffset));
    out.lines << kRule;
    return out;
}

DefaultRoutes defaultRoutes(const QByteArray &routeTable)
{
    constexpr quint32 kRouteUp = 0x1;
    constexpr quint32 kRouteGateway = 0x2;
    DefaultRoutes out;
    QHash<QString, quint32> metrics;
    quint32 best = 0;
    const QList<QByteArray> lines = routeTable.split('\n');
    // The first line names the columns.
    for (qsizetype n = 1; n < lines.size(); ++n) {
        const QList<QByteArray> f = lines.at(n).simplified().split(' ');
        if (f.size() < 8)
            continue;
        bool ok[5] = {};
        const quint32 destination = f.at(1).toUInt(&ok[0], 16);
        const quint32 gateway = f.at(2).toUInt(&ok[1], 16);
        const quint32 flags = f.at(3).toUInt(&ok[2], 16);
        const quint32 metric = f.at(6).toUInt(&ok[3], 10);
        const quint32 mask = f.at(7).toUInt(&ok[4], 16);
        if (!std::all_of(std::begin(ok), std::end(ok), [](bool b) { return b; }))
            continue;
        if (destination != 0 || mask != 0 || (flags & (kRouteUp | kRouteGateway)) != (kRouteUp | kRouteGateway))
            continue;
        const QString name = QString::fromLocal8Bit(f.at(0));
        // The kernel writes the stored value in hexadecimal: parsed back on
        // the same machine it is the stored value again.
        if (!metrics.contains(name) || metric < metrics.value(name)) {
            metrics.insert(name, metric);
            out.gateways.insert(name, gateway);
        }
        if (out.preferred.isEmpty() || metric < best) {
            out.preferred = name;
            best = metric;
        }
    }
    return out;
}

Snapshot snapshotOf(const std::vector<Interface> &interfaces, const DefaultRoutes &routes)
{
    auto isPreferred = [&routes](const Interface &i) {
        return !routes.preferred.isEmpty() && i.name == routes.preferred;
    };
    auto tableRank = [&isPreferred](const Interface &i) {
        if (i.loopback)
            return 3;
        if (isPreferred(i))
            return 0;
        return i.running ? 1 : 2;
    };

    std::vector<const Interface *> order;
    for (const Interface &i : interfaces)
        order.push_back(&i);
    std::stable_sort(order.begin(), order.end(), [&tableRank](const Interface *a, const Interface *b) {
        return tableRank(*a) < tableRank(*b);
    });

    Snapshot out;
    for (const Interface *i : order) {
        for (const Interface::Entry &e : i->entries)
            out.rows.push_back({e.addr, i->index, e.mask, e.broadcast});
    }

    std::vector<const Interface *> chain;
    for (const Interface &i : interfaces) {
        if (!i.loopback && (!i.entries.empty() || routes.gateways.contains(i.name)))
            chain.push_back(&i);
    }
    std::stable_partition(chain.begin(), chain.end(),
                          [&isPreferred](const Interface *i) { return !isPreferred(*i); });
    for (const Interface *i : chain) {
        Adapter a;
        if (routes.gateways.contains(i->name))
            a.gateway = addressField(ConvertAddressToString(routes.gateways.value(i->name)));
        out.adapters.push_back(a);
    }
    return out;
}

} // namespace HostNet
