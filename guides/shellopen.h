#pragma once

#include <QString>

#include <functional>

// Opens a file with the program that the system associates with its kind,
// without waiting for that program. Tests install a fake in its place.
class ShellOpen
{
public:
    // Told why an opening failed, in words for the user.
    using Failed = std::function<void(const QString &reason)>;

    virtual ~ShellOpen() = default;

    // Starts the opening of path and returns at once. When the opening
    // fails, failed runs later from the event loop (never inside this call)
    // with the reason; when it succeeds, failed never runs.
    virtual void openFile(const QString &path, Failed failed) = 0;

    // The installed opener (the system's unless a test installed another).
    static ShellOpen &current();
    // Installs opener (not owned); nullptr goes back to the system's.
    static void install(ShellOpen *opener);
};
