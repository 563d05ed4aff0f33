// The call-up key through the real desktop portal (run by wayland_desktop.py, with its test
// backend): Apply in the options rebinds, a refusal takes the failure path and keeps the old
// key, and the portal's word on the trigger is what the options show.
#include <QApplication>
#include <QCheckBox>
#include <QDBusInterface>
#include <QDBusReply>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <deque>

#include "app/dialogs/options_dialog.h"
#include "app/hotkey/portal_hotkey.h"
#include "app/main_frame.h"
#include "hotkey/modal_script.h"

using namespace tallix;

namespace {

QDBusInterface backend() {
    return QDBusInterface("org.freedesktop.impl.portal.desktop.tallixtest", "/control",
                          "org.tallix.Test");
}

// Every trigger the backend was asked to bind, in order.
QStringList binds() {
    QDBusMessage reply = backend().call("Binds");
    QStringList triggers;
    const QDBusArgument list = reply.arguments().value(0).value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        QString session, trigger;
        list.beginStructure();
        list >> session >> trigger;
        list.endStructure();
        triggers << trigger;
    }
    list.endArray();
    return triggers;
}

// What the desktop keeps: (entry, key of the call-up shortcut) for each entry.
QList<QPair<QString, QString>> entries() {
    QDBusMessage reply = backend().call("Entries");
    QList<QPair<QString, QString>> found;
    const QDBusArgument list = reply.arguments().value(0).value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        QString entry, trigger;
        list.beginStructure();
        list >> entry >> trigger;
        list.endStructure();
        found.append({entry, trigger});
    }
    list.endArray();
    return found;
}

// "bind" for a desktop that takes shortcuts when asked to bind them, "session" for one that
// takes them with the session.
QString backendMode() {
    return QDBusReply<QString>(backend().call("Mode")).value();
}

int openSessions() {
    return QDBusReply<int>(backend().call("OpenSessions")).value();
}

int heldSessions() {
    return QDBusReply<int>(backend().call("HeldSessions")).value();
}

// The key entry of the options dialog, or "" when the window is something else.
QString keyText(QWidget* window) {
    auto* key =
        qobject_cast<OptionsDialog*>(window) ? window->findChild<QLineEdit*>("key") : nullptr;
    return key ? key->text() : QString();
}

std::function<void(QWidget*)> dismissMessage(QString* text) {
    return [text](QWidget* window) {
        if (auto* box = qobject_cast<QMessageBox*>(window)) *text = box->text();
        close(window);
    };
}

}  // namespace

class PortalHotkeyTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void applyRebindsInANewSession();
    void refusalKeepsTheOldKey();
    void triggerChangedByTheDesktopIsShown();
    void unbindWhileTheSessionIsMadeClosesIt();
    void optionsBeforeTheStartupAnswerWarnOnce();
    void restartFindsTheOneEntry();
    void applyOnADesktopThatKeepsItsKey();
    void keyLeftToTheDesktopsUserIsNoRefusal();

  private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<MainFrame> frame_;
};

void PortalHotkeyTest::init() {
    frame_.reset();
    // The next frame's session takes the same token: the old one must be gone first.
    QTRY_COMPARE(openSessions(), 0);
    backend().call("Refuse", false);
    backend().call("Withhold", false);
    backend().call("Forget");
    dir_ = std::make_unique<QTemporaryDir>();
    settings_ = std::make_unique<Settings>(dir_->filePath("Tallix.conf"));
    frame_ = std::make_unique<MainFrame>(*settings_, nullptr, std::make_unique<PortalHotkey>());
    QTRY_VERIFY(frame_->hotkeyBinding().isBound());
    QCOMPARE(binds().last(), "CTRL+ALT+a");
}

void PortalHotkeyTest::applyRebindsInANewSession() {
    if (backendMode() != "bind") QSKIP("this desktop keeps the key it holds");
    const int sessionsBefore = openSessions();
    ModalScript script({applyKey("q")});
    frame_->showOptions();
    QVERIFY(script.finished());
    QCOMPARE(binds().last(), "CTRL+ALT+q");
    QVERIFY(frame_->hotkeyBinding().isBound());
    // The old binding's session is closed, not left behind.
    QTRY_COMPARE(openSessions(), sessionsBefore);
    QCOMPARE(settings_->hotkeyCombination(), (HotkeyCombination{HOTKEY_CTRL | HOTKEY_ALT, 'Q'}));
}

void PortalHotkeyTest::refusalKeepsTheOldKey() {
    const qsizetype asked = binds().size();
    backend().call("Refuse", true);
    QString message;
    QString shownAgain;
    ModalScript script({applyKey("z"), dismissMessage(&message), [&](QWidget* window) {
                            // The options again, with the refused entry; the user gives up.
                            shownAgain = keyText(window);
                            backend().call("Refuse", false);
                            close(window);
                        }});
    frame_->showOptions();
    QVERIFY(script.finished());
    QCOMPARE(message, hotkeyTakenMessage());
    QCOMPARE(shownAgain, "Z");
    QVERIFY(binds().mid(asked).contains("CTRL+ALT+z"));
    // The old key is bound again: the desktop still lists it.
    QVERIFY(frame_->hotkeyBinding().isBound());
    QCOMPARE(entries(), (QList<QPair<QString, QString>>{{"tallix", "CTRL+ALT+a"}}));
    QCOMPARE(settings_->hotkeyCombination(), HotkeyCombination{});
}

void PortalHotkeyTest::triggerChangedByTheDesktopIsShown() {
    QVERIFY(QDBusReply<bool>(backend().call("ChangeTrigger", "Shift+Logo+K")).value());
    const HotkeyCombination changed{HOTKEY_SHIFT | HOTKEY_WIN, 'K'};
    QTRY_COMPARE(frame_->hotkeyCombination(), changed);
    QCOMPARE(settings_->hotkeyCombination(), changed);
    QString key;
    QStringList ticked;
    ModalScript script({[&](QWidget* window) {
        key = keyText(window);
        for (auto* box : window->findChildren<QCheckBox*>())
            if (box->isChecked()) ticked << box->text();
        close(window);
    }});
    frame_->showOptions();
    QVERIFY(script.finished());
    QCOMPARE(key, "K");
    QCOMPARE(ticked, (QStringList{"Shift", "Win"}));
}

void PortalHotkeyTest::unbindWhileTheSessionIsMadeClosesIt() {
    frame_->hotkeyBinding().unbind();
    QTRY_COMPARE(openSessions(), 0);
    backend().call("Hold", true);
    frame_->hotkeyBinding().bind(HOTKEY_CTRL | HOTKEY_ALT, 'B');
    QTRY_COMPARE(heldSessions(), 1);
    frame_->hotkeyBinding().unbind();
    backend().call("Hold", false);
    backend().call("AnswerHeld");
    QTRY_COMPARE(openSessions(), 0);

    // Bound again while the session of the same token is still being made: the new one
    // waits until the old one is closed, and is the one left open.
    backend().call("Hold", true);
    frame_->hotkeyBinding().bind(HOTKEY_CTRL | HOTKEY_ALT, 'B');
    QTRY_COMPARE(heldSessions(), 1);
    frame_->hotkeyBinding().bind(HOTKEY_CTRL | HOTKEY_ALT, 'C');
    backend().call("Hold", false);
    backend().call("AnswerHeld");
    QTRY_VERIFY(frame_->hotkeyBinding().isBound());
    QCOMPARE(openSessions(), 1);
    QCOMPARE(binds().last(), "CTRL+ALT+c");
}

void PortalHotkeyTest::restartFindsTheOneEntry() {
    const QList<QPair<QString, QString>> one{{"tallix", "CTRL+ALT+a"}};
    QCOMPARE(entries(), one);
    frame_.reset();
    QTRY_COMPARE(openSessions(), 0);
    frame_ = std::make_unique<MainFrame>(*settings_, nullptr, std::make_unique<PortalHotkey>());
    QTRY_VERIFY(frame_->hotkeyBinding().isBound());
    QCOMPARE(entries(), one);
}

void PortalHotkeyTest::applyOnADesktopThatKeepsItsKey() {
    if (backendMode() != "session") QSKIP("this desktop binds what it is asked to");
    QString note;
    ModalScript script({[&](QWidget* window) {
        if (auto* label = window->findChild<QLabel*>("desktopNote"); label && label->isVisible())
            note = label->text();
        applyKey("q")(window);
    }});
    frame_->showOptions();
    QVERIFY(script.finished());
    // The user was told where the key is changed, and what the desktop keeps is stored.
    QVERIFY2(note.contains("Ctrl+Alt+A"), qPrintable(note));
    QVERIFY(frame_->hotkeyBinding().isBound());
    QCOMPARE(entries(), (QList<QPair<QString, QString>>{{"tallix", "CTRL+ALT+a"}}));
    QTRY_COMPARE(openSessions(), 1);
    QCOMPARE(settings_->hotkeyCombination(), (HotkeyCombination{HOTKEY_CTRL | HOTKEY_ALT, 'A'}));
}

void PortalHotkeyTest::keyLeftToTheDesktopsUserIsNoRefusal() {
    frame_.reset();
    QTRY_COMPARE(openSessions(), 0);
    backend().call("Forget");
    backend().call("Withhold", true);
    int messages = 0;
    auto startup = std::make_unique<ModalScript>(
        std::deque<std::function<void(QWidget*)>>{[&](QWidget* window) {
            ++messages;
            close(window);
        }});
    frame_ = std::make_unique<MainFrame>(*settings_, nullptr, std::make_unique<PortalHotkey>());
    QTRY_VERIFY(!frame_->isWaitingForDesktop());
    QCOMPARE(messages, 0);
    QVERIFY(!frame_->hotkeyBinding().isBound());
    QCOMPARE(openSessions(), 1);
    startup.reset();
    // The options say where the key is set.
    QString note;
    ModalScript options({[&](QWidget* window) {
        if (auto* label = window->findChild<QLabel*>("desktopNote"); label && label->isVisible())
            note = label->text();
        close(window);
    }});
    frame_->showOptions();
    QVERIFY2(note.contains("まだキーが割り当てられていません"), qPrintable(note));

    // The user gives the shortcut a key in the desktop's settings: that is the key now.
    QVERIFY(QDBusReply<bool>(backend().call("ChangeTrigger", "Ctrl+Alt+K")).value());
    QTRY_VERIFY(frame_->hotkeyBinding().isBound());
    QCOMPARE(settings_->hotkeyCombination(), (HotkeyCombination{HOTKEY_CTRL | HOTKEY_ALT, 'K'}));
}

void PortalHotkeyTest::optionsBeforeTheStartupAnswerWarnOnce() {
    frame_.reset();
    backend().call("Hold", true);
    frame_ = std::make_unique<MainFrame>(*settings_, nullptr, std::make_unique<PortalHotkey>());
    QTRY_COMPARE(heldSessions(), 1);
    backend().call("Hold", false);
    backend().call("Refuse", true);
    int messages = 0;
    int optionsShown = 0;
    const auto answer = [&](QWidget* window) {
        if (qobject_cast<QMessageBox*>(window)) {
            ++messages;
        } else if (++optionsShown == 1) {
            // The start-up answer comes while the options are open, before Apply is handled.
            backend().call("AnswerHeld");
            return applyKey("z")(window);
        }
        close(window);
    };
    ModalScript script({answer, answer, answer, answer});
    frame_->showOptions();
    QCOMPARE(messages, 1);
    QCOMPARE(optionsShown, 2);
}

QTEST_MAIN(PortalHotkeyTest)
#include "portal_hotkey_test.moc"
