#include "console/consoleguard.h"

ConsoleGuard::Scope &ConsoleGuard::Scope::operator=(Scope &&other) noexcept
{
    if (this != &other) {
        release();
        m_guard = other.m_guard;
        other.m_guard = nullptr;
    }
    return *this;
}

void ConsoleGuard::Scope::release()
{
    if (!m_guard)
        return;
    ConsoleGuard *guard = m_guard;
    m_guard = nullptr;
    guard->m_busy = false;
    emit guard->finished();
}

ConsoleGuard::Scope ConsoleGuard::tryBegin()
{
    if (m_busy) {
        emit refused();
        return Scope();
    }
    m_busy = true;
    return Scope(this);
}
