#include "console/console.h"

#include "app/windows.h"
#include "console/configurate.h"
#include "console/configurationwarning.h"
#include "console/frmterminal.h"

void registerConsoleWindows()
{
    Windows::add(WindowName::frmTerminal, Windows::Mode::Modeless,
                 [] { return new frmTerminal; });
    Windows::add(WindowName::ConfigurationWarning, Windows::Mode::Modeless,
                 [] { return new ConfigurationWarning; });
    Windows::add(WindowName::Configurate, Windows::Mode::Modeless, [] { return new Configurate; });
}
