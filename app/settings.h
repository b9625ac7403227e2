#pragma once

#include <QString>

// Per-user settings of the utility, on QSettings.
namespace AppSettings {

// Organisation under which every settings file of the program is kept.
inline constexpr char kOrganization[] = "RM4630K";
// Name of the utility's own settings file (COM map and the like, see ComPorts).
inline constexpr char kUtilityName[] = "rm4630k-utility";

// A saved setting of application appName, section and key; defaultValue when
// there is none. Mirrors the classic per-application "section/key" store.
QString getSetting(const QString &appName, const QString &section, const QString &key,
                   const QString &defaultValue = QString());
void saveSetting(const QString &appName, const QString &section, const QString &key,
                 const QString &value);

} // namespace AppSettings
