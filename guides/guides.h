#pragma once

// Registers the windows of this subsystem with the window framework.
void registerGuidesWindows();
