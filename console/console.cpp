#include "console/console.h"

#include "app/windows.h"
#include "console/configurationwarning.h"
#include "console/frmterminal.h"

void registerConsoleWindows()
{
    Windows::add(QStringLiteral("frmTerminal"), Windows::Mode::Modeless,
                 [] { return new frmTerminal; });
    Windows::add(QStringLiteral("ConfigurationWarning"), Windows::Mode::Modeless,
                 [] { return new ConfigurationWarning; });
}
