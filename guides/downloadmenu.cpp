#include "guides/downloadmenu.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace Guides {

namespace {

constexpr int kPcPorts = 4;

} // namespace

QString connectionFileName(const QString &portName)
{
    for (int k = 1; k <= kPcPorts; ++k) {
        if (portName == QStringLiteral("COM") + QString::number(k))
            return QStringLiteral("term") + QString::number(k) + QStringLiteral(".ht");
    }
    return QString();
}

QStringList connectionFileFolders()
{
    QStringList candidates{QDir::currentPath()};
    // Before the application object exists there is no program folder to ask.
    if (QCoreApplication::instance()) {
        const QDir program(QCoreApplication::applicationDirPath());
        candidates.append(program.filePath(QStringLiteral("data")));
        candidates.append(program.filePath(QStringLiteral(RM_INSTALLED_DATA_DIR)));
    }

    QStringList folders;
    for (const QString &c : candidates) {
        const QString clean = QDir::cleanPath(QDir(c).absolutePath());
        if (!folders.contains(clean))
            folders.append(clean);
    }
    return folders;
}

QString findConnectionFile(const QString &fileName, const QStringList &folders)
{
    if (fileName.isEmpty())
        return QString();
    for (const QString &folder : folders) {
        const QFileInfo info(QDir(folder), fileName);
        if (info.isFile())
            return info.absoluteFilePath();
    }
    return QString();
}

QString openingFailedText(const QString &file, const QString &reason)
{
    return QStringLiteral("The connection file %1 could not be opened: %2.").arg(file, reason);
}

std::optional<GuideLaunch> launchForPort(const QString &portName, GuideId guide,
                                         const QStringList &folders)
{
    const QString name = connectionFileName(portName);
    if (name.isEmpty())
        return std::nullopt;
    GuideLaunch launch;
    launch.guide = guide;
    launch.file = findConnectionFile(name, folders);
    launch.found = !launch.file.isEmpty();
    if (!launch.found)
        launch.file = name;
    return launch;
}

} // namespace Guides
