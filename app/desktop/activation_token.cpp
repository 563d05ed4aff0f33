#include "app/desktop/activation_token.h"

namespace tallix {

QString takeLauncherToken() {
    QString token = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    if (token.isEmpty()) token = qEnvironmentVariable("DESKTOP_STARTUP_ID");
    qunsetenv("XDG_ACTIVATION_TOKEN");
    qunsetenv("DESKTOP_STARTUP_ID");
    return token;
}

}  // namespace tallix
