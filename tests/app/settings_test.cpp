// The settings store: defaults, round trips, writes that reach the file at
// once, and values a hand-edited or broken file cannot give.
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "app/settings.h"

using namespace tallix;

namespace {

void writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

}  // namespace

class SettingsTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void defaultsWhenAbsent();
    void roundTrip();
    void writesReachTheFileAtOnce();
    void groupAndKeyNames();
    void unreadableValuesGiveDefaults_data();
    void unreadableValuesGiveDefaults();
    void precisionIsClamped_data();
    void precisionIsClamped();
    void garbageFileGivesDefaults();
    void unreadableFileGivesDefaults();

  private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString file_;
};

void SettingsTest::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    file_ = dir_->filePath("Tallix.conf");
}

void SettingsTest::defaultsWhenAbsent() {
    Settings settings(file_);
    QCOMPARE(settings.windowRect(), (WindowRect{0, 0, 300, 200}));
    QCOMPARE(settings.hotKey(), (HotKey{HOTKEY_CTRL | HOTKEY_ALT, 'A'}));
    QCOMPARE(settings.maxPrec(), 15);
    QVERIFY(settings.font().isEmpty());
}

void SettingsTest::roundTrip() {
    const WindowRect rect{-20, 35, 900, 711};
    const HotKey key{HOTKEY_WIN | HOTKEY_SHIFT, 'Q'};
    const QByteArray font("\x01\x00\xff", 3);
    {
        Settings settings(file_);
        settings.setWindowRect(rect);
        settings.setHotKey(key);
        settings.setMaxPrec(1234);
        settings.setFont(font);
    }
    Settings settings(file_);
    QCOMPARE(settings.windowRect(), rect);
    QCOMPARE(settings.hotKey(), key);
    QCOMPARE(settings.maxPrec(), 1234);
    QCOMPARE(settings.font(), font);
}

void SettingsTest::writesReachTheFileAtOnce() {
    Settings writer(file_);
    writer.setMaxPrec(77);
    QCOMPARE(Settings(file_).maxPrec(), 77);
    writer.setHotKey({HOTKEY_ALT, 'Z'});
    QCOMPARE(Settings(file_).hotKey(), (HotKey{HOTKEY_ALT, 'Z'}));
    writer.setWindowRect({1, 2, 303, 404});
    QCOMPARE(Settings(file_).windowRect(), (WindowRect{1, 2, 303, 404}));
}

void SettingsTest::groupAndKeyNames() {
    {
        Settings settings(file_);
        settings.setWindowRect({5, 6, 7, 8});
        settings.setHotKey({HOTKEY_CTRL, 'K'});
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
}

void SettingsTest::unreadableValuesGiveDefaults() {
    QFETCH(QByteArray, lines);
    writeFile(file_, "[Settings]\n" + lines);
    Settings settings(file_);
    QCOMPARE(settings.windowRect(), WindowRect{});
    QCOMPARE(settings.hotKey(), HotKey{});
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

void SettingsTest::garbageFileGivesDefaults() {
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += char((i * 131 + 7) % 256);
    writeFile(file_, garbage);
    Settings settings(file_);
    QCOMPARE(settings.windowRect(), WindowRect{});
    QCOMPARE(settings.hotKey(), HotKey{});
    QCOMPARE(settings.maxPrec(), DEFAULT_PRECISION);
}

void SettingsTest::unreadableFileGivesDefaults() {
    // A folder where the file should be can be neither read nor written.
    QVERIFY(QDir().mkpath(file_));
    Settings settings(file_);
    QCOMPARE(settings.maxPrec(), DEFAULT_PRECISION);
    settings.setMaxPrec(50);
    QCOMPARE(settings.windowRect(), WindowRect{});
}

QTEST_MAIN(SettingsTest)
#include "settings_test.moc"
