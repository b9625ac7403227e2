#pragma once

#include <QFile>
#include <QString>

// A log file of text lines: created, or emptied, when opened; each line goes
// to disk as it is written, in code page 950 and ended by CR LF, so that what
// the window showed is in the file even if the program ends abruptly.
//
// The file has a fixed name in a folder that others may write to: a name
// that is a symbolic link, or anything but a plain file, is refused, and
// nothing is emptied or written through it.
class DataLog
{
public:
    // False, with errorString(), when path cannot be opened or is refused.
    bool open(const QString &path);
    bool isOpen() const { return m_file.isOpen(); }
    QString errorString() const { return m_error; }
    // False, with errorString(), when the line did not reach the file whole
    // (a full disk); what went before it stays.
    bool writeLine(const QString &line);
    void close();

private:
    QFile m_file;
    QString m_error;
};
