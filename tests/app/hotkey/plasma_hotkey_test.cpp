// The call-up key of the options on a real Plasma desktop (run by plasma_desktop.py): KWin's
// shortcut service is asked what it holds, and presses the key itself.
#include <QDBusInterface>
#include <QDBusReply>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include "app/hotkey/portal_hotkey.h"
#include "app/main_frame.h"
#include "hotkey/modal_script.h"

using namespace tallix;

namespace {

constexpr int DESKTOP_MS = 30'000;  // generous: only a hang fails the deadline

const QString SERVICE = QStringLiteral("org.kde.kglobalaccel");

// The shortcut service's entries for this program.
QStringList programEntries() {
    QDBusInterface accel(SERVICE, "/kglobalaccel", "org.kde.KGlobalAccel");
    const QDBusReply<QList<QDBusObjectPath>> paths = accel.call("allComponents");
    QStringList found;
    for (const QDBusObjectPath& path : paths.value()) {
        if (path.path().contains("tallix", Qt::CaseInsensitive)) found << path.path();
    }
    return found;
}

// The Qt key codes the shortcut service gives the call-up shortcut of the entry.
QList<int> keysOf(const QString& entryPath) {
    QDBusInterface component(SERVICE, entryPath, "org.kde.kglobalaccel.Component");
    const QString entry = component.property("uniqueName").toString();
    QDBusInterface accel(SERVICE, "/kglobalaccel", "org.kde.KGlobalAccel");
    const QDBusReply<QList<int>> keys =
        accel.call("shortcut", QStringList{entry, PortalHotkey::SHORTCUT_ID, QString(), QString()});
    return keys.value();
}

void press(const QString& entryPath) {
    QDBusInterface component(SERVICE, entryPath, "org.kde.kglobalaccel.Component");
    component.call("invokeShortcut", PortalHotkey::SHORTCUT_ID);
}

int qtKey(const HotkeyCombination& key) {
    int code = key.ch;
    if (key.mod & HOTKEY_SHIFT) code |= Qt::SHIFT;
    if (key.mod & HOTKEY_CTRL) code |= Qt::CTRL;
    if (key.mod & HOTKEY_ALT) code |= Qt::ALT;
    if (key.mod & HOTKEY_WIN) code |= Qt::META;
    return code;
}

}  // namespace

class PlasmaHotkeyTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup() { frame_.reset(); }
    void applyKeepsOneEntryWhoseKeyWorks();

  private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<MainFrame> frame_;
};

void PlasmaHotkeyTest::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    settings_ = std::make_unique<Settings>(dir_->filePath("Tallix.conf"));
    // A message at start would wait for an answer: it is counted and closed.
    int messages = 0;
    ModalScript script({[&](QWidget* window) {
        ++messages;
        close(window);
    }});
    frame_ = std::make_unique<MainFrame>(*settings_, nullptr, std::make_unique<PortalHotkey>());
    QTRY_VERIFY_WITH_TIMEOUT(!frame_->isWaitingForDesktop(), DESKTOP_MS);
    QVERIFY(frame_->hotkeyBinding().isBound());
    QCOMPARE(messages, 0);
}

void PlasmaHotkeyTest::applyKeepsOneEntryWhoseKeyWorks() {
    QCOMPARE(programEntries().size(), 1);
    int messages = 0;
    QString note;
    ModalScript script({[&](QWidget* window) {
                            if (auto* label = window->findChild<QLabel*>("desktopNote"))
                                note = label->text();
                            applyKey("q")(window);
                        },
                        [&](QWidget* window) {
                            messages += qobject_cast<QMessageBox*>(window) != nullptr;
                            close(window);
                        }});
    frame_->showOptions();
    QTRY_VERIFY_WITH_TIMEOUT(!frame_->isWaitingForDesktop(), DESKTOP_MS);
    QCOMPARE(messages, 0);
    QVERIFY(frame_->hotkeyBinding().isBound());
    QVERIFY2(note.contains("Ctrl+Alt+A"), qPrintable(note));

    // One entry, and what it binds is the key the program stored.
    const QStringList entries = programEntries();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(keysOf(entries[0]), QList<int>{qtKey(settings_->hotkeyCombination())});

    QVERIFY(!frame_->isVisible());
    press(entries[0]);
    QTRY_VERIFY_WITH_TIMEOUT(frame_->isVisible(), DESKTOP_MS);
}

QTEST_MAIN(PlasmaHotkeyTest)
#include "plasma_hotkey_test.moc"
