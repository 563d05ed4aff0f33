// One instance per user: the first claims, a later one hands over (with its activation token),
// a lock whose owner is not a running Tallix of this user does not count, a live owner that
// does not answer is reported, and lock and socket live where only this user can reach them.
#include <sys/stat.h>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include "app/desktop/single_instance.h"

using namespace tallix;
using Claim = SingleInstance::Claim;

namespace {

// Claims from another thread, as a second launch does from another process, while this
// thread serves the socket.
Claim claimElsewhere(const QString& folder, const QString& token = QString()) {
    Claim claim = Claim::First;
    std::unique_ptr<QThread> launcher(QThread::create([&] {
        SingleInstance other(folder);
        claim = other.claim(token);
    }));
    launcher->start();
    // The later launch keeps trying for a while; a lock nobody answers for takes that long.
    if (!QTest::qWaitFor([&] { return launcher->isFinished(); }, 30'000)) qFatal("claim hangs");
    return claim;
}

void writeLock(const QString& folder, const QByteArray& content) {
    QFile lock(QDir(folder).filePath("Tallix.lock"));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write(content);
}

qint64 endedProcessPid() {
    QProcess owner;
    owner.start("sh", {"-c", "exit 0"});
    owner.waitForFinished();
    return owner.processId();
}

mode_t modeOf(const QString& path) {
    struct stat info {};
    stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 0777;
}

}  // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

  private slots:
    void laterLaunchHandsOverItsToken_data();
    void laterLaunchHandsOverItsToken();
    void requestOfAnOlderLaunchShows();
    void releasedLockCanBeClaimedAgain();
    void lockOfNoRunningTallixIsStale_data();
    void lockOfNoRunningTallixIsStale();
    void launchWaitsForAFirstThatDoesNotListenYet();
    void liveOwnerThatDoesNotAnswer();
    void folderIsPrivateToTheUser_data();
    void folderIsPrivateToTheUser();
};

void SingleInstanceTest::laterLaunchHandsOverItsToken_data() {
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("received");
    QTest::newRow("no token") << ""
                              << "";
    QTest::newRow("token") << "kwin-1234_5:x/y="
                           << "kwin-1234_5:x/y=";
    // Only a plain token is passed on; the request must stay one line each.
    QTest::newRow("token with a line break") << "evil\nshow"
                                             << "";
    QTest::newRow("token with a blank") << "a b"
                                        << "";
}

void SingleInstanceTest::laterLaunchHandsOverItsToken() {
    QFETCH(QString, sent);
    QFETCH(QString, received);
    QTemporaryDir dir;
    SingleInstance first(dir.path());
    QCOMPARE(first.claim(), Claim::First);
    QSignalSpy shown(&first, &SingleInstance::showRequested);
    QCOMPARE(claimElsewhere(dir.path(), sent), Claim::HandedOver);
    QTRY_COMPARE(shown.count(), 1);
    QCOMPARE(shown[0][0].toString(), received);
}

void SingleInstanceTest::requestOfAnOlderLaunchShows() {
    QTemporaryDir dir;
    SingleInstance first(dir.path());
    QCOMPARE(first.claim(), Claim::First);
    QSignalSpy shown(&first, &SingleInstance::showRequested);
    QLocalSocket older;
    older.connectToServer(dir.filePath("Tallix.socket"));
    QVERIFY(older.waitForConnected(5000));
    older.write("show\n");
    older.flush();
    older.disconnectFromServer();
    QTRY_COMPARE(shown.count(), 1);
}

void SingleInstanceTest::releasedLockCanBeClaimedAgain() {
    QTemporaryDir dir;
    {
        SingleInstance first(dir.path());
        QCOMPARE(first.claim(), Claim::First);
    }
    SingleInstance next(dir.path());
    QCOMPARE(next.claim(), Claim::First);
}

void SingleInstanceTest::lockOfNoRunningTallixIsStale_data() {
    QTest::addColumn<QByteArray>("content");
    const QByteArray host = QSysInfo::machineHostName().toUtf8() + "\n";
    QTest::newRow("empty, as after a crash while writing") << QByteArray();
    QTest::newRow("garbage") << QByteArray("\xff\xfe garbage\n\n");
    QTest::newRow("an ended process") << QByteArray::number(endedProcessPid()) + "\nsh\n" + host;
    // A living process that is another program, and one of another user.
    QTest::newRow("another program") << QByteArray("SLEEPER");
    QTest::newRow("another user's process") << QByteArray("1\ntallix\n") + host;
}

void SingleInstanceTest::lockOfNoRunningTallixIsStale() {
    QFETCH(QByteArray, content);
    const QByteArray host = QSysInfo::machineHostName().toUtf8() + "\n";
    QTemporaryDir dir;
    QProcess other;  // a living process that is not this program
    other.start("sleep", {"30"});
    QVERIFY(other.waitForStarted());
    if (content == "SLEEPER") content = QByteArray::number(other.processId()) + "\nsleep\n" + host;
    writeLock(dir.path(), content);
    QFile socket(dir.filePath("Tallix.socket"));  // left behind too
    QVERIFY(socket.open(QIODevice::WriteOnly));
    socket.close();

    SingleInstance next(dir.path());
    QCOMPARE(next.claim(), Claim::First);
    other.kill();
    other.waitForFinished();
}

// Two launches within milliseconds: the first has the lock but listens only a moment later.
void SingleInstanceTest::launchWaitsForAFirstThatDoesNotListenYet() {
    QTemporaryDir dir;
    QLockFile held(dir.filePath("Tallix.lock"));
    held.setStaleLockTime(0);
    QVERIFY(held.tryLock(0));
    QLocalServer server;
    QTimer::singleShot(300, &server, [&] { server.listen(dir.filePath("Tallix.socket")); });
    QByteArray request;
    connect(&server, &QLocalServer::newConnection, this, [&] {
        QLocalSocket* socket = server.nextPendingConnection();
        connect(socket, &QLocalSocket::readyRead, this,
                [&, socket] { request += socket->readAll(); });
    });
    QCOMPARE(claimElsewhere(dir.path(), "t1"), Claim::HandedOver);
    QTRY_COMPARE(request, QByteArray("show\ntoken t1\n"));
}

void SingleInstanceTest::liveOwnerThatDoesNotAnswer() {
    QTemporaryDir dir;
    QLockFile held(dir.filePath("Tallix.lock"));
    held.setStaleLockTime(0);
    QVERIFY(held.tryLock(0));
    // QLockFile holds across processes but also within one: a second object finds the file
    // locked by a living process of this program (this one) with no socket.
    SingleInstance next(dir.path());
    QCOMPARE(next.claim(), Claim::Unreachable);
}

void SingleInstanceTest::folderIsPrivateToTheUser_data() {
    QTest::addColumn<int>("runtimeMode");  // 0: no runtime folder
    QTest::addColumn<bool>("usesRuntime");
    QTest::newRow("private runtime folder") << 0700 << true;
    QTest::newRow("runtime folder others can enter") << 0755 << false;
    QTest::newRow("no runtime folder") << 0 << false;
}

void SingleInstanceTest::folderIsPrivateToTheUser() {
    QFETCH(int, runtimeMode);
    QFETCH(bool, usesRuntime);
    QTemporaryDir home;
    const QString runtime = home.filePath("runtime");
    const QString cache = home.filePath("cache");
    QVERIFY(QDir().mkpath(runtime));
    chmod(QFile::encodeName(runtime).constData(), mode_t(runtimeMode));
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray savedCache = qgetenv("XDG_CACHE_HOME");
    if (runtimeMode != 0) {
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    } else {
        qunsetenv("XDG_RUNTIME_DIR");
    }
    qputenv("XDG_CACHE_HOME", cache.toUtf8());
    // A cache folder others may enter is no excuse: the program's own folder is made private.
    QVERIFY(QDir().mkpath(cache + "/tallix"));
    chmod(QFile::encodeName(cache + "/tallix").constData(), 0755);

    const QString folder = SingleInstance::privateFolder();
    auto restore = [](const char* name, const QByteArray& value) {
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
    };
    restore("XDG_RUNTIME_DIR", savedRuntime);
    restore("XDG_CACHE_HOME", savedCache);
    QCOMPARE(folder, usesRuntime ? runtime : cache + "/tallix");
    QCOMPARE(modeOf(folder), mode_t(0700));
}

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
