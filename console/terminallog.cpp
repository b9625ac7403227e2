#include "console/terminallog.h"

#include "app/codepage.h"

#include <QFile>
#include <QFileInfo>

TerminalLog::TerminalLog(QObject *parent) : QObject(parent) {}

TerminalLog::~TerminalLog() = default;

bool TerminalLog::open(const QString &path)
{
    close();
    auto file = std::make_unique<QFile>(path);
    // Unbuffered: each arrival reaches the file at once, and a failure shows
    // with the write that caused it, not at some later flush. A device or a
    // pipe has no end to add at.
    const QFileInfo info(path);
    const QIODevice::OpenMode at =
        info.exists() && !info.isFile() ? QIODevice::ExistingOnly : QIODevice::Append;
    if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered | at)) {
        m_error = file->errorString();
        return false;
    }
    m_device = std::move(file);
    return true;
}

void TerminalLog::openDevice(std::unique_ptr<QIODevice> device)
{
    close();
    m_device = std::move(device);
}

void TerminalLog::close()
{
    if (m_device)
        m_device->close();
    m_device.reset();
    m_held.clear();
}

bool TerminalLog::write(const QString &text)
{
    hold(text);
    return writeHeld();
}

void TerminalLog::hold(const QString &text)
{
    m_held += Cp950::fromUnicode(text);
}

bool TerminalLog::retry()
{
    return writeHeld();
}

bool TerminalLog::writeHeld()
{
    if (!m_device) {
        m_error = QStringLiteral("The log is not open.");
        return false;
    }
    while (!m_held.isEmpty()) {
        const qint64 n = m_device->write(m_held);
        if (n <= 0) {
            m_error = m_device->errorString();
            if (m_error.isEmpty())
                m_error = QStringLiteral("The log cannot be written.");
            return false;
        }
        // A part that went out is not written again.
        m_held.remove(0, n);
    }
    return true;
}
