#pragma once

#include <QFile>
#include <QString>

// A log file of text lines: created, or emptied, when opened; each line goes
// to disk as it is written, in code page 950 and ended by CR LF, so that what
// the window showed is in the file even if the program ends abruptly.
class DataLog
{
public:
    bool open(const QString &path);
    bool isOpen() const { return m_file.isOpen(); }
    QString errorString() const { return m_file.errorString(); }
    void writeLine(const QString &line);
    void close();

private:
    QFile m_file;
};
