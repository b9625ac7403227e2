#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

// The PC's IPv4 configuration as the platform's IP helper reports it, and the
// two passes of the launcher's loading that read it.
namespace HostNet {

// Result codes of the queries.
constexpr quint32 kNoError = 0;
constexpr quint32 kBufferOverflow = 111;
constexpr quint32 kNoData = 232;

// An adapter's gateway field: dotted address text, NUL-terminated, in a
// fixed field of 16 bytes.
constexpr int kAddressFieldBytes = 16;
using AddressField = std::array<char, kAddressFieldBytes>;

// One record of the adapter chain; only the first gateway is kept.
struct Adapter
{
    AddressField gateway{};
};

// The address table in the platform's layout: a native 32-bit entry count,
// then rows of 24 bytes (address, interface index, mask, broadcast, largest
// reassembly size as 32-bit values, then two 16-bit fields). Addresses are
// stored as they go on the wire (network byte order).
constexpr qsizetype kTableCountBytes = 4;
constexpr qsizetype kTableRowBytes = 24;
constexpr qsizetype kRowAddrOffset = 0;
constexpr qsizetype kRowMaskOffset = 8;
constexpr qsizetype kRowBroadcastOffset = 12;

struct TableRow
{
    quint32 addr = 0; // network byte order, as stored
    quint32 index = 0;
    quint32 mask = 0;
    quint32 broadcast = 0;
};

QByteArray buildAddressTable(const std::vector<TableRow> &rows);

// What the launcher asks of the platform. Each query is asked for its size
// first, then for its data with a buffer of that size.
class Source
{
public:
    virtual ~Source() = default;

    // Network parameters: only whether the queries succeed matters.
    virtual quint32 networkParamsSize(quint32 &size) = 0;
    virtual quint32 networkParams(quint32 size) = 0;

    // The adapter chain, first adapter first.
    virtual quint32 adaptersSize(quint32 &size) = 0;
    virtual quint32 adapters(quint32 size, std::vector<Adapter> &chain) = 0;

    // The address table: its size (asked sorted), then its bytes (asked
    // unsorted) as written into a buffer of that size. Bytes beyond size are
    // ignored; bytes the source leaves unwritten read as zero.
    virtual qint64 addressTableSize() = 0;
    virtual QByteArray addressTable(qint64 size) = 0;

    // The installed source: the system's unless a test installed another.
    static Source &current();
    // Installs s (not owned); nullptr goes back to the system's.
    static void install(Source *s);
};

// Dotted decimal of the four bytes of longAddr in memory order.
QString ConvertAddressToString(quint32 longAddr);

// The whole 16-byte field as text, one character per byte, NULs included.
QString addressFieldText(const AddressField &field);
AddressField addressField(const QString &dotted);

inline const QString kNetworkParamsSizingFailed =
    QStringLiteral("GetNetworkParams sizing failed with error ");
inline const QString kAdaptersSizingFailed = QStringLiteral("GetAdaptersInfo sizing failed with error ");
inline const QString kTableError = QStringLiteral("ERROR");

struct NetworkInfo
{
    QString message;                // message box to show; empty when none
    std::optional<QString> gateway; // the last adapter's gateway field, when the walk ran
};

// The network parameters and adapters pass.
NetworkInfo GetNetworkInfo(Source &source);

struct AddressSummary
{
    QStringList lines;             // printed one below the other
    std::optional<QString> pcIp;   // first row's address
    std::optional<QString> pcMask; // first row's mask
    bool failed = false;           // show kTableError; what is above still holds
};

// The address table summary: entry count and the first row of the table.
AddressSummary addressTableSummary(Source &source);

// Default routes from the kernel's routing table text (/proc/net/route):
// per interface name its gateway as stored (network byte order), lowest
// metric first, and the interface of the lowest-metric route of all.
struct DefaultRoutes
{
    QHash<QString, quint32> gateways;
    QString preferred;
};
DefaultRoutes defaultRoutes(const QByteArray &routeTable);

// One IPv4 interface as the system lists it.
struct Interface
{
    QString name;
    quint32 index = 0;
    bool loopback = false;
    bool running = false;
    struct Entry
    {
        quint32 addr = 0; // network byte order
        quint32 mask = 0;
        quint32 broadcast = 0;
    };
    std::vector<Entry> entries;
};

struct Snapshot
{
    std::vector<Adapter> adapters;
    std::vector<TableRow> rows;
};

// The adapter chain and the address table from the interface list. The
// interface that carries the preferred default route leads the table and ends
// the chain, so the launcher's first row and last adapter describe the same
// network; loopback comes last in the table and is no adapter.
Snapshot snapshotOf(const std::vector<Interface> &interfaces, const DefaultRoutes &routes);

} // namespace HostNet
