#pragma once

#include <QStringList>

// Registers the launcher window.
void registerAppWindows();

// Loads and shows the launcher, then the windows named in extraWindows, and
// runs the event loop until the program ends. Returns the exit code.
int runProgram(const QStringList &extraWindows);
