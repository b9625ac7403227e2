#pragma once

#include <QString>
#include <QStringList>

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

// The file that appName's settings are kept in, as messages name it.
QString fileName(const QString &appName);

// The files that appName's settings are read from which exist and are not
// regular files (a named pipe would hold the reading until some program wrote
// to it). While there is one, those settings are neither read nor written:
// getSetting gives the default, saveSetting does nothing.
QStringList refusedFiles(const QString &appName);
// The message that names them.
QString refusedText(const QStringList &files);

} // namespace AppSettings
