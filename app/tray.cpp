#include "app/tray.h"

#include <QMenu>
#include <QSystemTrayIcon>

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
    connect(icon_.get(), &QSystemTrayIcon::activated, this, [this](auto reason) {
        if (reason == QSystemTrayIcon::DoubleClick) emit openRequested();
    });
    icon_->show();
}

Tray::~Tray() {
    icon_->hide();
}

}  // namespace tallix
