#include "startupprobe.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

namespace StartupProbe {

void reportWhenIdle() {
    if (!qEnvironmentVariableIsSet("JZ_STARTUP_PROBE"))
        return;
    QTimer::singleShot(0, [] {
        std::puts("idle");
        std::fflush(stdout);
        QCoreApplication::quit();
    });
}

} // namespace StartupProbe
