#include "netclient/netclient.h"

#include "app/windows.h"

void registerNetclientWindows()
{
}
