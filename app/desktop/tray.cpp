#include "app/desktop/tray.h"

#include <QMenu>
#include <QSystemTrayIcon>

#include "app/desktop/tray_watch.h"
#include "tallix_version.h"

namespace tallix {

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
        TrayWatch::statusNotifierHost() ? QSystemTrayIcon::Trigger : QSystemTrayIcon::DoubleClick;
    connect(icon_.get(), &QSystemTrayIcon::activated, this, [this, opening](auto reason) {
        if (reason == opening) emit openRequested();
    });
    icon_->show();
}

Tray::~Tray() {
    icon_->hide();
}

}  // namespace tallix
