#include "app/settings.h"

#include <QSettings>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
#define RM_SETTINGS_IN_FILES
#include <QFile>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <sys/stat.h>
#endif

namespace AppSettings {

namespace {

QString groupKey(const QString &section, const QString &key)
{
    return section + QLatin1Char('/') + key;
}

#ifdef RM_SETTINGS_IN_FILES
// Every file that QSettings may read for appName, the user's own first: for
// appName and for the whole organisation, in the user's folder and in each
// folder of the system's (some of them only read by some Qt versions).
QStringList candidateFiles(const QString &appName)
{
    const QString org = QString::fromLatin1(kOrganization);
    QStringList folders = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    folders.prepend(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    folders.append(QLibraryInfo::path(QLibraryInfo::SettingsPath));
    folders.removeDuplicates();
    QStringList files;
    for (const QString &folder : std::as_const(folders))
        files << folder + u'/' + org + u'/' + appName + QStringLiteral(".conf")
              << folder + u'/' + org + QStringLiteral(".conf");
    return files;
}
#endif

} // namespace

QString getSetting(const QString &appName, const QString &section, const QString &key,
                   const QString &defaultValue)
{
    if (!refusedFiles(appName).isEmpty())
        return defaultValue;
    QSettings settings(QString::fromLatin1(kOrganization), appName);
    return settings.value(groupKey(section, key), defaultValue).toString();
}

void saveSetting(const QString &appName, const QString &section, const QString &key,
                 const QString &value)
{
    if (!refusedFiles(appName).isEmpty())
        return;
    QSettings settings(QString::fromLatin1(kOrganization), appName);
    settings.setValue(groupKey(section, key), value);
}

QString fileName(const QString &appName)
{
#ifdef RM_SETTINGS_IN_FILES
    return candidateFiles(appName).constFirst();
#else
    return QSettings(QString::fromLatin1(kOrganization), appName).fileName();
#endif
}

QStringList refusedFiles(const QString &appName)
{
    QStringList refused;
#ifdef RM_SETTINGS_IN_FILES
    // Looked at just before each reading (QSettings opens the files itself):
    // a name made a pipe in between is not caught.
    for (const QString &file : candidateFiles(appName)) {
        struct stat st = {};
        if (::stat(QFile::encodeName(file).constData(), &st) == 0 && !S_ISREG(st.st_mode))
            refused << file;
    }
#else
    Q_UNUSED(appName);
#endif
    return refused;
}

QString refusedText(const QStringList &files)
{
    QStringList lines;
    for (const QString &file : files)
        lines << QStringLiteral("The settings file %1 is not a regular file: it is neither "
                                "read nor written, and the defaults apply.")
                     .arg(file);
    return lines.join(u'\n');
}

} // namespace AppSettings
