// The system's source of host network information.
#include "app/hostnet.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <winsock2.h>
#include <iphlpapi.h>
#else
#include <QFile>
#include <QNetworkInterface>
#include <QtEndian>
#endif

#include <cstring>
#include <memory>

namespace HostNet {

namespace {

#ifdef Q_OS_WIN

// No real table comes near this; a size beyond it is not allocated.
constexpr qint64 kMaxBufferBytes = 16 * 1024 * 1024;

// The platform's IP helper, asked as the launcher asks: size first, then data.
class SystemSource final : public Source
{
public:
    quint32 networkParamsSize(quint32 &size) override
    {
        ULONG length = 0;
        const DWORD result = GetNetworkParams(nullptr, &length);
        size = length;
        return result;
    }

    quint32 networkParams(quint32 size) override
    {
        if (size > kMaxBufferBytes)
            return ERROR_NOT_ENOUGH_MEMORY;
        std::unique_ptr<quint64[]> buffer(new quint64[size / 8 + 1]());
        ULONG length = size;
        return GetNetworkParams(reinterpret_cast<FIXED_INFO *>(buffer.get()), &length);
    }

    quint32 adaptersSize(quint32 &size) override
    {
        ULONG length = 0;
        const DWORD result = GetAdaptersInfo(nullptr, &length);
        size = length;
        return result;
    }

    quint32 adapters(quint32 size, std::vector<Adapter> &chain) override
    {
        if (size > kMaxBufferBytes)
            return ERROR_NOT_ENOUGH_MEMORY;
        std::unique_ptr<quint64[]> buffer(new quint64[size / 8 + 1]());
        ULONG length = size;
        auto *first = reinterpret_cast<IP_ADAPTER_INFO *>(buffer.get());
        const DWORD result = GetAdaptersInfo(first, &length);
        if (result != ERROR_SUCCESS)
            return result;
        for (const IP_ADAPTER_INFO *a = first; a; a = a->Next) {
            Adapter adapter;
            static_assert(sizeof a->GatewayList.IpAddress.String == kAddressFieldBytes);
            std::memcpy(adapter.gateway.data(), a->GatewayList.IpAddress.String,
                        kAddressFieldBytes);
            chain.push_back(adapter);
        }
        return result;
    }

    qint64 addressTableSize() override
    {
        ULONG length = 0;
        GetIpAddrTable(nullptr, &length, TRUE);
        return length;
    }

    QByteArray addressTable(qint64 size) override
    {
        if (size <= 0 || size > kMaxBufferBytes)
            return {};
        std::unique_ptr<quint64[]> buffer(new quint64[size / 8 + 1]());
        ULONG length = ULONG(size);
        GetIpAddrTable(reinterpret_cast<MIB_IPADDRTABLE *>(buffer.get()), &length, FALSE);
        return QByteArray(reinterpret_cast<const char *>(buffer.get()), size);
    }
};

#else

// The interfaces that Qt lists and the kernel's default routes, presented
// the way the platform's IP helper presents them elsewhere.
class SystemSource final : public Source
{
public:
    quint32 networkParamsSize(quint32 &size) override
    {
        size = kParamsBytes;
        return kBufferOverflow;
    }

    quint32 networkParams(quint32 size) override
    {
        return size >= kParamsBytes ? kNoError : kBufferOverflow;
    }

    quint32 adaptersSize(quint32 &size) override
    {
        m_snapshot = take();
        size = quint32(m_snapshot.adapters.size()) * kAdapterBytes;
        return m_snapshot.adapters.empty() ? kNoData : kBufferOverflow;
    }

    quint32 adapters(quint32 size, std::vector<Adapter> &chain) override
    {
        if (m_snapshot.adapters.empty())
            return kNoData;
        if (size < quint32(m_snapshot.adapters.size()) * kAdapterBytes)
            return kBufferOverflow;
        chain = m_snapshot.adapters;
        return kNoError;
    }

    qint64 addressTableSize() override
    {
        m_table = buildAddressTable(take().rows);
        return m_table.size();
    }

    QByteArray addressTable(qint64 size) override { return m_table.left(size); }

private:
    // Nominal record sizes: a size query must answer with something to allocate.
    static constexpr quint32 kParamsBytes = 584;
    static constexpr quint32 kAdapterBytes = 640;

    static Snapshot take()
    {
        QFile routes(QStringLiteral("/proc/net/route"));
        QByteArray routeTable;
        if (routes.open(QIODevice::ReadOnly))
            routeTable = routes.readAll();

        std::vector<Interface> interfaces;
        const QList<QNetworkInterface> all = QNetworkInterface::allInterfaces();
        for (const QNetworkInterface &qi : all) {
            Interface i;
            i.name = qi.name();
            i.index = quint32(qi.index());
            i.loopback = qi.flags().testFlag(QNetworkInterface::IsLoopBack);
            i.running = qi.flags().testFlag(QNetworkInterface::IsRunning);
            const QList<QNetworkAddressEntry> entries = qi.addressEntries();
            for (const QNetworkAddressEntry &e : entries) {
                if (e.ip().protocol() != QAbstractSocket::IPv4Protocol)
                    continue;
                i.entries.push_back({qToBigEndian(e.ip().toIPv4Address()),
                                     qToBigEndian(e.netmask().toIPv4Address()),
                                     qToBigEndian(e.broadcast().toIPv4Address())});
            }
            interfaces.push_back(std::move(i));
        }
        return snapshotOf(interfaces, defaultRoutes(routeTable));
    }

    Snapshot m_snapshot;
    QByteArray m_table;
};

#endif

Source *g_installed = nullptr;

} // namespace

Source &Source::current()
{
    static SystemSource system;
    return g_installed ? *g_installed : system;
}

void Source::install(Source *s)
{
    g_installed = s;
}

} // namespace HostNet
