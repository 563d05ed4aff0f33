#include "app/desktop/tray_watch.h"

#include <xcb/xcb.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <cstdlib>
#include <memory>

namespace tallix {

namespace {

const QString WATCHER = QStringLiteral("org.kde.StatusNotifierWatcher");

// A panel's watcher answers at once; one that hangs must not hold the program back.
constexpr int WATCHER_TIMEOUT_MS = 3000;
// An X11 tray announces itself only to those who listen to the root window; a look now and
// then finds it as well, and also a watcher whose host registers after the bus name.
constexpr int POLL_MS = 1000;

}  // namespace

bool TrayWatch::statusNotifierHost() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(WATCHER)) return false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        WATCHER, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << WATCHER << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = bus.call(get, QDBus::Block, WATCHER_TIMEOUT_MS);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
    return reply.arguments().first().value<QDBusVariant>().variant().toBool();
}

namespace {

// The X11 tray of the first screen is whoever owns its manager selection.
bool x11TrayOwned() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return false;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (connection == nullptr) return false;
    static const char NAME[] = "_NET_SYSTEM_TRAY_S0";
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof NAME - 1, NAME),
                              nullptr),
        &std::free);
    if (!atom) return false;
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom),
                                      nullptr),
        &std::free);
    return owner && owner->owner != XCB_NONE;
}

}  // namespace

TrayWatch::TrayWatch(QObject* parent) : QObject(parent) {
    poll_.setInterval(POLL_MS);
    connect(&poll_, &QTimer::timeout, this, &TrayWatch::check);
}

bool TrayWatch::trayPresent() {
    if (!statusNotifierHost() && !x11TrayOwned()) return false;
    // Qt has the last word: it must be able to show the icon there.
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayWatch::watch() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && busWatch_ == nullptr) {
        busWatch_ =
            new QDBusServiceWatcher(WATCHER, bus, QDBusServiceWatcher::WatchForRegistration, this);
        connect(busWatch_, &QDBusServiceWatcher::serviceRegistered, this, &TrayWatch::check);
    }
    poll_.start();
    QMetaObject::invokeMethod(this, &TrayWatch::check, Qt::QueuedConnection);
}

void TrayWatch::check() {
    if (!poll_.isActive() || !trayPresent()) return;
    poll_.stop();
    if (busWatch_) busWatch_->disconnect(this);
    emit appeared();
}

}  // namespace tallix
