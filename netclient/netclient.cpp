#include "netclient/netclient.h"

#include "app/windows.h"
#include "netclient/frmmain.h"

void registerNetclientWindows()
{
    Windows::add(WindowName::frmMain, Windows::Mode::Modal, [] { return new frmMain; });
}
