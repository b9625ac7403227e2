#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <deque>
#include <memory>

class QIODevice;

// The terminal's capture log: text added at the end of a file as code page
// 950 bytes, nothing else. Text that cannot be written (a full disk) is kept,
// in order, until a retry writes it or the log closes, so nothing is written
// twice; while it waits, at most kHeldChars of what arrives is kept, the
// newest, and the retry writes a line that counts the characters left out.
class TerminalLog : public QObject
{
    Q_OBJECT

public:
    // About 2 MiB of text, a minute and a half of a 115200 bit/s line.
    static constexpr qsizetype kHeldChars = 1024 * 1024;

    explicit TerminalLog(QObject *parent = nullptr);
    ~TerminalLog() override;

    // Opens path for adding at its end, creating it when missing. False, with
    // errorText(), when it cannot be opened.
    bool open(const QString &path);
    // Logs into device, which is open for writing (tests).
    void openDevice(std::unique_ptr<QIODevice> device);
    void close();
    bool isOpen() const { return m_device != nullptr; }

    // Adds text at the end. False when not all of it was written: errorText()
    // says why, and the rest waits for retry().
    bool write(const QString &text);
    // Adds text behind what waits for a retry, without writing; past
    // kHeldChars the oldest of it goes.
    void hold(const QString &text);
    // Writes what waits. False when that failed again.
    bool retry();
    // Something waits for a retry.
    bool isHolding() const { return !m_pending.isEmpty() || m_heldChars > 0 || m_dropped > 0; }
    // Memory that what waits takes.
    qsizetype heldBytes() const
    {
        return m_pending.size() + m_heldChars * qsizetype(sizeof(QChar));
    }

    QString errorText() const { return m_error; }

private:
    bool writeHeld();

    std::unique_ptr<QIODevice> m_device;
    // Bytes of a write that did not go out whole; they are never dropped, so
    // a double-byte character is never split in the file.
    QByteArray m_pending;
    // Text that came behind them, oldest first.
    std::deque<QString> m_held;
    qsizetype m_heldChars = 0;
    // Characters left out of m_held since the last note of them.
    qint64 m_dropped = 0;
    bool m_atLineStart = true;
    QString m_error;
};
