#include "tests/support/ptylink.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr qsizetype kReadChunk = 65536;  // bytes per read of the master
constexpr qsizetype kCompactAt = 1 << 20; // drop written bytes from the queue beyond this

} // namespace

PtyLink::PtyLink(QObject *parent) : QObject(parent)
{
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    termios tio{};
    ::tcgetattr(m_slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(m_slave, TCSANOW, &tio);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyLink::readMaster);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyLink::writeMaster);
}

PtyLink::~PtyLink()
{
    close();
}

void PtyLink::close()
{
    if (m_master < 0)
        return;
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    ::close(m_master);
    ::close(m_slave);
    m_master = m_slave = -1;
    m_out.clear();
    m_outPos = 0;
}

void PtyLink::setReading(bool on)
{
    if (m_master >= 0)
        m_readNotifier->setEnabled(on);
}

void PtyLink::write(const QByteArray &bytes)
{
    if (m_master < 0 || bytes.isEmpty())
        return;
    m_out.append(bytes);
    writeMaster();
}

void PtyLink::writeMaster()
{
    bool full = false;
    while (m_master >= 0 && m_outPos < m_out.size()) {
        const ssize_t n = ::write(m_master, m_out.constData() + m_outPos,
                                  static_cast<size_t>(m_out.size() - m_outPos));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            full = true; // go on when the pty takes more
            break;
        }
        m_outPos += n;
    }
    if (m_master < 0)
        return;
    m_writeNotifier->setEnabled(full);
    if (m_outPos >= m_out.size() || m_outPos > kCompactAt) {
        m_out.remove(0, m_outPos);
        m_outPos = 0;
    }
}

void PtyLink::readMaster()
{
    QByteArray buf(kReadChunk, Qt::Uninitialized);
    const ssize_t n = ::read(m_master, buf.data(), static_cast<size_t>(buf.size()));
    if (n <= 0)
        return; // EAGAIN, or nothing while the slave is between openings
    buf.truncate(n);
    emit received(buf);
}
