#include "app/hotkey/portal_hotkey.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
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
// The same at every start: a desktop may name the program's entry after it.
const QString PortalHotkey::SESSION_TOKEN = QStringLiteral("tallix");

namespace {

QList<Shortcut> callUpShortcuts(const HotkeyCombination& key) {
    return {Shortcut{PortalHotkey::SHORTCUT_ID,
                     {{QStringLiteral("description"), DESCRIPTION},
                      {QStringLiteral("preferred_trigger"), portalTrigger(key)}}}};
}

}  // namespace

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
    ++bindings_;
    // The portal refuses a session whose token is still taken by one being closed.
    if (closing_ > 0) {
        waitingForClose_ = true;
        return;
    }
    createSession();
}

void PortalHotkey::createSession() {
    waitingForClose_ = false;
    session_ = PortalRequest::objectPath(bus_, QStringLiteral("session"), SESSION_TOKEN);
    creatingSession_ = true;
    qCDebug(lcHotkey).noquote() << "binding" << portalTrigger(wanted_);
    startRequest(QStringLiteral("CreateSession"), {},
                 {{QStringLiteral("session_handle_token"), SESSION_TOKEN},
                  {QStringLiteral("shortcuts"), QVariant::fromValue(callUpShortcuts(wanted_))}},
                 CALL_TIMEOUT_MS, &PortalHotkey::sessionCreated);
}

void PortalHotkey::unbind() {
    waitingForClose_ = false;
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
    desktopTrigger_.reset();
    bound_ = false;
}

void PortalHotkey::closeSession(const QString& session) {
    if (session.isEmpty()) return;
    ++closing_;
    auto* watcher = new QDBusPendingCallWatcher(
        bus_.asyncCall(QDBusMessage::createMethodCall(PortalRequest::SERVICE, session,
                                                      SESSION_INTERFACE, QStringLiteral("Close")),
                       CALL_TIMEOUT_MS),
        this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        closed();
    });
}

// A Close sent before the session exists finds nothing, and the session would stay open with
// nothing bound until the program ends: it is closed once the desktop has made it.
void PortalHotkey::closeWhenCreated(PortalRequest* request) {
    ++closing_;
    connect(request, &PortalRequest::finished, this,
            [this, request, predicted = session_](int response, const QVariantMap& results) {
                request->deleteLater();
                if (response == 0) {
                    const QString session = pathOf(results.value(QStringLiteral("session_handle")));
                    closeSession(session.isEmpty() ? predicted : session);
                }
                closed();
            });
}

void PortalHotkey::closed() {
    if (--closing_ == 0 && waitingForClose_) createSession();
}

void PortalHotkey::startRequest(const QString& method, const QVariantList& arguments,
                                const QVariantMap& options, int timeoutMs, Step onFinished) {
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
    // A desktop that took the shortcut with the session, or kept it from an earlier start,
    // lists it with its key: asking it to bind again would only open its settings or prompt.
    listShortcuts(&PortalHotkey::listedBeforeBinding);
}

void PortalHotkey::listShortcuts(Step onListed) {
    startRequest(QStringLiteral("ListShortcuts"), {QVariant::fromValue(QDBusObjectPath(session_))},
                 {}, CALL_TIMEOUT_MS, onListed);
}

// A shortcut already listed with the key asked for needs no binding. At start, any key the
// desktop lists is the one its user chose, perhaps while the program was not running; a later
// binding (the options) asks the desktop for the new key.
void PortalHotkey::listedBeforeBinding(int response, const QVariantMap& results) {
    const auto listed = triggerIn(results.value(QStringLiteral("shortcuts")));
    if (response == 0 && listed && (*listed == wanted_ || bindings_ == 1)) {
        bound_ = takeTrigger(listed);
        finish(Result::Registered);
        return;
    }
    bindShortcut();
}

void PortalHotkey::bindShortcut() {
    startRequest(QStringLiteral("BindShortcuts"),
                 {QVariant::fromValue(QDBusObjectPath(session_)),
                  QVariant::fromValue(callUpShortcuts(wanted_)), QString()},
                 {}, PROMPT_TIMEOUT_MS, &PortalHotkey::shortcutBound);
}

void PortalHotkey::shortcutBound(int response, const QVariantMap& results) {
    // Refused, cancelled in the desktop's prompt, or not answered: as if the key were taken.
    if (response != 0) {
        unbind();
        finish(Result::AlreadyUsed);
        return;
    }
    if (takeTrigger(triggerIn(results.value(QStringLiteral("shortcuts"))))) {
        bound_ = true;
        finish(Result::Registered);
        return;
    }
    // A success that names no key: the desktop may have bound it meanwhile, or left it to
    // its user. Its list says which.
    listShortcuts(&PortalHotkey::listedAfterBinding);
}

void PortalHotkey::listedAfterBinding(int response, const QVariantMap& results) {
    bound_ = response == 0 && takeTrigger(triggerIn(results.value(QStringLiteral("shortcuts"))));
    // The session stays: a key the user gives the shortcut later arrives as ShortcutsChanged.
    finish(bound_ ? Result::Registered : Result::Unassigned);
}

// The trigger the desktop lists for the shortcut; nothing when the shortcut is not among them
// or has no key the program can read.
std::optional<HotkeyCombination> PortalHotkey::triggerIn(const QVariant& shortcuts) {
    for (const Shortcut& shortcut : shortcutsOf(shortcuts)) {
        if (shortcut.id != SHORTCUT_ID) continue;
        const QString trigger =
            shortcut.properties.value(QStringLiteral("trigger_description")).toString();
        qCDebug(lcHotkey).noquote() << "trigger" << trigger;
        return parseTrigger(trigger);
    }
    return std::nullopt;
}

// The desktop's word on what it binds is the call-up key now; false when it binds nothing.
bool PortalHotkey::takeTrigger(const std::optional<HotkeyCombination>& trigger) {
    desktopTrigger_ = trigger;
    if (!trigger) return false;
    if (!(*trigger == wanted_)) {
        wanted_ = *trigger;
        emit triggerChanged(wanted_.mod, wanted_.ch);
    }
    return true;
}

void PortalHotkey::finish(Result result) {
    static const char* const names[] = {"registered", "refused", "invalid", "unsupported",
                                        "without a key"};
    qCDebug(lcHotkey) << "bind" << names[int(result)];
    emit bound(result);
}

QString PortalHotkey::desktopNote() const {
    if (!sessionOpen()) return {};
    if (bound_ && desktopTrigger_) {
        return QStringLiteral(
                   "このデスクトップでは、呼び出しキーはデスクトップのショートカット設定"
                   "が決めます（現在 %1）。ここで選んだキーにならないときは、デスク"
                   "トップのショートカット設定で「%2」のキーを変更してください。")
            .arg(hotkeyText(*desktopTrigger_), DESCRIPTION);
    }
    return QStringLiteral(
               "デスクトップのショートカット設定で、「%1」にまだキーが割り当てられて"
               "いません。デスクトップのショートカット設定でキーを割り当ててください。")
        .arg(DESCRIPTION);
}

void PortalHotkey::onActivated(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (!sessionOpen() || arguments.size() < 2 || pathOf(arguments[0]) != session_ ||
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
    if (!sessionOpen() || arguments.size() < 2 || pathOf(arguments[0]) != session_) return;
    bound_ = takeTrigger(triggerIn(arguments[1]));
}

}  // namespace tallix
