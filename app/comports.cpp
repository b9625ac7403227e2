#include "app/comports.h"

#include "app/settings.h"

#include <QFile>

#include <algorithm>
#include <optional>
#include <utility>

namespace ComPorts {

namespace {

// Characters of a path that a message shows before it cuts the path short.
constexpr qsizetype kShownMaxChars = 60;

const QString kSection = QStringLiteral("ComPorts");

QString comName(int n)
{
    return QStringLiteral("COM%1").arg(n);
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Digits compare as numbers, so that ttyS2 comes before ttyS10.
bool naturalLess(const QString &a, const QString &b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (isAsciiDigit(a.at(i)) && isAsciiDigit(b.at(j))) {
            qsizetype ei = i;
            qsizetype ej = j;
            while (ei < a.size() && isAsciiDigit(a.at(ei)))
                ++ei;
            while (ej < b.size() && isAsciiDigit(b.at(ej)))
                ++ej;
            // Leading zeros do not count; then the longer number is larger.
            QStringView x = QStringView(a).mid(i, ei - i);
            QStringView y = QStringView(b).mid(j, ej - j);
            while (x.size() > 1 && x.front() == u'0')
                x = x.mid(1);
            while (y.size() > 1 && y.front() == u'0')
                y = y.mid(1);
            if (x.size() != y.size())
                return x.size() < y.size();
            if (const int c = x.compare(y); c != 0)
                return c < 0;
            i = ei;
            j = ej;
            continue;
        }
        if (a.at(i) != b.at(j))
            return a.at(i) < b.at(j);
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    return a < b; // equal but for leading zeros: still one order
}

// given: the variable or key; where: where the key stands, if anywhere.
QString refusal(const QString &given, const QString &where, const QString &path,
                const QString &why)
{
    return QStringLiteral("%1=\"%2\"%3 cannot be a serial device: %4.")
        .arg(given, shownPath(path), where, why);
}

} // namespace

QStringList systemDevices(const QList<SystemPort> &ports, int count)
{
    // A port reported twice is an adapter if either report says so.
    QStringList adapters;
    for (const SystemPort &p : ports) {
        if (p.adapter && !p.location.isEmpty() && !adapters.contains(p.location))
            adapters.append(p.location);
    }
    QStringList onBoard;
    for (const SystemPort &p : ports) {
        if (!p.location.isEmpty() && !adapters.contains(p.location)
            && !onBoard.contains(p.location))
            onBoard.append(p.location);
    }
    std::sort(adapters.begin(), adapters.end(), naturalLess);
    std::sort(onBoard.begin(), onBoard.end(), naturalLess);
    QStringList devices = adapters + onBoard;
    // The names an on-board port usually has: where the system could not
    // tell, the port may still be there.
    for (int k = 0; devices.size() < count; ++k) {
        const QString usual = QStringLiteral("/dev/ttyS%1").arg(k);
        if (!devices.contains(usual))
            devices.append(usual);
    }
    return devices.mid(0, count);
}

QString pathProblem(const QString &path)
{
    for (const QChar c : path) {
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("it holds a control character");
    }
    const bool underDev = path.startsWith(QLatin1String("/dev/"));
    const qsizetype bytes = QFile::encodeName(underDev ? path.mid(5) : path).size();
    if (bytes > kMaxPortNameBytes)
        return QStringLiteral("the path is too long (%1 bytes%2, at most %3)")
            .arg(QString::number(bytes),
                 underDev ? QStringLiteral(" after \"/dev/\"") : QString(),
                 QString::number(kMaxPortNameBytes));
    return QString();
}

QString shownPath(const QString &path)
{
    QString shown;
    for (const QChar c : path) {
        if (shown.size() >= kShownMaxChars) {
            shown += QChar(0x2026); // …
            break;
        }
        if (c.category() == QChar::Other_Control)
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

QByteArray environmentVariable(int n)
{
    return "RM4630K_COM" + QByteArray::number(n);
}

Device resolve(int n, const QByteArray &environmentValue, const QString &fileValue,
               const QString &systemDevice, bool listed, const QString &settingsFile)
{
    Device d;
    const QString variable = QString::fromLatin1(environmentVariable(n));
    const QString fromEnv = QString::fromLocal8Bit(environmentValue);
    if (!fromEnv.isEmpty()) {
        const QString why = pathProblem(fromEnv);
        if (why.isEmpty()) {
            d.path = fromEnv;
            d.origin = Origin::Environment;
            return d;
        }
        d.problems << refusal(variable, QString(), fromEnv, why);
    }
    if (!fileValue.isEmpty()) {
        const QString why = pathProblem(fileValue);
        if (why.isEmpty()) {
            d.path = fileValue;
            d.origin = Origin::SettingsFile;
        } else {
            const QString where =
                QStringLiteral(" in section [%1] of %2").arg(kSection, settingsFile);
            d.problems << refusal(comName(n), where, fileValue, why);
        }
    }
    if (d.path.isEmpty()) {
        d.path = systemDevice;
        d.origin = listed ? Origin::System : Origin::Usual;
    }
    for (QString &p : d.problems)
        p += QStringLiteral(" %1 opens %2.").arg(comName(n), shownPath(d.path));
    return d;
}

namespace {

// The system's ports, asked for once and only when a name needs them:
// asking takes milliseconds.
class SystemLook
{
public:
    // COM<n>'s device from the system, and whether the system listed it.
    std::pair<QString, bool> device(int n)
    {
#ifdef Q_OS_WIN
        return {comName(n), false};
#else
        if (!m_ports)
            m_ports = Source::current().ports();
        const QString path = systemDevices(*m_ports, std::max(n, kNames)).at(n - 1);
        const bool listed = std::any_of(m_ports->begin(), m_ports->end(),
                                        [&](const SystemPort &p) { return p.location == path; });
        return {path, listed};
#endif
    }

private:
    std::optional<QList<SystemPort>> m_ports;
};

// What the environment and the settings file give for COM<n>.
struct Given
{
    QByteArray environmentValue;
    QString fileValue;
    QString file;

    explicit Given(int n)
        : environmentValue(qgetenv(environmentVariable(n).constData()))
    {
        const QString utility = QString::fromLatin1(AppSettings::kUtilityName);
        fileValue = AppSettings::getSetting(utility, kSection, comName(n));
        file = AppSettings::fileName(utility);
    }
    static bool usable(const QString &value)
    {
        return !value.isEmpty() && pathProblem(value).isEmpty();
    }
    static bool refused(const QString &value)
    {
        return !value.isEmpty() && !pathProblem(value).isEmpty();
    }
    bool settled() const
    {
        return usable(QString::fromLocal8Bit(environmentValue)) || usable(fileValue);
    }
    bool anyRefused() const
    {
        return refused(QString::fromLocal8Bit(environmentValue)) || refused(fileValue);
    }
};

Device deviceWith(int n, const Given &given, SystemLook &look)
{
    std::pair<QString, bool> system;
    if (!given.settled())
        system = look.device(n);
    return resolve(n, given.environmentValue, given.fileValue, system.first, system.second,
                   given.file);
}

} // namespace

Device device(int n)
{
    SystemLook look;
    return deviceWith(n, Given(n), look);
}

QString originNote(int n, const Device &d)
{
    switch (d.origin) {
    case Origin::Environment:
        return QStringLiteral("from %1").arg(QString::fromLatin1(environmentVariable(n)));
    case Origin::SettingsFile:
        return QStringLiteral("from the settings file");
    case Origin::System:
        break;
    case Origin::Usual:
#ifndef Q_OS_WIN
        return QStringLiteral("not reported by the system");
#endif
        break;
    }
    return QString();
}

QString mappingText()
{
    SystemLook look;
    QStringList lines;
    for (int n = 1; n <= kNames; ++n) {
        const Device d = deviceWith(n, Given(n), look);
        QStringList notes;
        if (const QString note = originNote(n, d); !note.isEmpty())
            notes << note;
        if (!d.problems.isEmpty())
            notes << QStringLiteral("the path given is not usable");
        QString line = QStringLiteral("%1: %2").arg(comName(n), shownPath(d.path));
        if (!notes.isEmpty())
            line += QStringLiteral(" (%1)").arg(notes.join(QStringLiteral("; ")));
        lines << line;
    }
    lines << QStringLiteral("Other text: as COM1");
    return lines.join(u'\n');
}

QStringList problems()
{
    SystemLook look;
    QStringList all;
    for (int n = 1; n <= kNames; ++n) {
        const Given given(n);
        if (given.anyRefused())
            all += deviceWith(n, given, look).problems;
    }
    return all;
}

} // namespace ComPorts
