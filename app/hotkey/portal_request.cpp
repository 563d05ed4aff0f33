#include "app/hotkey/portal_request.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace tallix {

const QString PortalRequest::SERVICE = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalRequest::PATH = QStringLiteral("/org/freedesktop/portal/desktop");

namespace {

const QString REQUEST_INTERFACE = QStringLiteral("org.freedesktop.portal.Request");

}  // namespace

PortalRequest::PortalRequest(QDBusConnection bus, const QString& interface, const QString& method,
                             QVariantList arguments, QVariantMap options, int timeoutMs,
                             QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
    const QString token = newToken();
    options.insert(QStringLiteral("handle_token"), token);
    subscribe(objectPath(bus_, QStringLiteral("request"), token));

    timeout_.setSingleShot(true);
    connect(&timeout_, &QTimer::timeout, this, [this] { finish(Timeout); });
    timeout_.start(timeoutMs);

    QDBusMessage call = QDBusMessage::createMethodCall(SERVICE, PATH, interface, method);
    call.setArguments(arguments << options);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, timeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
        if (reply.isError()) {
            finish(NoPortal);
        } else if (reply.value().path() != path_) {
            // Portals older than the handle_token convention choose the path themselves.
            bus_.disconnect(SERVICE, path_, REQUEST_INTERFACE, QStringLiteral("Response"), this,
                            SLOT(onResponse(uint, QVariantMap)));
            subscribe(reply.value().path());
        }
    });
}

QString PortalRequest::newToken() {
    static int counter = 0;
    return QStringLiteral("tallix_%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
}

QString PortalRequest::objectPath(const QDBusConnection& bus, const QString& kind,
                                  const QString& token) {
    QString sender = bus.baseService();
    sender.remove(0, 1).replace(u'.', u'_');
    return PATH + u'/' + kind + u'/' + sender + u'/' + token;
}

void PortalRequest::subscribe(const QString& path) {
    path_ = path;
    bus_.connect(SERVICE, path_, REQUEST_INTERFACE, QStringLiteral("Response"), this,
                 SLOT(onResponse(uint, QVariantMap)));
}

void PortalRequest::onResponse(uint response, const QVariantMap& results) {
    finish(int(response), results);
}

void PortalRequest::finish(int response, const QVariantMap& results) {
    if (done_) return;
    done_ = true;
    timeout_.stop();
    bus_.disconnect(SERVICE, path_, REQUEST_INTERFACE, QStringLiteral("Response"), this,
                    SLOT(onResponse(uint, QVariantMap)));
    emit finished(response, results);
}

}  // namespace tallix
