#pragma once

#include <QObject>
#include <QString>

// The state that the launcher shares with the other windows: the PC's
// addresses, the device address for the network test and the chosen COM port.
// It lives for the whole run, so it outlives the launcher window; the launcher
// only shows and edits it.
class LauncherState : public QObject
{
    Q_OBJECT

public:
    static LauncherState &instance();

    // The launcher's labels start with the text "Label1" until the host
    // network queries fill them.
    static inline const QString kUnset = QStringLiteral("Label1");

    QString pcIp() const { return m_pcIp; }             // Label4
    QString pcMask() const { return m_pcMask; }         // Label5
    QString pcGateway() const { return m_pcGateway; }   // Label6: 16 characters, NULs included
    QString nettestIp() const { return m_nettestIp; }   // NettestIP
    QString comPort() const { return m_comPort; }       // Combo1's text

    void setPcIp(const QString &v);
    void setPcMask(const QString &v);
    void setPcGateway(const QString &v);
    void setNettestIp(const QString &v);
    void setComPort(const QString &v);

    // Back to the start-of-run values (tests).
    void reset();

signals:
    void changed();

private:
    LauncherState() = default;

    QString m_pcIp = kUnset;
    QString m_pcMask = kUnset;
    QString m_pcGateway = kUnset;
    QString m_nettestIp = QStringLiteral("192.9.40.100");
    QString m_comPort = QStringLiteral("COM1");
};
