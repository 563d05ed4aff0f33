// A save lasts through a power cut: the new file's contents are flushed to disk before it
// takes the old one's name, and the folder is flushed after the rename, so the name points at
// the new contents on disk. The flushes are watched by standing in for the C library's.
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

#include "app/settings/settings.h"

using namespace tallix;

namespace {

struct Flush {
    ino_t inode;
    bool folder;
    ino_t storeInode;  // what the store's name pointed at when the flush was asked for
};

std::vector<Flush> flushes;
QByteArray watchedStore;  // empty: record nothing

void record(int fd) {
    if (watchedStore.isEmpty()) return;
    struct stat info {};
    struct stat store {};
    if (fstat(fd, &info) != 0) return;
    const ino_t storeInode = stat(watchedStore.constData(), &store) == 0 ? store.st_ino : 0;
    flushes.push_back({info.st_ino, S_ISDIR(info.st_mode), storeInode});
}

ino_t inodeOf(const QString& path) {
    struct stat info {};
    return stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

}  // namespace

extern "C" int fsync(int fd) {
    record(fd);
    return int(syscall(SYS_fsync, fd));
}

extern "C" int fdatasync(int fd) {
    record(fd);
    return int(syscall(SYS_fdatasync, fd));
}

class SettingsDurabilityTest : public QObject {
    Q_OBJECT

  private slots:
    void saveIsFlushedWithItsFolder_data();
    void saveIsFlushedWithItsFolder();
};

void SettingsDurabilityTest::saveIsFlushedWithItsFolder_data() {
    QTest::addColumn<bool>("storeExists");
    QTest::newRow("first save") << false;
    QTest::newRow("save over an older store") << true;
}

void SettingsDurabilityTest::saveIsFlushedWithItsFolder() {
    QFETCH(bool, storeExists);
    QTemporaryDir dir;
    const QString path = dir.filePath("Tallix.conf");
    Settings settings(path);
    if (storeExists) settings.setMaxPrec(20);
    flushes.clear();
    watchedStore = QFile::encodeName(path);
    settings.setMaxPrec(30);
    watchedStore.clear();

    QCOMPARE(Settings(path).maxPrec(), 30);
    const ino_t saved = inodeOf(path);
    const ino_t folder = inodeOf(dir.path());
    bool contentsFlushed = false;
    bool folderFlushedAfterRename = false;
    for (const Flush& flush : flushes) {
        if (!flush.folder && flush.inode == saved) contentsFlushed = true;
        if (flush.folder && flush.inode == folder && flush.storeInode == saved)
            folderFlushedAfterRename = true;
    }
    QVERIFY(contentsFlushed);
    QVERIFY(folderFlushedAfterRename);
}

QTEST_MAIN(SettingsDurabilityTest)
#include "settings_durability_test.moc"
