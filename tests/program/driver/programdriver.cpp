// Plays the user inside the real program, for the tests that run it as the
// user does: Qt loads it as a generic plugin (QT_QPA_GENERIC_PLUGINS), so the
// program carries nothing for it. It takes one command a line on standard
// input and answers each on standard output once done. A command whose
// window, control or box is not there yet is tried again until it is: the
// test on the other side decides how long to wait.
//
//   click W/C          clicks button or check box C of window W
//   trigger W/A        triggers action A of window W
//   read W[/C] P       answers "read " and the value of property P
//   write W/C P TEXT   sets property P to TEXT, answers "ok"
//   until W/C P TEXT   answers "ok" once property P reads TEXT
//   box B              answers "box " and the text of the message box shown,
//                      then presses its button B (Ok, Yes, No, Retry, Cancel)
//   file PATH          types PATH into the file dialog shown and accepts it
//
// Windows count only while shown. In answers a line break is written \n and
// a backslash \\.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QGenericPlugin>
#include <QHash>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QQueue>
#include <QSocketNotifier>
#include <QTimer>

#include <optional>

#include <unistd.h>

namespace {

constexpr int kRetryMs = 20;

QWidget *shownWindow(const QString &name)
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == name && w->isVisible())
            return w;
    }
    return nullptr;
}

// "W" or "W/C".
QObject *target(const QString &path)
{
    const qsizetype slash = path.indexOf(u'/');
    QWidget *window = shownWindow(path.left(slash));
    if (!window || slash < 0)
        return window;
    return window->findChild<QObject *>(path.mid(slash + 1));
}

template <class T>
T *shown()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *t = qobject_cast<T *>(w); t && t->isVisible())
            return t;
    }
    return nullptr;
}

QString escaped(QString text)
{
    return text.replace(u'\\', QStringLiteral("\\\\")).replace(u'\n', QStringLiteral("\\n"));
}

class Driver : public QObject
{
public:
    Driver() : m_input(STDIN_FILENO, QSocketNotifier::Read)
    {
        connect(&m_input, &QSocketNotifier::activated, this, &Driver::readInput);
        m_retry.setInterval(kRetryMs);
        connect(&m_retry, &QTimer::timeout, this, &Driver::runCommands);
    }

private:
    void readInput()
    {
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            m_input.setEnabled(false);
            return;
        }
        m_partial.append(buffer, n);
        for (qsizetype end; (end = m_partial.indexOf('\n')) >= 0; m_partial.remove(0, end + 1))
            m_commands.enqueue(QString::fromUtf8(m_partial.left(end)));
        runCommands();
    }

    void runCommands()
    {
        while (!m_commands.isEmpty()) {
            const std::optional<QString> answer = run(m_commands.head());
            if (!answer) {
                m_retry.start();
                return;
            }
            m_commands.dequeue();
            const QByteArray line = escaped(*answer).toUtf8() + '\n';
            if (::write(STDOUT_FILENO, line.constData(), size_t(line.size())) != line.size())
                m_input.setEnabled(false);
        }
        m_retry.stop();
    }

    // The answer, or nothing while the command cannot run yet. What it
    // starts runs from the event loop: a click may open a modal window.
    std::optional<QString> run(const QString &command)
    {
        const QString verb = command.section(u' ', 0, 0);
        const QString path = command.section(u' ', 1, 1);
        if (verb == u"file") {
            auto *dialog = shown<QFileDialog>();
            auto *name = dialog ? dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))
                                : nullptr;
            if (!name)
                return std::nullopt;
            name->setText(command.section(u' ', 1));
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
            return QStringLiteral("ok");
        }
        if (verb == u"box") {
            auto *box = shown<QMessageBox>();
            // The box just answered may still be up for a moment.
            if (!box || box == m_answered)
                return std::nullopt;
            static const QHash<QString, QMessageBox::StandardButton> buttons = {
                {QStringLiteral("Ok"), QMessageBox::Ok},
                {QStringLiteral("Yes"), QMessageBox::Yes},
                {QStringLiteral("No"), QMessageBox::No},
                {QStringLiteral("Retry"), QMessageBox::Retry},
                {QStringLiteral("Cancel"), QMessageBox::Cancel}};
            QAbstractButton *button = box->button(buttons.value(path, QMessageBox::NoButton));
            if (!button)
                return QStringLiteral("no button %1 in box %2").arg(path, box->text());
            m_answered = box;
            QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
            return QStringLiteral("box ") + box->text();
        }
        QObject *object = target(path);
        if (!object)
            return std::nullopt;
        const QByteArray property = command.section(u' ', 2, 2).toLatin1();
        const QString text = command.section(u' ', 3);
        if (verb == u"click") {
            auto *button = qobject_cast<QAbstractButton *>(object);
            if (!button)
                return QStringLiteral("not a button: ") + path;
            QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
            return QStringLiteral("ok");
        }
        if (verb == u"trigger") {
            auto *action = qobject_cast<QAction *>(object);
            if (!action)
                return QStringLiteral("not an action: ") + path;
            QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
            return QStringLiteral("ok");
        }
        if (verb == u"read")
            return QStringLiteral("read ") + object->property(property.constData()).toString();
        if (verb == u"write") {
            object->setProperty(property.constData(), text);
            return QStringLiteral("ok");
        }
        if (verb == u"until") {
            if (object->property(property.constData()).toString() != text)
                return std::nullopt;
            return QStringLiteral("ok");
        }
        return QStringLiteral("unknown command: ") + command;
    }

    QSocketNotifier m_input;
    QTimer m_retry;
    QByteArray m_partial;
    QQueue<QString> m_commands;
    QPointer<QMessageBox> m_answered;
};

} // namespace

class DriverPlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "programdriver.json")

public:
    QObject *create(const QString &, const QString &) override { return new Driver; }
};

#include "programdriver.moc"
