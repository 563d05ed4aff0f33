#pragma once

#include <QDBusConnection>
#include <QPointer>
#include <QVariantMap>

#include "app/hotkey/hotkey_binding.h"
#include "app/settings/settings.h"

class QDBusMessage;

namespace tallix {

class PortalRequest;

// The call-up key through the desktop portal's global shortcuts, for Wayland sessions, where
// no client may grab keys. Each binding is a session of its own with the one shortcut
// "show-window": the portal binds a session's shortcuts once, so a new combination means a
// new session, and unbinding closes it. The desktop may ask its user first and may choose
// another trigger, then or later in its own settings: `triggerChanged` tells which.
class PortalHotkey : public HotkeyBinding {
    Q_OBJECT
  public:
    static const QString SHORTCUT_ID;

    explicit PortalHotkey(QDBusConnection bus = QDBusConnection::sessionBus(),
                          QObject* parent = nullptr);
    ~PortalHotkey() override;

    void bind(int mod, int letter) override;
    void unbind() override;
    bool isBound() const override { return bound_; }
    bool isWaiting() const override { return !pending_.isNull(); }

  private slots:
    void onActivated(const QDBusMessage& message);
    void onShortcutsChanged(const QDBusMessage& message);

  private:
    void bindShortcut();
    void closeSession(const QString& session);
    void closeWhenCreated(PortalRequest* request);
    void sessionCreated(int response, const QVariantMap& results);
    void shortcutBound(int response, const QVariantMap& results);
    bool takeTrigger(const QVariant& shortcuts);
    void finish(Result result);
    void startRequest(const QString& method, const QVariantList& arguments,
                      const QVariantMap& options, int timeoutMs,
                      void (PortalHotkey::*onFinished)(int, const QVariantMap&));

    QDBusConnection bus_;
    QPointer<PortalRequest> pending_;
    QString session_;
    bool creatingSession_ = false;  // session_ is where the desktop will make it, once asked
    HotkeyCombination wanted_;
    bool bound_ = false;
};

}  // namespace tallix
