#include "app/input_blocker.h"

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

InputBlocker::InputBlocker(std::function<void()> onEscape) : onEscape_(std::move(onEscape)) {
    QCoreApplication::instance()->installEventFilter(this);
}

InputBlocker::~InputBlocker() {
    QCoreApplication::instance()->removeEventFilter(this);
}

bool InputBlocker::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        // Accepted, so that no menu or window shortcut fires.
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        if (!static_cast<QKeyEvent*>(event)->isAutoRepeat()) onEscape_();
        return true;
    }
    return isUserInput(event->type());
}

}  // namespace tallix
