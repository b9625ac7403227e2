#pragma once

#include "tests/support/ptylink.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

#include <array>
#include <functional>

// The 4630K's serial console for tests: a DOS prompt "A:\>" on a
// pseudo-terminal, with the NVCONF menu, DIR and RESET. Point a PC COM port at
// it with attachAs(n). It records every byte it receives, in order and with
// the time of each arrival, and can be made silent, slow or damaged.
class SimulatedDevice : public QObject
{
    Q_OBJECT

public:
    // What the menu shows and changes.
    struct Settings
    {
        // The same value on all eight ports, port 1 aside when first is given.
        static std::array<QString, 8> eight(const char *value, const char *first = nullptr)
        {
            std::array<QString, 8> a;
            a.fill(QString::fromLatin1(value));
            if (first)
                a[0] = QString::fromLatin1(first);
            return a;
        }

        std::array<int, 4> ip{192, 9, 40, 100};
        std::array<int, 4> mask{255, 255, 255, 0};
        std::array<int, 4> gateway{192, 9, 40, 170};
        QString model = QStringLiteral("4630M4"); // six characters as shown
        std::array<QString, 8> baudrates = eight("9600", "57600");
        std::array<QString, 8> databits = eight("8");
        std::array<QString, 8> parities = eight("0");
        std::array<QString, 8> stopbits = eight("1");
        int modbusMask = 0xFF;

        bool isModbus() const { return model.size() >= 2 && model.at(model.size() - 2) == u'M'; }
    };

    enum class Mode { Prompt, Menu, MenuPort, MenuValue };

    explicit SimulatedDevice(QObject *parent = nullptr);

    bool isReady() const { return m_link.isOpen(); }
    QString slavePath() const { return m_link.slavePath(); }
    int slaveFd() const { return m_link.slaveFd(); }
    // Makes PC port COMn this device (environment RM4630K_COM<n>).
    void attachAs(int comPort);

    Settings &settings() { return m_settings; }
    Mode mode() const { return m_mode; }

    // Receives and records, but never answers.
    void setSilent(bool silent) { m_silent = silent; }
    // Every answer starts this long after what caused it.
    void setReplyDelay(int ms) { m_replyDelayMs = ms; }
    // Changes the menu screen before it is sent (a damaged screen).
    void setScreenFilter(std::function<QByteArray(const QByteArray &)> filter)
    {
        m_screenFilter = std::move(filter);
    }
    // Takes nothing in while held: what the PC sends piles up in its port.
    void setHoldingOff(bool on) { m_link.setReading(!on); }

    // The menu screen for settings, with CR LF line ends.
    static QByteArray menuScreen(const Settings &settings);

    // Everything received, in order.
    QByteArray received() const { return m_received; }
    struct Arrival
    {
        qint64 ms; // since the device was made
        QByteArray bytes;
    };
    QList<Arrival> arrivals() const { return m_arrivals; }
    void clearRecord();

    // Sends bytes as the device, after the reply delay.
    void send(const QByteArray &bytes);
    // The device goes away: the pseudo-terminal closes.
    void vanish() { m_link.close(); }

signals:
    void bytesReceived(const QByteArray &bytes);

private:
    void onReceived(const QByteArray &bytes);
    void handle(char c);
    void execute(const QString &line);
    void menuKey(char c);
    void applyValue(const QString &value);
    void showScreen(const QByteArray &before = QByteArray());
    void pump();

    PtyLink m_link;
    Settings m_settings;
    Mode m_mode = Mode::Prompt;
    QString m_line;
    char m_letter = 0;   // menu letter whose value is being entered
    int m_port = 0;      // device port of that value
    bool m_skipCr = false; // a CR right after the menu letter belongs to it

    bool m_silent = false;
    int m_replyDelayMs = 0;
    std::function<QByteArray(const QByteArray &)> m_screenFilter;

    struct Pending
    {
        qint64 readyAt;
        QByteArray bytes;
    };
    QList<Pending> m_pending;
    QTimer m_pumpTimer;
    QElapsedTimer m_clock;

    QByteArray m_received;
    QList<Arrival> m_arrivals;
};
