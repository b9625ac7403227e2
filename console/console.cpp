#include "console/console.h"

#include "app/windows.h"

void registerConsoleWindows()
{
}
