#pragma once

#include <QDBusConnection>
#include <QPointer>
#include <QVariantMap>
#include <optional>

#include "app/hotkey/hotkey_binding.h"
#include "app/settings/settings.h"

class QDBusMessage;

namespace tallix {

class PortalRequest;

// The call-up key through the desktop portal's global shortcuts, for Wayland sessions, where
// no client may grab keys. A binding is a session with the one shortcut "show-window", under
// the same session token at every start: desktops that keep an entry per application and
// token (and the key their user set there) then find the same entry again instead of adding
// one. Desktops differ in when they take the shortcut: some when the session is made, some
// only when asked to bind it (perhaps asking their user first). So the shortcut goes with
// both calls, the desktop's list is read before binding (a shortcut listed with the wanted key
// needs none), and an empty answer is read as "no key yet", not as a refusal. The desktop may
// choose another trigger, then or later in its own settings: `triggerChanged` tells which.
class PortalHotkey : public HotkeyBinding {
    Q_OBJECT
  public:
    static const QString SHORTCUT_ID;
    static const QString SESSION_TOKEN;

    explicit PortalHotkey(QDBusConnection bus = QDBusConnection::sessionBus(),
                          QObject* parent = nullptr);
    ~PortalHotkey() override;

    void bind(int mod, int letter) override;
    void unbind() override;
    bool isBound() const override { return bound_; }
    bool isWaiting() const override { return !pending_.isNull() || waitingForClose_; }
    QString desktopNote() const override;

  private slots:
    void onActivated(const QDBusMessage& message);
    void onShortcutsChanged(const QDBusMessage& message);

  private:
    using Step = void (PortalHotkey::*)(int, const QVariantMap&);

    void createSession();
    void bindShortcut();
    void listShortcuts(Step onListed);
    void closeSession(const QString& session);
    void closeWhenCreated(PortalRequest* request);
    void closed();
    void sessionCreated(int response, const QVariantMap& results);
    void listedBeforeBinding(int response, const QVariantMap& results);
    void shortcutBound(int response, const QVariantMap& results);
    void listedAfterBinding(int response, const QVariantMap& results);
    static std::optional<HotkeyCombination> triggerIn(const QVariant& shortcuts);
    bool takeTrigger(const std::optional<HotkeyCombination>& trigger);
    bool sessionOpen() const { return !session_.isEmpty() && !creatingSession_; }
    void finish(Result result);
    void startRequest(const QString& method, const QVariantList& arguments,
                      const QVariantMap& options, int timeoutMs, Step onFinished);

    QDBusConnection bus_;
    QPointer<PortalRequest> pending_;
    QString session_;
    bool creatingSession_ = false;  // session_ is where the desktop will make it, once asked
    // Sessions being closed: a new one under the same token waits until they are gone.
    int closing_ = 0;
    bool waitingForClose_ = false;
    HotkeyCombination wanted_;
    int bindings_ = 0;                                 // the first is the one at start
    std::optional<HotkeyCombination> desktopTrigger_;  // what the desktop says it binds
    bool bound_ = false;
};

}  // namespace tallix
