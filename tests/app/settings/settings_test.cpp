// The settings store: defaults, round trips, writes that reach the file at
// once, values a hand-edited or broken file cannot give, and stores that
// cannot be written.
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <optional>

#include "app/settings/settings.h"

using namespace tallix;

namespace {

void writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Bytes of every value, NUL included, in no order a text editor would make.
QByteArray binaryGarbage(int size) {
    QByteArray garbage;
    for (int i = 0; i < size; ++i)
        garbage += char((i * 131 + 7) % 256);
    return garbage;
}

// A store whose own group is damaged: QSettings reports a format error on reading it.
QByteArray damagedStore() {
    return "[Settings]\nMaxPrec=40\n" + binaryGarbage(2048);
}

// Tests run as root, which ignores permission bits: file access then goes
// through an ordinary user's identity, for this thread only.
class AsOrdinaryUser {
  public:
    static constexpr uid_t NOBODY = 65534;
    AsOrdinaryUser() : root_(geteuid() == 0) {
        if (!root_) return;
        setfsgid(NOBODY);
        setfsuid(NOBODY);
    }
    ~AsOrdinaryUser() {
        if (!root_) return;
        setfsuid(0);
        setfsgid(0);
    }
    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;

  private:
    bool root_;
};

// A full disk, as far as this process can tell: no file may grow past a few bytes.
class FullDisk {
  public:
    FullDisk() {
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit tight = old_;
        tight.rlim_cur = 16;
        setrlimit(RLIMIT_FSIZE, &tight);
    }
    ~FullDisk() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

  private:
    rlimit old_{};
    void (*oldHandler_)(int) = SIG_DFL;
};

// How a store is kept from being written.
enum class Obstacle {
    None,
    FolderIsAFile,               // the store's folder is a plain file
    FolderUnderAFile,            // a folder that cannot be created
    FolderAtStorePath,           // a folder where the store file should be
    ReadOnlyFile,                // an existing store, read-only
    ReadOnlyFolder,              // no store yet, in a read-only folder
    WritableFileReadOnlyFolder,  // the file could be written, but not replaced
    FullDisk,
};

void setMode(const QString& path, mode_t mode) {
    QVERIFY(::chmod(QFile::encodeName(path).constData(), mode) == 0);
}

QStringList listing(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

bool canCreateFileIn(const QString& folder) {
    QFile probe(folder + "/probe");
    const bool created = probe.open(QIODevice::WriteOnly);
    if (created) probe.remove();
    return created;
}

bool canOpenForWriting(const QString& path) {
    return QFile(path).open(QIODevice::ReadWrite);
}

}  // namespace

class SettingsTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void defaultsWhenAbsent();
    void roundTrip();
    void writesReachTheFileAtOnce();
    void groupAndKeyNames();
    void unreadableValuesGiveDefaults_data();
    void unreadableValuesGiveDefaults();
    void precisionIsClamped_data();
    void precisionIsClamped();
    void garbageFileGivesDefaults_data();
    void garbageFileGivesDefaults();
    void unreadableFileGivesDefaults();
    void damagedStoreIsRewritten();
    void failedSaveIsReportedOnce_data();
    void failedSaveIsReportedOnce();
    void reportIsNotRepeatedFromTheHandler();

  private:
    QString prepare(Obstacle obstacle, bool damaged);
    void checkObstacle(Obstacle obstacle, const QString& store);

    std::unique_ptr<QTemporaryDir> dir_;
    QString file_;
    QString folder_;
};

void SettingsTest::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    file_ = dir_->filePath("Tallix.conf");
    folder_ = dir_->filePath("Morvane");
}

void SettingsTest::cleanup() {
    // So that the temporary folder can be removed by its owner.
    if (QFileInfo(folder_).isDir()) setMode(folder_, 0755);
}

void SettingsTest::defaultsWhenAbsent() {
    Settings settings(file_);
    QCOMPARE(settings.windowRect(), (WindowRect{0, 0, 300, 200}));
    QCOMPARE(settings.hotkeyCombination(), (HotkeyCombination{HOTKEY_CTRL | HOTKEY_ALT, 'A'}));
    QCOMPARE(settings.maxPrec(), 15);
    QVERIFY(settings.font().isEmpty());
}

void SettingsTest::roundTrip() {
    const WindowRect rect{-20, 35, 900, 711};
    const HotkeyCombination key{HOTKEY_WIN | HOTKEY_SHIFT, 'Q'};
    const QByteArray font("\x01\x00\xff", 3);
    {
        Settings settings(file_);
        settings.setWindowRect(rect);
        settings.setHotkeyCombination(key);
        settings.setMaxPrec(1234);
        settings.setFont(font);
    }
    Settings settings(file_);
    QCOMPARE(settings.windowRect(), rect);
    QCOMPARE(settings.hotkeyCombination(), key);
    QCOMPARE(settings.maxPrec(), 1234);
    QCOMPARE(settings.font(), font);
}

void SettingsTest::writesReachTheFileAtOnce() {
    Settings writer(file_);
    writer.setMaxPrec(77);
    QCOMPARE(Settings(file_).maxPrec(), 77);
    writer.setHotkeyCombination({HOTKEY_ALT, 'Z'});
    QCOMPARE(Settings(file_).hotkeyCombination(), (HotkeyCombination{HOTKEY_ALT, 'Z'}));
    writer.setWindowRect({1, 2, 303, 404});
    QCOMPARE(Settings(file_).windowRect(), (WindowRect{1, 2, 303, 404}));
}

void SettingsTest::groupAndKeyNames() {
    {
        Settings settings(file_);
        settings.setWindowRect({5, 6, 7, 8});
        settings.setHotkeyCombination({HOTKEY_CTRL, 'K'});
        settings.setMaxPrec(30);
        settings.setFont(QByteArray(60, 'f'));
    }
    QSettings raw(file_, QSettings::IniFormat);
    QCOMPARE(raw.childGroups(), QStringList{"Settings"});
    raw.beginGroup("Settings");
    QStringList keys = raw.childKeys();
    keys.sort();
    QCOMPARE(keys, (QStringList{"HotKeyChar", "HotKeyMod", "MaxPrec", "bottom", "font", "left",
                                "right", "top"}));
    QCOMPARE(raw.value("HotKeyChar").toInt(), int('K'));
    QCOMPARE(raw.value("font").toByteArray(), QByteArray(60, 'f'));
}

void SettingsTest::unreadableValuesGiveDefaults_data() {
    QTest::addColumn<QByteArray>("lines");
    QTest::newRow("words") << QByteArray("left=abc\ntop=x\nHotKeyMod=ctrl\nMaxPrec=many\n");
    QTest::newRow("out of int range") << QByteArray("left=99999999999\nMaxPrec=-99999999999\n");
    QTest::newRow("no area") << QByteArray("left=500\nright=100\n");
    QTest::newRow("zero height") << QByteArray("top=50\nbottom=50\n");
    QTest::newRow("no modifier") << QByteArray("HotKeyMod=0\n");
    QTest::newRow("unknown modifier bit") << QByteArray("HotKeyMod=19\n");
    QTest::newRow("lower-case letter") << QByteArray("HotKeyChar=97\n");
    QTest::newRow("digit") << QByteArray("HotKeyChar=49\n");
    QTest::newRow("font as text") << QByteArray("font=FixedSys\n");
    QTest::newRow("lists") << QByteArray("left=1, 2\nHotKeyMod=2, 1\nMaxPrec=30, 40\nfont=a, b\n");
    QTest::newRow("values of other types") << QByteArray(
        "top=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x5QRect\\0\\0\\0\\0)\n"
        "MaxPrec=@Invalid()\nfont=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\n");
    QTest::newRow("broken variants")
        << QByteArray("left=@Variant(garbage)\nHotKeyChar=@Variant(\nfont=@ByteArray(abc\n");
    QTest::newRow("negative hotkey") << QByteArray("HotKeyMod=-1\nHotKeyChar=-65\n");
    // Each would read as a valid value if cut to 32 bits.
    QTest::newRow("wrapping numbers")
        << QByteArray("HotKeyMod=4294967298\nHotKeyChar=4294967361\nMaxPrec=4294967326\n");
    QTest::newRow("size beyond int") << QByteArray("left=-2147483648\nright=2147483647\n");
    QTest::newRow("height beyond int") << QByteArray("top=-2000000000\nbottom=2000000000\n");
    QTest::newRow("not decimal") << QByteArray("MaxPrec=0x20\nHotKeyChar=6.6e1\nleft=1e3\n");
}

void SettingsTest::unreadableValuesGiveDefaults() {
    QFETCH(QByteArray, lines);
    writeFile(file_, "[Settings]\n" + lines);
    Settings settings(file_);
    QCOMPARE(settings.windowRect(), WindowRect{});
    QCOMPARE(settings.hotkeyCombination(), HotkeyCombination{});
    QCOMPARE(settings.maxPrec(), DEFAULT_PRECISION);
    QVERIFY(settings.font().isEmpty());
}

void SettingsTest::precisionIsClamped_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("read");
    QTest::newRow("below") << 5 << 6;
    QTest::newRow("lowest") << 6 << 6;
    QTest::newRow("highest") << 2000 << 2000;
    QTest::newRow("above") << 2001 << 2000;
    QTest::newRow("negative") << -40 << 6;
}

void SettingsTest::precisionIsClamped() {
    QFETCH(int, stored);
    QFETCH(int, read);
    Settings(file_).setMaxPrec(stored);
    QCOMPARE(Settings(file_).maxPrec(), read);
}

void SettingsTest::garbageFileGivesDefaults_data() {
    QTest::addColumn<QByteArray>("contents");
    QTest::newRow("binary with NUL bytes") << binaryGarbage(4096);
    QTest::newRow("NUL bytes only") << QByteArray(512, '\0');
    QTest::newRow("group, then binary") << "[Settings]\n" + binaryGarbage(4096);
    QTest::newRow("NUL inside values") << QByteArrayLiteral(
        "[Settings]\nMaxPrec=\0"
        "40\nleft=\0"
        "1\nHotKeyChar=\0"
        "66\n");
    QTest::newRow("unbalanced") << QByteArray(
        "[Settings\nleft=\"12\n[\n=\n==\nMaxPrec=@ByteArray(\n");
}

void SettingsTest::garbageFileGivesDefaults() {
    QFETCH(QByteArray, contents);
    writeFile(file_, contents);
    Settings settings(file_);
    QCOMPARE(settings.windowRect(), WindowRect{});
    QCOMPARE(settings.hotkeyCombination(), HotkeyCombination{});
    QCOMPARE(settings.maxPrec(), DEFAULT_PRECISION);
    QVERIFY(settings.font().isEmpty());
}

void SettingsTest::unreadableFileGivesDefaults() {
    // A folder where the file should be can be neither read nor written.
    QVERIFY(QDir().mkpath(file_));
    Settings settings(file_);
    QCOMPARE(settings.maxPrec(), DEFAULT_PRECISION);
    settings.setMaxPrec(50);
    QCOMPARE(settings.windowRect(), WindowRect{});
}

// Once rewritten, a damaged store holds what the program wrote and nothing it cannot read.
void SettingsTest::damagedStoreIsRewritten() {
    writeFile(file_, damagedStore());
    int reports = 0;
    {
        Settings settings(file_);
        settings.setSaveFailureHandler([&](const QString&) { ++reports; });
        settings.setHotkeyCombination({HOTKEY_ALT, 'M'});
        settings.setMaxPrec(321);
    }
    QCOMPARE(reports, 0);
    QSettings raw(file_, QSettings::IniFormat);
    QCOMPARE(raw.status(), QSettings::NoError);
    QCOMPARE(raw.value("Settings/MaxPrec").toInt(), 321);
    QCOMPARE(Settings(file_).hotkeyCombination(), (HotkeyCombination{HOTKEY_ALT, 'M'}));
}

QString SettingsTest::prepare(Obstacle obstacle, bool damaged) {
    // An ordinary user (see AsOrdinaryUser) must be able to reach the store.
    setMode(dir_->path(), 0755);
    QDir().mkpath(folder_);
    const QString store = folder_ + "/Tallix.conf";
    const QByteArray contents = damaged ? damagedStore() : QByteArray("[Settings]\nMaxPrec=40\n");
    switch (obstacle) {
        case Obstacle::None:
        case Obstacle::FullDisk:
            writeFile(store, contents);
            setMode(store, 0666);
            setMode(folder_, 0777);
            return store;
        case Obstacle::FolderIsAFile:
        case Obstacle::FolderUnderAFile:
            QDir(folder_).removeRecursively();
            writeFile(folder_, "not a folder");
            return folder_ + (obstacle == Obstacle::FolderIsAFile ? "" : "/sub") + "/Tallix.conf";
        case Obstacle::FolderAtStorePath:
            QDir().mkpath(store);
            return store;
        case Obstacle::ReadOnlyFile:
            writeFile(store, contents);
            setMode(store, 0444);
            setMode(folder_, 0777);
            return store;
        case Obstacle::ReadOnlyFolder:
            setMode(folder_, 0555);
            return store;
        case Obstacle::WritableFileReadOnlyFolder:
            writeFile(store, contents);
            setMode(store, 0666);
            setMode(folder_, 0555);
            return store;
    }
    return store;
}

// A test of a read-only store that could write it would prove nothing.
void SettingsTest::checkObstacle(Obstacle obstacle, const QString& store) {
    switch (obstacle) {
        case Obstacle::ReadOnlyFile:
            QVERIFY(!canOpenForWriting(store));
            QVERIFY(canCreateFileIn(folder_));
            break;
        case Obstacle::ReadOnlyFolder:
            QVERIFY(!canCreateFileIn(folder_));
            break;
        case Obstacle::WritableFileReadOnlyFolder:
            QVERIFY(canOpenForWriting(store));
            QVERIFY(!canCreateFileIn(folder_));
            break;
        default:
            break;
    }
}

void SettingsTest::failedSaveIsReportedOnce_data() {
    QTest::addColumn<Obstacle>("obstacle");
    QTest::addColumn<bool>("damaged");
    QTest::addColumn<bool>("fails");
    QTest::newRow("writable") << Obstacle::None << false << false;
    QTest::newRow("writable, damaged") << Obstacle::None << true << false;
    QTest::newRow("folder is a file") << Obstacle::FolderIsAFile << false << true;
    QTest::newRow("folder cannot be made") << Obstacle::FolderUnderAFile << false << true;
    QTest::newRow("folder at the store's path") << Obstacle::FolderAtStorePath << false << true;
    QTest::newRow("read-only file") << Obstacle::ReadOnlyFile << false << true;
    QTest::newRow("read-only file, damaged") << Obstacle::ReadOnlyFile << true << true;
    QTest::newRow("read-only folder") << Obstacle::ReadOnlyFolder << false << true;
    QTest::newRow("file in a read-only folder")
        << Obstacle::WritableFileReadOnlyFolder << false << true;
    QTest::newRow("file in a read-only folder, damaged")
        << Obstacle::WritableFileReadOnlyFolder << true << true;
    QTest::newRow("full disk") << Obstacle::FullDisk << false << true;
    QTest::newRow("full disk, damaged") << Obstacle::FullDisk << true << true;
}

// Every kind of write fails, the user hears of it once, the program goes on
// with what it wrote, and the store on disk is left exactly as it was.
void SettingsTest::failedSaveIsReportedOnce() {
    QFETCH(Obstacle, obstacle);
    QFETCH(bool, damaged);
    QFETCH(bool, fails);
    const QString store = prepare(obstacle, damaged);
    const QByteArray before = readFile(store);
    const QStringList folderBefore = listing(folder_);
    const QByteArray font(60, 'f');

    QStringList reports;
    int maxPrec = 0;
    HotkeyCombination combination;
    WindowRect rect;
    QByteArray fontRead;
    {
        AsOrdinaryUser user;
        checkObstacle(obstacle, store);
        if (QTest::currentTestFailed()) return;
        std::optional<FullDisk> fullDisk;
        if (obstacle == Obstacle::FullDisk) fullDisk.emplace();
        Settings settings(store);
        settings.setSaveFailureHandler([&](const QString& path) { reports << path; });
        settings.maxPrec();  // the program reads before it writes
        settings.setMaxPrec(99);
        settings.setHotkeyCombination({HOTKEY_SHIFT | HOTKEY_WIN, 'Q'});
        settings.setWindowRect({10, 20, 330, 240});
        settings.setFont(font);
        maxPrec = settings.maxPrec();
        combination = settings.hotkeyCombination();
        rect = settings.windowRect();
        fontRead = settings.font();
    }

    QCOMPARE(reports, fails ? QStringList{store} : QStringList{});
    QCOMPARE(maxPrec, 99);
    QCOMPARE(combination, (HotkeyCombination{HOTKEY_SHIFT | HOTKEY_WIN, 'Q'}));
    QCOMPARE(rect, (WindowRect{10, 20, 330, 240}));
    QCOMPARE(fontRead, font);
    if (fails) {
        QCOMPARE(readFile(store), before);
        QCOMPARE(listing(folder_), folderBefore);
    } else {
        QSettings written(store, QSettings::IniFormat);
        QCOMPARE(written.value("Settings/MaxPrec").toInt(), 99);
        QCOMPARE(written.value("Settings/font").toByteArray(), font);
    }
}

// The handler may run an event loop in which the program writes again.
void SettingsTest::reportIsNotRepeatedFromTheHandler() {
    QVERIFY(QDir().mkpath(file_));
    Settings settings(file_);
    int reports = 0;
    settings.setSaveFailureHandler([&](const QString&) {
        ++reports;
        settings.setWindowRect({0, 0, 640, 480});
    });
    settings.setMaxPrec(30);
    settings.setMaxPrec(31);
    QCOMPARE(reports, 1);
    QCOMPARE(settings.windowRect(), (WindowRect{0, 0, 640, 480}));
}

QTEST_MAIN(SettingsTest)
#include "settings_test.moc"
