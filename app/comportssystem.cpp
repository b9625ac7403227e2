#include "app/comports.h"

#include <QDir>
#include <QFile>
#include <QSerialPortInfo>

namespace ComPorts {

namespace {

bool isAdapter(const QSerialPortInfo &info)
{
    const QString name = info.portName();
    return info.hasVendorIdentifier() || name.startsWith(QLatin1String("ttyUSB"))
           || name.startsWith(QLatin1String("ttyACM"));
}

// The serial ports that Qt reports, and on Linux the on-board ports that the
// kernel knows a UART behind: Qt leaves out one that it cannot open to look
// at (in use, or not the user's to open), and COM1 to COM4 must not move
// while a port is busy.
class SystemSource : public Source
{
public:
    QList<SystemPort> ports() override
    {
        QList<SystemPort> list;
        const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
        for (const QSerialPortInfo &info : infos)
            list.append({info.systemLocation(), isAdapter(info)});
#ifdef Q_OS_LINUX
        const QDir classTty(QStringLiteral("/sys/class/tty"));
        const QStringList names =
            classTty.entryList({QStringLiteral("ttyS*")}, QDir::AllEntries | QDir::System);
        for (const QString &name : names) {
            QFile type(classTty.filePath(name + QStringLiteral("/type")));
            if (!type.open(QIODevice::ReadOnly))
                continue;
            // 0 is "unknown": a port number with no UART behind it.
            const QByteArray value = type.read(16).trimmed();
            if (!value.isEmpty() && value != "0")
                list.append({QStringLiteral("/dev/") + name, false});
        }
#endif
        return list;
    }
};

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

} // namespace ComPorts
