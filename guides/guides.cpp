#include "guides/guides.h"

#include "app/windows.h"
#include "guides/download.h"
#include "guides/frmtroubleshooting.h"
#include "guides/guideform.h"

void registerGuidesWindows()
{
    using Guides::GuideId;
    const auto modal = Windows::Mode::Modal;
    Windows::add(WindowName::Wizard, modal, [] { return new GuideForm(GuideId::Wizard); });
    Windows::add(WindowName::Terminalwizard, modal,
                 [] { return new GuideForm(GuideId::Terminalwizard); });
    Windows::add(WindowName::Terminalwizard1, modal,
                 [] { return new GuideForm(GuideId::Terminalwizard1); });
    Windows::add(WindowName::Download, modal, [] { return new Download; });
    Windows::add(WindowName::frmTroubleshooting, modal, [] { return new frmTroubleshooting; });
}
