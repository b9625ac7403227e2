#pragma once

#include "guides/guidestep.h"

#include <QString>
#include <QStringList>

#include <optional>

// The download menu's "Wizard" buttons: which connection file of the
// terminal program to open for the PC COM port that the launcher handed over,
// and where that file is found.
namespace Guides {

// "term1.ht" to "term4.ht" for a port name that is exactly "COM1" to "COM4"
// (case and blanks count); empty for any other name.
QString connectionFileName(const QString &portName);

// The folders searched for a connection file, in order: the current folder
// (where the file opens by its bare name), the "data" folder beside the
// program (where the build puts them), then the installed data folder, found
// from the program's folder (bin/../share/rm4630k-utility), so that an
// installed copy may be moved. Each folder once.
QStringList connectionFileFolders();

// The path of fileName in the first folder that holds it as a file; empty
// when none does.
QString findConnectionFile(const QString &fileName, const QStringList &folders);

// What a "Wizard" button starts: the terminal program on `file`, then `guide`.
struct GuideLaunch
{
    // The file found, or its bare name when no folder holds it (the system's
    // file opening then reports it in its own way).
    QString file;
    bool found = false;
    GuideId guide = GuideId::Terminalwizard;
};

// The message when the system could not open a connection file: the file and
// the reason.
QString openingFailedText(const QString &file, const QString &reason);

// Nothing for a port name other than "COM1" to "COM4": neither the terminal
// program nor the guide opens, silently.
std::optional<GuideLaunch> launchForPort(const QString &portName, GuideId guide,
                                         const QStringList &folders);

} // namespace Guides
