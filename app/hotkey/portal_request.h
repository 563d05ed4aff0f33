#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QTimer>
#include <QVariantMap>

namespace tallix {

// One call of the desktop portal that answers later: the call returns a request object, and
// the answer comes as that object's Response signal. The signal is subscribed before the call
// on the path the portal will use (it is built from the caller's bus name and `handle_token`),
// so an early answer is not missed. `finished` comes exactly once: with the portal's response
// code (0 success, 1 cancelled by the user, 2 other) and results, or with NoPortal when the
// call failed (no such service or interface) or nothing answered within the time limit.
class PortalRequest : public QObject {
    Q_OBJECT
  public:
    static constexpr int NoPortal = -1;
    static constexpr int Timeout = -2;

    static const QString SERVICE;
    static const QString PATH;

    // `options` is the call's last argument; its `handle_token` is set here.
    PortalRequest(QDBusConnection bus, const QString& interface, const QString& method,
                  QVariantList arguments, QVariantMap options, int timeoutMs,
                  QObject* parent = nullptr);

    // A token unique to this process, valid as an object path element.
    static QString newToken();
    // The path the portal gives an object of `kind` ("request", "session") named by `token`.
    static QString objectPath(const QDBusConnection& bus, const QString& kind,
                              const QString& token);

  signals:
    void finished(int response, const QVariantMap& results);

  private slots:
    void onResponse(uint response, const QVariantMap& results);

  private:
    void subscribe(const QString& path);
    void finish(int response, const QVariantMap& results = {});

    QDBusConnection bus_;
    QString path_;
    QTimer timeout_;
    bool done_ = false;
};

}  // namespace tallix
