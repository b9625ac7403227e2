#include "netclient/netclient.h"

#include "app/windows.h"
#include "netclient/frmserver.h"

void registerNetclientWindows()
{
    Windows::add(WindowName::frmServer, Windows::Mode::Modeless, [] { return new frmServer; });
}
