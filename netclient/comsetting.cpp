#include "netclient/comsetting.h"

#include "netclient/portd.h"

namespace ComSetting {

namespace {

// COM1 and COM2 take fewer data and stop bits.
constexpr int kNarrowPorts = 2;

int indexOf(const QStringList &items, const QString &text)
{
    return text.isEmpty() ? -1 : int(items.indexOf(text));
}

} // namespace

Fill fill(int portIndex, const QString &commStatus, const QString &moduleName,
          const QString &allModbusSet)
{
    Fill f;
    f.caption = QStringLiteral("COMM%1 Setting").arg(portIndex + 1);
    f.modbus = {QStringLiteral("Disable"), QStringLiteral("Enable")};
    if (portIndex >= 0) {
        const bool narrow = portIndex < kNarrowPorts;
        f.baudrates = {QStringLiteral("1200"),  QStringLiteral("2400"),  QStringLiteral("4800"),
                       QStringLiteral("9600"),  QStringLiteral("19200"), QStringLiteral("38400"),
                       QStringLiteral("57600"), QStringLiteral("115200")};
        f.databits = narrow ? QStringList{QStringLiteral("7"), QStringLiteral("8")}
                            : QStringList{QStringLiteral("5"), QStringLiteral("6"),
                                          QStringLiteral("7"), QStringLiteral("8")};
        f.parities = {QStringLiteral("none"), QStringLiteral("even"), QStringLiteral("odd")};
        f.stopbits = narrow ? QStringList{QStringLiteral("1")}
                            : QStringList{QStringLiteral("1"), QStringLiteral("2")};

        const Portd::PortSettings s = Portd::readPortSettings(commStatus);
        f.baudrate = indexOf(f.baudrates, s.baudrate);
        f.databit = indexOf(f.databits, s.databits);
        // The parity digit is the item's index.
        f.parity = indexOf({QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")},
                           s.parity);
        f.stopbit = indexOf(f.stopbits, s.stopbits);
    }
    f.modbusEnabled = Portd::isModbusVariant(moduleName);
    if (f.modbusEnabled) {
        const std::optional<double> status = Portd::readModbusStatus(allModbusSet);
        if (status && (*status == 0 || *status == 1))
            f.modbusChoice = int(*status);
    }
    return f;
}

QString baudrateRequest(int port, const Choice &choice)
{
    return Portd::requestSetBaudrate(port, choice.baudrate);
}

QString dataFormatRequest(int port, const Choice &choice)
{
    return Portd::requestSetDataFormat(port, choice.databits, choice.parity, choice.stopbits);
}

QString modbusRequest(int port, const Choice &choice)
{
    return Portd::requestSetModbus(port, choice.modbus);
}

QString commStatusText(const Choice &choice)
{
    return choice.baudrate + QLatin1Char(',') + choice.databits + QLatin1Char(',')
           + QString::number(choice.parity) + QLatin1Char(',') + choice.stopbits;
}

QString modbusLabel(const Choice &choice)
{
    return QStringLiteral("Modbus ") + choice.modbusText;
}

QString allModbusSetText(const Choice &choice)
{
    return choice.modbus == 0 ? QStringLiteral("0") : QStringLiteral("1");
}

} // namespace ComSetting
