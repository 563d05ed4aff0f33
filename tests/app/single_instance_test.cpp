// One instance per user: the first claims, a later one hands over, a dead
// owner's lock does not count, a live owner that does not answer is reported.
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include "app/single_instance.h"

using namespace tallix;
using Claim = SingleInstance::Claim;

class SingleInstanceTest : public QObject {
    Q_OBJECT

  private slots:
    void firstClaims();
    void laterLaunchHandsOver();
    void releasedLockCanBeClaimedAgain();
    void deadOwnersLockIsStale();
    void liveOwnerThatDoesNotAnswer();
};

void SingleInstanceTest::firstClaims() {
    QTemporaryDir dir;
    SingleInstance first(dir.path());
    QCOMPARE(first.claim(), Claim::First);
}

void SingleInstanceTest::laterLaunchHandsOver() {
    QTemporaryDir dir;
    SingleInstance first(dir.path());
    QCOMPARE(first.claim(), Claim::First);
    QSignalSpy shown(&first, &SingleInstance::showRequested);

    // The second launch is another process in real life; a thread does the
    // same blocking handshake while this one serves the socket.
    Claim second = Claim::First;
    std::unique_ptr<QThread> launcher(QThread::create([&] {
        SingleInstance other(dir.path());
        second = other.claim();
    }));
    launcher->start();
    QTRY_VERIFY(launcher->isFinished());
    QCOMPARE(second, Claim::HandedOver);
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

void SingleInstanceTest::deadOwnersLockIsStale() {
    QTemporaryDir dir;
    // A lock written by a process that has ended since, as after a crash.
    QProcess owner;
    owner.start("sh", {"-c", "exit 0"});
    QVERIFY(owner.waitForStarted());
    const qint64 deadPid = owner.processId();
    QVERIFY(owner.waitForFinished());
    QFile lock(dir.filePath("Tallix.lock"));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(deadPid) + "\nsh\n" + QSysInfo::machineHostName().toUtf8() +
               "\n");
    lock.close();
    QFile socket(dir.filePath("Tallix.socket"));
    QVERIFY(socket.open(QIODevice::WriteOnly));
    socket.close();

    SingleInstance next(dir.path());
    QCOMPARE(next.claim(), Claim::First);
}

void SingleInstanceTest::liveOwnerThatDoesNotAnswer() {
    QTemporaryDir dir;
    QLockFile held(dir.filePath("Tallix.lock"));
    held.setStaleLockTime(0);
    QVERIFY(held.tryLock(0));
    // QLockFile holds across processes but also within one: a second object
    // finds the file locked by a living process (this one) with no socket.
    SingleInstance next(dir.path());
    QCOMPARE(next.claim(), Claim::Unreachable);
}

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
