#include "modbus/modbus.h"

#include "app/windows.h"
#include "modbus/modbustcp.h"

void registerModbusWindows()
{
    Windows::add(WindowName::ModbusTCP, Windows::Mode::Modal, [] { return new ModbusTCP; });
}
