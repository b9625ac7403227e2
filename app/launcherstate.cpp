#include "app/launcherstate.h"

LauncherState &LauncherState::instance()
{
    static LauncherState state;
    return state;
}

namespace {

void assign(LauncherState *s, QString &field, const QString &v)
{
    if (field == v)
        return;
    field = v;
    emit s->changed();
}

} // namespace

void LauncherState::setPcIp(const QString &v) { assign(this, m_pcIp, v); }
void LauncherState::setPcMask(const QString &v) { assign(this, m_pcMask, v); }
void LauncherState::setPcGateway(const QString &v) { assign(this, m_pcGateway, v); }
void LauncherState::setNettestIp(const QString &v) { assign(this, m_nettestIp, v); }
void LauncherState::setComPort(const QString &v) { assign(this, m_comPort, v); }

void LauncherState::reset()
{
    m_pcIp = m_pcMask = m_pcGateway = kUnset;
    m_nettestIp = QStringLiteral("192.9.40.100");
    m_comPort = QStringLiteral("COM1");
    emit changed();
}
