#include "modbus/modbus.h"

#include "app/windows.h"

void registerModbusWindows()
{
}
