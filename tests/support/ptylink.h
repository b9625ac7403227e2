#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

// A pseudo-terminal whose slave end stands in for a serial device: the
// program under test opens slavePath() like a COM port, and this object reads
// and writes the master end through the event loop (no threads). The slave is
// set to raw mode. Writes are queued and go out as fast as the pty takes them.
class PtyLink : public QObject
{
    Q_OBJECT

public:
    explicit PtyLink(QObject *parent = nullptr);
    ~PtyLink() override;

    bool isOpen() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    // A descriptor of the slave end (to read its line settings).
    int slaveFd() const { return m_slave; }

    void write(const QByteArray &bytes);

    // Closes both ends: for whoever has the slave open, the device is gone.
    void close();
    // Stops reading the master, so that what the slave's user writes piles up
    // (a device that holds the sender off), or reads again.
    void setReading(bool on);

signals:
    void received(const QByteArray &bytes);

private:
    void readMaster();
    void writeMaster();

    int m_master = -1;
    // Kept open so that the master never sees a hang-up while the program
    // has the slave closed.
    int m_slave = -1;
    QString m_slavePath;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QByteArray m_out;
    qsizetype m_outPos = 0;
};
