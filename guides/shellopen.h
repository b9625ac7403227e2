#pragma once

#include <QString>

// Opens a file with the program that the system associates with its kind,
// without waiting for that program. Tests install a fake in its place.
class ShellOpen
{
public:
    virtual ~ShellOpen() = default;

    // Starts the opening of path; false when it could not even be started.
    virtual bool openFile(const QString &path) = 0;

    // The installed opener (the system's unless a test installed another).
    static ShellOpen &current();
    // Installs opener (not owned); nullptr goes back to the system's.
    static void install(ShellOpen *opener);
};
