#pragma once

#include <QFile>
#include <QString>

// Opening of files whose name is fixed by the program, in a folder that others
// may write to: such a name is used only while it is a plain file, never
// through a symbolic link, and an opening never waits on a named pipe.
namespace PlainFile {

// The reasons given for a name that is refused.
inline QString linkReason() { return QStringLiteral("it is a symbolic link"); }
inline QString notFileReason() { return QStringLiteral("it is not a regular file"); }

// Opens (creating) path in file for writing, unbuffered, and empties it once
// it is known to be a plain file. False with *why; *refused tells whether the
// name itself was refused (a link, not a plain file) rather than the system
// failing.
bool openForWriting(QFile &file, const QString &path, QString *why, bool *refused = nullptr);

// Opens path in file for reading when it is a plain file; false otherwise.
bool openForReading(QFile &file, const QString &path);

} // namespace PlainFile
