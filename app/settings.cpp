#include "app/settings.h"

#include <QSettings>

namespace AppSettings {

namespace {

QString groupKey(const QString &section, const QString &key)
{
    return section + QLatin1Char('/') + key;
}

} // namespace

QString getSetting(const QString &appName, const QString &section, const QString &key,
                   const QString &defaultValue)
{
    QSettings settings(QString::fromLatin1(kOrganization), appName);
    return settings.value(groupKey(section, key), defaultValue).toString();
}

void saveSetting(const QString &appName, const QString &section, const QString &key,
                 const QString &value)
{
    QSettings settings(QString::fromLatin1(kOrganization), appName);
    settings.setValue(groupKey(section, key), value);
}

} // namespace AppSettings
