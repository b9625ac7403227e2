#include "guides/guides.h"

#include "app/windows.h"

void registerGuidesWindows()
{
}
