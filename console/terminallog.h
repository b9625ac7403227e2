#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

class QIODevice;

// The terminal's capture log: text added at the end of a file as code page
// 950 bytes, nothing else. Bytes that cannot be written (a full disk) are kept,
// in order, until a retry writes them or the log closes, so nothing is lost
// while the user decides and nothing is written twice.
class TerminalLog : public QObject
{
    Q_OBJECT

public:
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
    // Adds text behind the bytes that wait for a retry, without writing.
    void hold(const QString &text);
    // Writes the waiting bytes. False when that failed again.
    bool retry();
    qsizetype heldBytes() const { return m_held.size(); }

    QString errorText() const { return m_error; }

private:
    bool writeHeld();

    std::unique_ptr<QIODevice> m_device;
    QByteArray m_held;
    QString m_error;
};
