#pragma once

#include <QString>
#include <QStringList>

// The COM-port setting dialog of the network client: its lists and the
// choices preselected from the port's settings reply and Modbus status, and
// the requests and label texts that its "Set" composes.
namespace ComSetting {

// The dialog as the client fills it before showing it.
struct Fill
{
    QString caption;
    QStringList baudrates;
    QStringList databits;
    QStringList parities;
    QStringList stopbits;
    QStringList modbus;
    // Selected item of each list; -1 for none.
    int baudrate = -1;
    int databit = -1;
    int parity = -1;
    int stopbit = -1;
    int modbusChoice = -1;
    bool modbusEnabled = false;
};

// portIndex: the selected port's index (0 for COM1; below 0 when no port is
// listed, which adds and selects nothing in the setting lists). commStatus:
// the port's settings reply. moduleName, allModbusSet: the module-name reply
// and the port's Modbus status. A field or status that matches no item leaves
// its list without a selection.
Fill fill(int portIndex, const QString &commStatus, const QString &moduleName,
          const QString &allModbusSet);

// What the user has chosen: the shown texts, and the selection indexes where
// the index is sent (-1 when a text was typed instead of chosen).
struct Choice
{
    QString baudrate;
    QString databits;
    int parity = -1;
    QString stopbits;
    int modbus = -1;
    QString modbusText;
};

// The requests for device port (1 to 8), in the order they are sent; the
// Modbus request only when the Modbus list is enabled.
QString baudrateRequest(int port, const Choice &choice); // "06" N BBBB
QString dataFormatRequest(int port, const Choice &choice); // "07" N D P S
QString modbusRequest(int port, const Choice &choice); // "32" N S

// The client's labels after "Set": the settings in the form of the settings
// reply ("9600,8,1,1"), the Modbus wording ("Modbus Enable") and the status
// ("0" for the first choice, "1" otherwise).
QString commStatusText(const Choice &choice);
QString modbusLabel(const Choice &choice);
QString allModbusSetText(const Choice &choice);

} // namespace ComSetting
