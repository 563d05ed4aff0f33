#include "app/desktop/wayland_session.h"

#include <QGuiApplication>

namespace tallix {

bool onWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

}  // namespace tallix
