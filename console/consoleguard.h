#pragma once

#include <QObject>
#include <QPointer>

// Lets one console exchange run at a time on a window. An exchange waits on
// the event loop between what it sends; a second one started meanwhile would
// mix its bytes and its reading of the terminal text with the first one's, so
// it is refused instead.
class ConsoleGuard : public QObject
{
    Q_OBJECT

public:
    // Held by the running exchange; the guard is free again when it goes.
    // An empty scope (false) means the exchange must not start.
    class Scope
    {
    public:
        Scope() = default;
        explicit Scope(ConsoleGuard *guard) : m_guard(guard) {}
        Scope(Scope &&other) noexcept : m_guard(other.m_guard) { other.m_guard = nullptr; }
        Scope &operator=(Scope &&other) noexcept;
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;
        ~Scope() { release(); }

        explicit operator bool() const { return !m_guard.isNull(); }
        // Ends the exchange before the scope goes.
        void release();

    private:
        QPointer<ConsoleGuard> m_guard;
    };

    using QObject::QObject;

    bool isBusy() const { return m_busy; }
    // Starts an exchange; an empty scope, and refused(), while one runs.
    Scope tryBegin();

signals:
    void refused();
    // The running exchange has ended.
    void finished();

private:
    bool m_busy = false;
};
