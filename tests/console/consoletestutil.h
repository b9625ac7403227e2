#pragma once

#include "app/dialogs.h"
#include "app/launcherstate.h"
#include "app/module1.h"
#include "console/terminallogic.h"

#include <QSettings>
#include <QString>

// Program-wide state that a window test must start from.
inline void resetProgramState()
{
    setApplicationTitle(QStringLiteral("4630K"));
    Module1::Echo = false;
    LauncherState::instance().reset();
    QSettings(QStringLiteral("RM4630K"), TerminalLogic::kTitle).clear();
}

inline void saveTerminalSetting(const char *key, const QString &value)
{
    QSettings(QStringLiteral("RM4630K"), TerminalLogic::kTitle)
        .setValue(QStringLiteral("Properties/") + QLatin1String(key), value);
}
