#pragma once

#include <QString>

// Per-user settings of the utility, on QSettings.
namespace AppSettings {

// Organisation under which every settings file of the program is kept.
inline constexpr char kOrganization[] = "RM4630K";
// Name of the utility's own settings file (COM map and the like).
inline constexpr char kUtilityName[] = "rm4630k-utility";

// A saved setting of application appName, section and key; defaultValue when
// there is none. Mirrors the classic per-application "section/key" store.
QString getSetting(const QString &appName, const QString &section, const QString &key,
                   const QString &defaultValue = QString());
void saveSetting(const QString &appName, const QString &section, const QString &key,
                 const QString &value);

// The system serial device behind PC COM port n (1 to 4). In order of
// precedence: the environment variable RM4630K_COM<n>, the key "COM<n>" of
// section "ComPorts" in the utility's settings file, then the platform's
// default ("COMn" on Windows, "/dev/ttyS<n-1>" elsewhere).
QString comPortDevice(int n);

} // namespace AppSettings
