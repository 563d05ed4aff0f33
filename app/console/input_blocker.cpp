#include "app/console/input_blocker.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace tallix {

namespace {

bool isUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
            return true;
        default:
            return false;
    }
}

}  // namespace

InputBlocker::InputBlocker(QWidget* guarded, std::function<void()> onEscape)
    : guarded_(guarded->window()), onEscape_(std::move(onEscape)) {
    QCoreApplication::instance()->installEventFilter(this);
}

InputBlocker::~InputBlocker() {
    QCoreApplication::instance()->removeEventFilter(this);
}

// Input reaches a window first and its widgets next: judging the widgets is enough.
bool InputBlocker::isGuarded(QObject* watched) const {
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget != nullptr && widget->window() == guarded_;
}

bool InputBlocker::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        // Accepted, so that no menu or window shortcut fires; the key itself then goes to
        // the widget that has the focus (a tray menu's item, say).
        event->accept();
        return true;
    }
    if (!isGuarded(watched)) return false;
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        if (!static_cast<QKeyEvent*>(event)->isAutoRepeat()) onEscape_();
        return true;
    }
    return isUserInput(event->type());
}

}  // namespace tallix
