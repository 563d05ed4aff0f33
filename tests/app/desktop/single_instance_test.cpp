// One instance per user: the first claims, a later one hands over (with its activation token),
// a lock whose owner is not a running Tallix of this user does not count, a live owner that
// does not answer is reported, lock and socket live where only this user can reach them (or
// nowhere, and the launch says so), and the socket outlives a flood of connections.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include "app/desktop/local_listener.h"
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

uid_t ownerOf(const QString& path) {
    struct stat info {};
    lstat(QFile::encodeName(path).constData(), &info);
    return info.st_uid;
}

// Another user's id; the tests run as root, which may give files away.
constexpr uid_t OTHER_USER = 4242;

// Sets environment variables for as long as it lives.
class Environment {
  public:
    void set(const char* name, const QString& value) {
        if (!saved_.contains(name)) saved_[name] = qgetenv(name);
        value.isNull() ? qunsetenv(name) : qputenv(name, QFile::encodeName(value));
    }
    ~Environment() {
        for (auto it = saved_.begin(); it != saved_.end(); ++it)
            it.value().isNull() ? qunsetenv(it.key()) : qputenv(it.key(), it.value());
    }

  private:
    QMap<QByteArray, QByteArray> saved_;
};

// The number a new descriptor gets: every lower one is taken.
int lowestFreeDescriptor() {
    const int fd = dup(0);
    close(fd);
    return fd;
}

// Another process that opens `count` connections to `path` on "go", says "closed" once the
// listener has let go of every one (dropped, timed out or refused) and ends when its input does.
const char* FLOODER = R"(
import socket, sys, time
path, count = sys.argv[1], int(sys.argv[2])
sys.stdin.readline()
open_ = []
for i in range(count):
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    try:
        s.connect(path)
    except OSError:
        continue
    s.setblocking(False)
    try:
        if i % 2:
            s.send(b"garbage")
    except OSError:
        continue  # refused already
    open_.append(s)
while open_:
    still = []
    for s in open_:
        try:
            if s.recv(1) == b"":
                continue
        except BlockingIOError:
            still.append(s)
            continue
        except OSError:
            continue
    open_ = still
    time.sleep(0.02)
print("closed", flush=True)
sys.stdin.read()
)";

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
    void folderFallsBackInTurn_data();
    void folderFallsBackInTurn();
    void keepsListeningWhenOutOfDescriptors_data();
    void keepsListeningWhenOutOfDescriptors();
    void holdsABoundedNumberOfConnections();
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

// What each place is made of, and where the lock goes. "tallix-UID" is the user's own folder.
void SingleInstanceTest::folderFallsBackInTurn_data() {
    QTest::addColumn<QString>("runtimeKind");  // private, open, world, sticky, long, none
    QTest::addColumn<QString>("cacheKind");    // fine, link, foreign, unusable
    QTest::addColumn<QString>("expected");     // runtime, cache, cache-own, runtime-own, none
    QTest::newRow("world-writable runtime") << "world"
                                            << "fine"
                                            << "cache";
    QTest::newRow("runtime beyond the socket-name limit") << "long"
                                                          << "fine"
                                                          << "cache";
    QTest::newRow("cache folder a link into another user's folder") << "world"
                                                                    << "link"
                                                                    << "cache-own";
    QTest::newRow("cache folder of another user") << "world"
                                                  << "foreign"
                                                  << "cache-own";
    QTest::newRow("sticky shared runtime, no cache") << "sticky"
                                                     << "unusable"
                                                     << "runtime-own";
    QTest::newRow("world-writable runtime, no cache") << "world"
                                                      << "unusable"
                                                      << "none";
    QTest::newRow("long runtime, no cache") << "long"
                                            << "unusable"
                                            << "none";
    QTest::newRow("no runtime, no cache") << "none"
                                          << "unusable"
                                          << "none";
}

void SingleInstanceTest::folderFallsBackInTurn() {
    QFETCH(QString, runtimeKind);
    QFETCH(QString, cacheKind);
    QFETCH(QString, expected);
    QTemporaryDir home;
    const QString runtime =
        runtimeKind == "long" ? home.filePath(QString(90, 'r')) : home.filePath("runtime");
    const QString cache = home.filePath(".cache");
    const QString own = QStringLiteral("tallix-%1").arg(getuid());
    const QString foreign = home.filePath("foreign");
    Environment environment;
    environment.set("HOME", home.path());
    environment.set("XDG_CACHE_HOME", cache);
    environment.set("XDG_RUNTIME_DIR", runtimeKind == "none" ? QString() : runtime);

    const QMap<QString, int> runtimeModes{
        {"private", 0700}, {"world", 0777}, {"sticky", 01777}, {"long", 0700}, {"none", 0700}};
    QVERIFY(QDir().mkpath(runtime));
    QVERIFY(chmod(QFile::encodeName(runtime).constData(), mode_t(runtimeModes[runtimeKind])) == 0);
    QVERIFY(QDir().mkpath(foreign));
    QVERIFY(chmod(QFile::encodeName(foreign).constData(), 0755) == 0);
    QVERIFY(chown(QFile::encodeName(foreign).constData(), OTHER_USER, OTHER_USER) == 0);
    if (cacheKind == "unusable") {
        QFile file(cache);  // a file where the folder should be
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else {
        QVERIFY(QDir().mkpath(cache));
        if (cacheKind == "fine") QVERIFY(QDir().mkpath(cache + "/tallix"));
        if (cacheKind == "link") QVERIFY(QFile::link(foreign, cache + "/tallix"));
        if (cacheKind == "foreign") {
            QVERIFY(QDir().mkpath(cache + "/tallix"));
            QVERIFY(chown(QFile::encodeName(cache + "/tallix").constData(), OTHER_USER,
                          OTHER_USER) == 0);
        }
    }

    const QMap<QString, QString> places{{"runtime", runtime},
                                        {"cache", cache + "/tallix"},
                                        {"cache-own", cache + "/" + own},
                                        {"runtime-own", runtime + "/" + own},
                                        {"none", QString()}};
    const QString folder = SingleInstance::privateFolder();
    QCOMPARE(folder, places[expected]);
    // Another user's folder is neither taken nor changed.
    QCOMPARE(modeOf(foreign), mode_t(0755));
    QCOMPARE(ownerOf(foreign), OTHER_USER);
    if (cacheKind == "foreign") QCOMPARE(modeOf(cache + "/tallix"), mode_t(0755));
    SingleInstance launch;
    if (folder.isEmpty()) {
        QCOMPARE(launch.claim(), Claim::Unguarded);
    } else {
        QCOMPARE(modeOf(folder), mode_t(0700));
        QCOMPARE(ownerOf(folder), getuid());
        QCOMPARE(launch.claim(), Claim::First);
        QVERIFY(QFileInfo(folder + "/Tallix.socket").exists());
    }
}

// Out of descriptors, the listener drops connections instead of its socket: a flood from
// another process while this one has a handful of descriptors to spare, or none, leaves the
// socket in place, and a request after it is served.
void SingleInstanceTest::keepsListeningWhenOutOfDescriptors_data() {
    QTest::addColumn<int>("spare");
    QTest::newRow("a few descriptors to spare") << 8;
    QTest::newRow("none to spare") << 0;
}

void SingleInstanceTest::keepsListeningWhenOutOfDescriptors() {
    QFETCH(int, spare);
    QTemporaryDir dir;
    const QString socketPath = dir.filePath("Tallix.socket");
    SingleInstance first(dir.path());
    QCOMPARE(first.claim(), Claim::First);
    QSignalSpy shown(&first, &SingleInstance::showRequested);
    QProcess flooder;
    flooder.start("python3", {"-c", FLOODER, socketPath, "200"});
    QVERIFY(flooder.waitForStarted());

    rlimit normal{};
    QVERIFY(getrlimit(RLIMIT_NOFILE, &normal) == 0);
    rlimit scarce = normal;
    // The limit is one beyond the highest descriptor number allowed.
    scarce.rlim_cur = rlim_t(lowestFreeDescriptor() + spare);
    QVERIFY(setrlimit(RLIMIT_NOFILE, &scarce) == 0);
    flooder.write("go\n");
    const bool closed = QTest::qWaitFor(
        [&] { return flooder.canReadLine() || flooder.state() != QProcess::Running; }, 30'000);
    setrlimit(RLIMIT_NOFILE, &normal);
    QVERIFY(closed);
    QCOMPARE(flooder.readLine(), QByteArray("closed\n"));
    flooder.closeWriteChannel();
    QVERIFY(flooder.waitForFinished());

    QVERIFY(QFileInfo::exists(socketPath));
    QCOMPARE(claimElsewhere(dir.path(), "after"), Claim::HandedOver);
    QTRY_COMPARE(shown.count(), 1);
    QCOMPARE(shown[0][0].toString(), QString("after"));
}

// Idle connections beyond the bound push out the oldest, which see their end at once.
void SingleInstanceTest::holdsABoundedNumberOfConnections() {
    QTemporaryDir dir;
    LocalListener listener;
    QVERIFY(listener.listen(dir.filePath("socket")));
    int accepted = 0;
    connect(&listener, &LocalListener::newConnection, this, [&] { ++accepted; });
    const int count = int(LocalListener::MAX_HELD) + 20;
    std::vector<std::unique_ptr<QLocalSocket>> clients;
    for (int i = 0; i < count; ++i) {
        clients.push_back(std::make_unique<QLocalSocket>());
        clients.back()->connectToServer(dir.filePath("socket"));
        QVERIFY(clients.back()->waitForConnected(5000));
    }
    QTRY_COMPARE(accepted, count);
    auto connectedFrom = [&](int from) {
        return int(std::count_if(clients.begin() + from, clients.end(), [](const auto& client) {
            return client->state() == QLocalSocket::ConnectedState;
        }));
    };
    QTRY_COMPARE(connectedFrom(0), int(LocalListener::MAX_HELD));
    QCOMPARE(connectedFrom(count - int(LocalListener::MAX_HELD)), int(LocalListener::MAX_HELD));
}

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
