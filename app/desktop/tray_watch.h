#pragma once

#include <QObject>
#include <QTimer>

class QDBusServiceWatcher;

namespace tallix {

// Tells when the session offers a tray: a StatusNotifierItem host (KDE, GNOME's AppIndicator
// extension, most Wayland panels) or an X11 system tray. A program started at login may come
// up before the panel, and a panel may restart: the tray is then watched for until it is there.
//
// Qt decides once per process whether icons go to a StatusNotifierItem host, the first time it
// is asked: asked before the host is up, it never uses one. So the question goes to Qt only
// once this watch has seen a tray.
class TrayWatch : public QObject {
    Q_OBJECT
  public:
    explicit TrayWatch(QObject* parent = nullptr);

    // Whether a tray is there now.
    static bool trayPresent();
    // Whether the tray is a StatusNotifierItem host (which shows Qt's icons as such items).
    static bool statusNotifierHost();
    // Emits `appeared` once, as soon as a tray is there (at once, queued, if it is already).
    void watch();

  signals:
    void appeared();

  private:
    void check();

    QDBusServiceWatcher* busWatch_ = nullptr;
    QTimer poll_;
};

}  // namespace tallix
