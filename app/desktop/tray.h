// The desktop room: how the program meets the user's session (tray icon, single instance,
// termination signals, the window's place on the screens, the help launcher, the icon). It uses
// the settings store only.
#pragma once

#include <QIcon>
#include <QObject>
#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace tallix {

// The program's icon in the notification area, with its menu: "開く(&O)"
// (the default item, in bold) and "Tallixの終了(&X)". A double-click opens
// the window; a single click does nothing, except where the icon is a StatusNotifierItem
// (KDE, Wayland panels), whose hosts report only activation. The icon disappears with the object.
class Tray : public QObject {
    Q_OBJECT
  public:
    explicit Tray(const QIcon& icon, QObject* parent = nullptr);
    ~Tray() override;

    QMenu* menu() const { return menu_.get(); }
    QSystemTrayIcon* icon() const { return icon_.get(); }

  signals:
    void openRequested();
    void exitRequested();

  private:
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> icon_;
};

}  // namespace tallix
