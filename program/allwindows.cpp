#include "program/allwindows.h"

#include "app/app.h"
#include "console/console.h"
#include "guides/guides.h"
#include "modbus/modbus.h"
#include "netclient/netclient.h"

void registerAllWindows()
{
    registerAppWindows();
    registerConsoleWindows();
    registerNetclientWindows();
    registerModbusWindows();
    registerGuidesWindows();
}
