#include "tests/support/modbusserver.h"
#include "tests/support/simulateddevice.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Long enough for a sanitized program to start and load a window.
constexpr int kAnswerMs = 60000;

// An answer as the driver wrote it: a line break as \n, a backslash as \\.
QString unescaped(const QString &line)
{
    QString text;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line.at(i) == u'\\' && i + 1 < line.size()) {
            ++i;
            text += line.at(i) == u'n' ? QChar(u'\n') : line.at(i);
        } else {
            text += line.at(i);
        }
    }
    return text;
}

// The program, started as the user starts it, with our Qt plugin that plays
// the user inside it (tests/program/driver): ask() hands that a command and
// returns its answer, or what became of the program when none came.
class Program : public QObject
{
    Q_OBJECT

public:
    // fileSizeLimit: the program's RLIMIT_FSIZE in bytes, 0 for none.
    explicit Program(const QProcessEnvironment &extra = {}, const QString &folder = QString(),
                     rlim_t fileSizeLimit = 0)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(RM_DRIVER_PLUGINS));
        env.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("rm4630kdriver"));
        for (const QString &key : extra.keys())
            env.insert(key, extra.value(key));
        m_process.setProcessEnvironment(env);
        m_process.setWorkingDirectory(folder.isEmpty() ? QDir::currentPath() : folder);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // The program starts with the signal handling of a fresh process,
        // whatever this test process has set (Qt ignores SIGPIPE in it).
        m_process.setChildProcessModifier([fileSizeLimit] {
            struct sigaction dfl = {};
            dfl.sa_handler = SIG_DFL;
            sigset_t set;
            sigemptyset(&set);
            for (const int s : {SIGPIPE, SIGXFSZ}) {
                sigaction(s, &dfl, nullptr);
                sigaddset(&set, s);
            }
            sigprocmask(SIG_UNBLOCK, &set, nullptr);
            if (fileSizeLimit > 0) {
                struct rlimit limit = {};
                getrlimit(RLIMIT_FSIZE, &limit);
                limit.rlim_cur = fileSizeLimit;
                setrlimit(RLIMIT_FSIZE, &limit);
            }
        });
        connect(&m_process, &QProcess::readyReadStandardOutput, this, [this] {
            m_output += m_process.readAllStandardOutput();
            for (qsizetype end; (end = m_output.indexOf('\n')) >= 0; m_output.remove(0, end + 1))
                m_answers << unescaped(QString::fromUtf8(m_output.left(end)));
            emit changed();
        });
        connect(&m_process, &QProcess::finished, this, &Program::changed);
        m_process.start(QStringLiteral(RM_PROGRAM), {});
    }
    ~Program() override
    {
        // After a failure the test's event loop no longer runs.
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    QString ask(const QString &command)
    {
        m_process.write(command.toUtf8() + '\n');
        waitUntil([this] { return !m_answers.isEmpty(); });
        if (!m_answers.isEmpty())
            return m_answers.takeFirst();
        return QStringLiteral("no answer to \"%1\": %2").arg(command, fate());
    }

    // Presses the launcher's Exit and tells how the program ended.
    QString exit()
    {
        const QString answer = ask(QStringLiteral("click Main1/Command4"));
        if (answer != u"ok")
            return answer;
        waitForEnd();
        return fate();
    }

signals:
    void changed();

private:
    // Until done, the program has ended, or kAnswerMs have passed.
    void waitUntil(const std::function<bool()> &done)
    {
        QSignalSpy spy(this, &Program::changed);
        QDeadlineTimer deadline(kAnswerMs);
        while (!done() && m_process.state() != QProcess::NotRunning && !deadline.hasExpired()
               && !QTest::currentTestFailed())
            spy.wait(int(std::max<qint64>(deadline.remainingTime(), 1)));
    }
    void waitForEnd()
    {
        waitUntil([] { return false; });
    }

    QString fate() const
    {
        if (m_process.state() != QProcess::NotRunning)
            return QStringLiteral("still running");
        if (m_process.exitStatus() == QProcess::CrashExit)
            return QStringLiteral("killed by a signal");
        return QStringLiteral("exit code %1").arg(m_process.exitCode());
    }

    QProcess m_process;
    QByteArray m_output;
    QStringList m_answers;
};

QProcessEnvironment environment(std::initializer_list<std::pair<const char *, QString>> values)
{
    QProcessEnvironment env;
    for (const auto &[key, value] : values)
        env.insert(QString::fromLatin1(key), value);
    return env;
}

// What the non-blocking fd holds now.
QByteArray available(int fd)
{
    char buffer[256];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    return n > 0 ? QByteArray(buffer, n) : QByteArray();
}

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

// The program itself, as the user starts it: a write that fails on a named
// pipe or past the file-size limit is told and the program goes on; a named
// pipe where a file is expected holds nothing up.
class TstProgramRun : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<SimulatedDevice> m_dev;

    // The terminal of the launcher's Configuration on the simulated device,
    // with the log's file dialog answered with path and the question about
    // the existing name with No (add at its end).
    void openLog(Program &p, const QString &path)
    {
        QCOMPARE(p.ask("click Main1/Command3"), "ok");
        QCOMPARE(p.ask("trigger frmTerminal/OpenLogFile"), "ok");
        QCOMPARE(p.ask("file " + path), "ok");
        QCOMPARE(p.ask("box No"), "box 要取代既有的檔案嗎 - " + path + '?');
    }
    QProcessEnvironment onDevice() const
    {
        return environment({{"RM4630K_COM1", m_dev->slavePath()}});
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_dev = std::make_unique<SimulatedDevice>();
        QVERIFY(m_dev->isReady());
    }
    void cleanup() { m_dev.reset(); }

    // A capture log on a named pipe that no one reads is not opened, and
    // nothing waits for a reader: said as for any log that cannot be opened.
    void logOnPipeWithoutReader()
    {
        const QString fifo = m_dir.filePath("nobody.log");
        QVERIFY(mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        Program p(onDevice());
        openLog(p, fifo);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(p.ask("box Ok"), "box 無法開啟記錄檔 " + fifo + ": " + systemText(ENXIO));
        QCOMPARE(p.ask("read frmTerminal/OpenLogFile enabled"), "read true");
        QCOMPARE(p.ask("read frmTerminal/CloseLogFile enabled"), "read false");
        QCOMPARE(p.exit(), "exit code 0");
    }

    // A capture log on a named pipe whose reader goes away: the write fails
    // and the user is asked Retry or Cancel, as on a full disk.
    void logOnPipeWhoseReaderLeaves()
    {
        const QString fifo = m_dir.filePath("reader.log");
        QVERIFY(mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        // Not inherited by the program: its own end would keep the pipe read.
        int reader =
            ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(reader >= 0);
        const auto closeReader = qScopeGuard([&reader] {
            if (reader >= 0)
                ::close(reader);
        });
        Program p(onDevice());
        openLog(p, fifo);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(p.ask("until frmTerminal windowTitle PortView 終端機 - reader.log"), "ok");
        m_dev->send("one\r");
        QByteArray read;
        QTRY_COMPARE_WITH_TIMEOUT(read += available(reader), QByteArray("one\r\n"), kAnswerMs);
        ::close(reader);
        reader = -1;
        m_dev->send("two");
        QCOMPARE(p.ask("box Cancel"), "box " + systemText(EPIPE));
        QCOMPARE(p.ask("until frmTerminal windowTitle PortView 終端機"), "ok");
        QCOMPARE(p.exit(), "exit code 0");
    }

    // The data log under a file-size limit stops at it with its message, as
    // on a full disk; the program goes on.
    void dataLogAtFileSizeLimit()
    {
        ModbusTestServer server;
        QVERIFY2(server.start(), server.error().c_str());
        constexpr rlim_t kLimit = 4096;
        Program p({}, m_dir.path(), kLimit);
        QCOMPARE(p.ask("click Main1/Command5"), "ok");
        QCOMPARE(p.ask("write ModbusTCP/ServeripText text 127.0.0.1"), "ok");
        QCOMPARE(p.ask("write ModbusTCP/ServerPortText text " + QString::number(server.port())), "ok");
        QCOMPARE(p.ask("click ModbusTCP/cmdConnect"), "ok");
        QCOMPARE(p.ask("until ModbusTCP/cmdSend enabled true"), "ok");
        QCOMPARE(p.ask("click ModbusTCP/chkDataLog"), "ok");
        QCOMPARE(p.ask("until ModbusTCP/chkDataLog checked true"), "ok");
        QCOMPARE(p.ask("write ModbusTCP/txtString text 00 01 00 00 00 06 01 03 00 00 00 05"), "ok");
        QCOMPARE(p.ask("write ModbusTCP/txtInterval text 10"), "ok");
        QCOMPARE(p.ask("click ModbusTCP/cmdSetInterval"), "ok");
        QCOMPARE(p.ask("click ModbusTCP/cmdStartTimer"), "ok");
        QCOMPARE(p.ask("box Ok"), "box DataLog.txt cannot be written: " + systemText(EFBIG)
                                      + ". The data log is closed; the lines written before "
                                        "stay in it.");
        QCOMPARE(p.ask("read ModbusTCP/chkDataLog checked"), "read false");
        QCOMPARE(QFileInfo(m_dir.filePath("DataLog.txt")).size(), qint64(kLimit));
        QCOMPARE(p.exit(), "exit code 0");
    }

    // The utility's settings file is a named pipe that no one opens: the
    // start says so once, naming it, and goes on with the defaults; the pipe
    // stays as it was.
    void settingsFileIsAPipe()
    {
        const QString folder = m_dir.filePath("config/RM4630K");
        QVERIFY(QDir().mkpath(folder));
        const QString file = folder + "/rm4630k-utility.conf";
        QVERIFY(mkfifo(QFile::encodeName(file).constData(), 0600) == 0);
        Program p(environment({{"XDG_CONFIG_HOME", m_dir.filePath("config")}}));
        const QString box = p.ask("box Ok");
        QVERIFY2(box.startsWith("box ") && box.contains(file), qPrintable(box));
        QCOMPARE(p.ask("read Main1 windowTitle"), "read RM4630K utility");
        QCOMPARE(p.exit(), "exit code 0");
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
                 QStringList{"rm4630k-utility.conf"});
        struct stat st = {};
        QVERIFY(::lstat(QFile::encodeName(file).constData(), &st) == 0 && S_ISFIFO(st.st_mode));
    }
};

QTEST_MAIN(TstProgramRun)
#include "tst_programrun.moc"
