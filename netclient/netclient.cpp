#include "netclient/netclient.h"

#include "app/windows.h"
#include "netclient/addressdialog.h"
#include "netclient/commandlist.h"
#include "netclient/comset.h"
#include "netclient/frmmain.h"
#include "netclient/frmserver.h"

void registerNetclientWindows()
{
    using Mode = Windows::Mode;
    Windows::add(WindowName::frmMain, Mode::Modal, [] { return new frmMain; });
    Windows::add(WindowName::comset, Mode::Modal, [] { return new comset; });
    Windows::add(WindowName::IPset, Mode::Modal, [] { return new IPset; });
    Windows::add(WindowName::Maskset, Mode::Modal, [] { return new Maskset; });
    Windows::add(WindowName::Gatewayset, Mode::Modal, [] { return new Gatewayset; });
    Windows::add(WindowName::commandlist, Mode::Modal, [] { return new commandlist; });
    // Nothing opens it but the command line, which shows it beside the launcher.
    Windows::add(WindowName::frmServer, Mode::Modeless, [] { return new frmServer; });
}
