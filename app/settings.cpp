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

QString comPortDevice(int n)
{
    const QString name = QStringLiteral("COM%1").arg(n);
    const QByteArray fromEnv = qgetenv(("RM4630K_" + name.toLatin1()).constData());
    if (!fromEnv.isEmpty())
        return QString::fromLocal8Bit(fromEnv);
    const QString fromFile = getSetting(QString::fromLatin1(kUtilityName),
                                        QStringLiteral("ComPorts"), name);
    if (!fromFile.isEmpty())
        return fromFile;
#ifdef Q_OS_WIN
    return name;
#else
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
#endif
}

} // namespace AppSettings
