#include "app/desktop/tray.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QMenu>
#include <QSystemTrayIcon>

#include "tallix_version.h"

namespace tallix {

namespace {

const QString WATCHER = QStringLiteral("org.kde.StatusNotifierWatcher");

// A panel's watcher answers at once; one that hangs must not hold the window back for the bus's
// default of 25 seconds.
constexpr int WATCHER_TIMEOUT_MS = 3000;

// Qt shows the icon as a StatusNotifierItem when a panel hosts such items, as it asks here.
// One property read, without the introspection a QDBusInterface would make first.
bool statusNotifierHost() {
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

}  // namespace

Tray::Tray(const QIcon& icon, QObject* parent)
    : QObject(parent),
      menu_(std::make_unique<QMenu>()),
      icon_(std::make_unique<QSystemTrayIcon>(icon)) {
    QAction* open = menu_->addAction(QStringLiteral("開く(&O)"), this, &Tray::openRequested);
    menu_->setDefaultAction(open);
    menu_->addSeparator();
    menu_->addAction(QStringLiteral("Tallixの終了(&X)"), this, &Tray::exitRequested);

    icon_->setToolTip(QStringLiteral("Tallix " TALLIX_VERSION));
    icon_->setContextMenu(menu_.get());
    // A StatusNotifierItem host reports no double-click, only the item's activation (a
    // click, in the host's own terms): that opens the window. The classic tray reports both,
    // and only the double-click opens.
    const auto opening =
        statusNotifierHost() ? QSystemTrayIcon::Trigger : QSystemTrayIcon::DoubleClick;
    connect(icon_.get(), &QSystemTrayIcon::activated, this, [this, opening](auto reason) {
        if (reason == opening) emit openRequested();
    });
    icon_->show();
}

Tray::~Tray() {
    icon_->hide();
}

}  // namespace tallix
