#include "app/hotkey/portal_hotkey.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QLoggingCategory>

#include "app/hotkey/hotkey_trigger.h"
#include "app/hotkey/portal_request.h"

Q_LOGGING_CATEGORY(lcHotkey, "tallix.hotkey")

namespace tallix {

namespace {

const QString INTERFACE = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString SESSION_INTERFACE = QStringLiteral("org.freedesktop.portal.Session");
const QString DESCRIPTION = QStringLiteral("Tallix を表示");

// The portal answers a call at once; binding may wait for the user in the desktop's prompt.
constexpr int CALL_TIMEOUT_MS = 10'000;
constexpr int PROMPT_TIMEOUT_MS = 120'000;

// One entry of the portal's a(sa{sv}) shortcut lists.
struct Shortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const Shortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, Shortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

QList<Shortcut> shortcutsOf(const QVariant& value) {
    QList<Shortcut> shortcuts;
    if (value.canConvert<QDBusArgument>()) value.value<QDBusArgument>() >> shortcuts;
    return shortcuts;
}

QString pathOf(const QVariant& value) {
    return value.canConvert<QDBusObjectPath>() ? value.value<QDBusObjectPath>().path()
                                               : value.toString();
}

}  // namespace

}  // namespace tallix

Q_DECLARE_METATYPE(tallix::Shortcut)

namespace tallix {

const QString PortalHotkey::SHORTCUT_ID = QStringLiteral("show-window");

PortalHotkey::PortalHotkey(QDBusConnection bus, QObject* parent)
    : HotkeyBinding(parent), bus_(std::move(bus)) {
    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<QList<Shortcut>>();
    bus_.connect(PortalRequest::SERVICE, PortalRequest::PATH, INTERFACE,
                 QStringLiteral("Activated"), this, SLOT(onActivated(QDBusMessage)));
    bus_.connect(PortalRequest::SERVICE, PortalRequest::PATH, INTERFACE,
                 QStringLiteral("ShortcutsChanged"), this, SLOT(onShortcutsChanged(QDBusMessage)));
}

PortalHotkey::~PortalHotkey() {
    unbind();
}

void PortalHotkey::bind(int mod, int letter) {
    unbind();
    if (mod == 0 || (mod & ~(HOTKEY_ALT | HOTKEY_CTRL | HOTKEY_SHIFT | HOTKEY_WIN)) ||
        letter < 'A' || letter > 'Z') {
        finish(Result::Invalid);
        return;
    }
    if (!bus_.isConnected()) {
        finish(Result::Unsupported);
        return;
    }
    wanted_ = HotkeyCombination{mod, letter};
    const QString sessionToken = PortalRequest::newToken();
    session_ = PortalRequest::objectPath(bus_, QStringLiteral("session"), sessionToken);
    creatingSession_ = true;
    startRequest(QStringLiteral("CreateSession"), {},
                 {{QStringLiteral("session_handle_token"), sessionToken}}, CALL_TIMEOUT_MS,
                 &PortalHotkey::sessionCreated);
}

void PortalHotkey::unbind() {
    if (pending_) {
        disconnect(pending_, nullptr, this, nullptr);
        if (creatingSession_) {
            closeWhenCreated(pending_);
        } else {
            pending_->deleteLater();
        }
        pending_.clear();
    }
    if (!creatingSession_) closeSession(session_);
    creatingSession_ = false;
    session_.clear();
    bound_ = false;
}

void PortalHotkey::closeSession(const QString& session) {
    if (session.isEmpty()) return;
    bus_.asyncCall(QDBusMessage::createMethodCall(PortalRequest::SERVICE, session,
                                                  SESSION_INTERFACE, QStringLiteral("Close")));
}

// A Close sent before the session exists finds nothing, and the session would stay open with
// nothing bound until the program ends: it is closed once the desktop has made it.
void PortalHotkey::closeWhenCreated(PortalRequest* request) {
    connect(request, &PortalRequest::finished, this,
            [this, request, predicted = session_](int response, const QVariantMap& results) {
                request->deleteLater();
                if (response != 0) return;
                const QString session = pathOf(results.value(QStringLiteral("session_handle")));
                closeSession(session.isEmpty() ? predicted : session);
            });
}

void PortalHotkey::startRequest(const QString& method, const QVariantList& arguments,
                                const QVariantMap& options, int timeoutMs,
                                void (PortalHotkey::*onFinished)(int, const QVariantMap&)) {
    pending_ = new PortalRequest(bus_, INTERFACE, method, arguments, options, timeoutMs, this);
    connect(
        pending_, &PortalRequest::finished, this,
        [this, request = pending_.data(), onFinished](int response, const QVariantMap& results) {
            request->deleteLater();
            if (pending_ != request) return;  // a later binding took its place
            pending_.clear();
            (this->*onFinished)(response, results);
        });
}

void PortalHotkey::sessionCreated(int response, const QVariantMap& results) {
    creatingSession_ = false;
    if (response != 0) {
        // No portal, one without a global-shortcuts backend, or a backend that does not
        // work: this desktop has no hotkey to offer.
        session_.clear();
        finish(Result::Unsupported);
        return;
    }
    const QString session = pathOf(results.value(QStringLiteral("session_handle")));
    if (!session.isEmpty()) session_ = session;
    bindShortcut();
}

void PortalHotkey::bindShortcut() {
    const Shortcut shortcut{SHORTCUT_ID,
                            {{QStringLiteral("description"), DESCRIPTION},
                             {QStringLiteral("preferred_trigger"), portalTrigger(wanted_)}}};
    qCDebug(lcHotkey).noquote() << "binding" << portalTrigger(wanted_);
    startRequest(QStringLiteral("BindShortcuts"),
                 {QVariant::fromValue(QDBusObjectPath(session_)),
                  QVariant::fromValue(QList<Shortcut>{shortcut}), QString()},
                 {}, PROMPT_TIMEOUT_MS, &PortalHotkey::shortcutBound);
}

void PortalHotkey::shortcutBound(int response, const QVariantMap& results) {
    // Refused, cancelled in the desktop's prompt, or not answered: as if the key were taken.
    if (response != 0 || !takeTrigger(results.value(QStringLiteral("shortcuts")))) {
        unbind();
        finish(Result::AlreadyUsed);
        return;
    }
    bound_ = true;
    finish(Result::Registered);
}

// The desktop's word on which trigger the shortcut got; false when it is not among them.
bool PortalHotkey::takeTrigger(const QVariant& shortcuts) {
    for (const Shortcut& shortcut : shortcutsOf(shortcuts)) {
        if (shortcut.id != SHORTCUT_ID) continue;
        const QString trigger =
            shortcut.properties.value(QStringLiteral("trigger_description")).toString();
        qCDebug(lcHotkey).noquote() << "trigger" << trigger;
        if (const auto key = parseTrigger(trigger); key && !(*key == wanted_)) {
            wanted_ = *key;
            emit triggerChanged(key->mod, key->ch);
        }
        return true;
    }
    return false;
}

void PortalHotkey::finish(Result result) {
    static const char* const names[] = {"registered", "refused", "invalid", "unsupported"};
    qCDebug(lcHotkey) << "bind" << names[int(result)];
    emit bound(result);
}

void PortalHotkey::onActivated(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (!bound_ || arguments.size() < 2 || pathOf(arguments[0]) != session_ ||
        arguments[1].toString() != SHORTCUT_ID) {
        return;
    }
    QVariantMap options;
    if (arguments.size() >= 4 && arguments[3].canConvert<QDBusArgument>()) {
        arguments[3].value<QDBusArgument>() >> options;
    }
    const QString token = options.value(QStringLiteral("activation_token")).toString();
    qCDebug(lcHotkey) << "activated";
    emit activated(token);
}

void PortalHotkey::onShortcutsChanged(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (!bound_ || arguments.size() < 2 || pathOf(arguments[0]) != session_) return;
    takeTrigger(arguments[1]);
}

}  // namespace tallix
