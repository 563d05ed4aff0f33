#include "app/desktop/window_recall.h"

#include <QEvent>
#include <QWidget>

#include "app/desktop/wayland_session.h"

namespace tallix {

WindowRecall::WindowRecall(QWidget& window) : QObject(&window), window_(window) {
    window_.installEventFilter(this);
}

void WindowRecall::setAside(bool toTray) {
    if (toTray) {
        minimisedByUs_ = false;
        window_.hide();
        return;
    }
    minimisedByUs_ = true;
    window_.showMinimized();
}

bool WindowRecall::mayBeOutOfSight() const {
    if (!window_.isVisible()) return false;
    return minimisedByUs_ || window_.isMinimized() || !window_.isActiveWindow();
}

void WindowRecall::bringBack() {
    // On Wayland the window can be raised and restored only by showing it anew; elsewhere the
    // window manager restores and raises a window that asks for it.
    if (onWayland() && mayBeOutOfSight()) window_.hide();
    minimisedByUs_ = false;
    window_.showNormal();
    window_.raise();
    window_.activateWindow();
}

// Restored by the user (from the task bar, or Alt+Tab), the window is in sight again.
bool WindowRecall::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::WindowActivate) minimisedByUs_ = false;
    return QObject::eventFilter(watched, event);
}

}  // namespace tallix
