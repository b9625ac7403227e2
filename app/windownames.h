#pragma once

#include <QString>
#include <QStringList>

// The names of the program's windows, one definition each. Windows are
// registered, shown and looked up by these names; each is also the window's
// objectName.
namespace WindowName {

inline const QString Main1 = QStringLiteral("Main1");
inline const QString frmTerminal = QStringLiteral("frmTerminal");
inline const QString ConfigurationWarning = QStringLiteral("ConfigurationWarning");
inline const QString Configurate = QStringLiteral("Configurate");
inline const QString frmMain = QStringLiteral("frmMain");
inline const QString comset = QStringLiteral("comset");
inline const QString IPset = QStringLiteral("IPset");
inline const QString Maskset = QStringLiteral("Maskset");
inline const QString Gatewayset = QStringLiteral("Gatewayset");
inline const QString commandlist = QStringLiteral("commandlist");
inline const QString frmServer = QStringLiteral("frmServer");
inline const QString ModbusTCP = QStringLiteral("ModbusTCP");
inline const QString Wizard = QStringLiteral("Wizard");
inline const QString Download = QStringLiteral("Download");
inline const QString Terminalwizard = QStringLiteral("Terminalwizard");
inline const QString Terminalwizard1 = QStringLiteral("Terminalwizard1");
inline const QString frmTroubleshooting = QStringLiteral("frmTroubleshooting");

// Every window of the program.
inline const QStringList all = {Main1,      frmTerminal, ConfigurationWarning, Configurate,
                                frmMain,    comset,      IPset,                Maskset,
                                Gatewayset, commandlist, frmServer,            ModbusTCP,
                                Wizard,     Download,    Terminalwizard,       Terminalwizard1,
                                frmTroubleshooting};

} // namespace WindowName
