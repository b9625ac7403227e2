#include "console/terminallog.h"

#include "app/codepage.h"
#include "console/terminaltools.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

TerminalLog::TerminalLog(QObject *parent) : QObject(parent) {}

TerminalLog::~TerminalLog() = default;

bool TerminalLog::open(const QString &path)
{
    close();
    auto file = std::make_unique<QFile>(path);
    // Unbuffered: each arrival reaches the file at once, and a failure shows
    // with the write that caused it, not at some later flush.
#ifdef Q_OS_UNIX
    // A named pipe with no reader would hold the opening, and every window
    // with it, until one came: opened without waiting, it fails at once
    // instead. Once open, writes wait as they always did.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0 || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    if (!file->open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFile::AutoCloseHandle)) {
        m_error = file->errorString();
        ::close(fd);
        return false;
    }
#else
    // A device or a pipe has no end to add at.
    const QFileInfo info(path);
    const QIODevice::OpenMode at =
        info.exists() && !info.isFile() ? QIODevice::ExistingOnly : QIODevice::Append;
    if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered | at)) {
        m_error = file->errorString();
        return false;
    }
#endif
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
    m_pending.clear();
    m_held.clear();
    m_heldChars = 0;
    m_dropped = 0;
    m_atLineStart = true;
}

bool TerminalLog::write(const QString &text)
{
    if (isHolding())
        hold(text);
    else
        m_pending = Cp950::fromUnicode(text);
    return writeHeld();
}

void TerminalLog::hold(const QString &text)
{
    if (text.isEmpty())
        return;
    m_held.push_back(text);
    m_heldChars += text.size();
    // Past the bound the oldest held text goes: what came last is what the
    // user most likely wants when the disk has room again.
    while (m_heldChars > kHeldChars) {
        QString &oldest = m_held.front();
        qsizetype cut = m_heldChars - kHeldChars;
        if (cut < oldest.size() && oldest.at(cut).isLowSurrogate())
            ++cut;
        if (cut >= oldest.size()) {
            cut = oldest.size();
            m_held.pop_front();
        } else {
            oldest.remove(0, cut);
        }
        m_heldChars -= cut;
        m_dropped += cut;
    }
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
    for (;;) {
        while (!m_pending.isEmpty()) {
            const qint64 n = m_device->write(m_pending);
            if (n <= 0) {
                m_error = m_device->errorString();
                if (m_error.isEmpty())
                    m_error = QStringLiteral("The log cannot be written.");
                return false;
            }
            m_atLineStart = m_pending.at(n - 1) == '\n';
            // A part that went out is not written again.
            m_pending.remove(0, n);
        }
        // The note stands where the gap is: after what went before it, and
        // before the text that was kept.
        if (m_dropped > 0) {
            m_pending = Cp950::fromUnicode(
                (m_atLineStart ? QString() : QStringLiteral("\r\n"))
                + TerminalTools::notLoggedText(m_dropped) + QStringLiteral("\r\n"));
            m_dropped = 0;
            continue;
        }
        if (m_held.empty())
            return true;
        m_pending = Cp950::fromUnicode(m_held.front());
        m_heldChars -= m_held.front().size();
        m_held.pop_front();
    }
}
