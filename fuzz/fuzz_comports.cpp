// The device of a PC COM name: the environment variable's bytes and the
// settings file, as Qt reads that file, with a list of the system's ports.
//
// Input: one byte choosing the name (COM1 to COM8) and how many ports the
// system lists; then the environment variable's bytes up to the first LF;
// the rest is the settings file after "[ComPorts]" and its line end. The
// ports' names are drawn from usual ones and from pieces of the input.

#include "fuzz/fuzzcheck.h"

#include "app/comports.h"

#include <QFile>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>

using namespace ComPorts;

namespace {

bool hasControl(const QString &text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.category() == QChar::Other_Control; });
}

void checkPath(const QString &path)
{
    const QString shown = shownPath(path);
    FUZZ_CHECK(!hasControl(shown));
    FUZZ_CHECK(shown.size() <= 60 + 4 + 1);
    if (!hasControl(path) && path.size() <= 60)
        FUZZ_CHECK(shown == path);
    if (pathProblem(path).isEmpty()) {
        FUZZ_CHECK(!hasControl(path));
        const QString name = path.startsWith(QLatin1String("/dev/")) ? path.mid(5) : path;
        FUZZ_CHECK(QFile::encodeName(name).size() <= kMaxPortNameBytes);
    }
}

QList<SystemPort> drawPorts(const QByteArray &input, Fuzz::Draw &draw, int count)
{
    static const char *const kStems[] = {"/dev/ttyS", "/dev/ttyUSB", "/dev/ttyACM",
                                         "/dev/ttyAMA", "/dev/ttyS0", "/dev/rfcomm"};
    QList<SystemPort> ports;
    for (int i = 0; i < count; ++i) {
        QString location;
        if (draw.below(4) == 0 && !input.isEmpty()) {
            const qsizetype at = draw.below(input.size());
            location = QString::fromUtf8(input.mid(at, draw.below(12)));
        } else {
            location = QString::fromLatin1(kStems[draw.below(6)])
                       + QString::number(draw.below(3) == 0 ? draw.below(1000) : draw.below(12));
        }
        ports.append({location, draw.below(2) == 0});
    }
    return ports;
}

void checkSystemDevices(const QList<SystemPort> &ports, int count)
{
    const QStringList devices = systemDevices(ports, count);
    FUZZ_CHECK(devices.size() == count);
    FUZZ_CHECK(QSet<QString>(devices.begin(), devices.end()).size() == count);
    QList<SystemPort> reversed = ports;
    std::reverse(reversed.begin(), reversed.end());
    FUZZ_CHECK(systemDevices(reversed, count) == devices);
    // Adapters before on-board ports; what the list did not hold is a usual name.
    bool onBoardSeen = false;
    for (const QString &d : devices) {
        const auto it = std::find_if(ports.begin(), ports.end(),
                                     [&](const SystemPort &p) { return p.location == d; });
        if (it == ports.end()) {
            FUZZ_CHECK(d.startsWith(QLatin1String("/dev/ttyS")));
            continue;
        }
        const bool adapter = std::any_of(ports.begin(), ports.end(), [&](const SystemPort &p) {
            return p.location == d && p.adapter;
        });
        FUZZ_CHECK(!(adapter && onBoardSeen));
        onBoardSeen = onBoardSeen || !adapter;
    }
}

QString readSettings(const QByteArray &fileText, int n, QString *fileName)
{
    // One file throughout: Qt keeps each file it read and reads it again
    // only when its size or time changed, so a comment line of one or two
    // characters makes the size differ from the last.
    static const QTemporaryDir dir;
    static const QString name = dir.filePath(QStringLiteral("rm4630k-utility.conf"));
    static qsizetype lastSize = -1;
    QByteArray text = ";\n[ComPorts]\n" + fileText;
    if (text.size() == lastSize)
        text.prepend(';');
    lastSize = text.size();
    {
        QFile f(name);
        if (!f.open(QIODevice::WriteOnly))
            std::abort();
        f.write(text);
    }
    *fileName = name;
    return QSettings(name, QSettings::IniFormat)
        .value(QStringLiteral("ComPorts/COM%1").arg(n))
        .toString();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = Fuzz::bytes(data, size);
    if (input.isEmpty())
        return 0;
    const auto first = static_cast<unsigned char>(input.at(0));
    const int n = 1 + (first & 7);
    const int listed = (first >> 3) & 7;
    const QByteArray rest = input.mid(1);
    const qsizetype lf = rest.indexOf('\n');
    const QByteArray env = lf < 0 ? rest : rest.left(lf);
    const QByteArray fileText = lf < 0 ? QByteArray() : rest.mid(lf + 1);

    Fuzz::Draw draw(input);
    const QList<SystemPort> ports = drawPorts(input, draw, listed);
    const int count = std::max(n, kNames);
    checkSystemDevices(ports, count);
    const QString systemDevice = systemDevices(ports, count).at(n - 1);

    QString fileName;
    const QString fileValue = readSettings(fileText, n, &fileName);
    const QString fromEnv = QString::fromLocal8Bit(env);
    checkPath(fromEnv);
    checkPath(fileValue);

    const Device d = resolve(n, env, fileValue, systemDevice, true, fileName);
    const bool envUsable = !fromEnv.isEmpty() && pathProblem(fromEnv).isEmpty();
    const bool fileUsable = !fileValue.isEmpty() && pathProblem(fileValue).isEmpty();
    if (envUsable)
        FUZZ_CHECK(d.origin == Origin::Environment && d.path == fromEnv);
    else if (fileUsable)
        FUZZ_CHECK(d.origin == Origin::SettingsFile && d.path == fileValue);
    else
        FUZZ_CHECK(d.origin == Origin::System && d.path == systemDevice);
    // One message for each value that named a device and was refused, each
    // showing the value and ending with the device that opens instead.
    const QList<QString> refused = {fromEnv, envUsable ? QString() : fileValue};
    qsizetype expected = 0;
    for (const QString &value : refused) {
        if (value.isEmpty() || pathProblem(value).isEmpty())
            continue;
        FUZZ_CHECK(expected < d.problems.size());
        const QString &problem = d.problems.at(expected++);
        FUZZ_CHECK(problem.contains(QLatin1Char('"') + shownPath(value) + QLatin1Char('"')));
        const QString opens = QStringLiteral(" COM%1 opens %2.").arg(n).arg(shownPath(d.path));
        FUZZ_CHECK(problem.endsWith(opens));
    }
    FUZZ_CHECK(d.problems.size() == expected);
    return 0;
}
