// The call-up key room: the key grab on X11, the desktop portal on Wayland, and the trigger
// forms between them. It uses the settings store's key type and nothing else of the program.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

namespace tallix {

// The key combination that calls the program up from anywhere on the desktop. Each platform
// has its own way: a key grab on X11 (`GlobalHotkey`), the desktop portal on Wayland
// (`PortalHotkey`). Binding may need an answer from the desktop, so it reports through
// `bound`; where a platform answers at once, `bound` comes before `bind` returns.
//
//   auto key = HotkeyBinding::forPlatform();
//   connect(key.get(), &HotkeyBinding::activated, frame, &MainFrame::callUp);
//   if (key->bindAndWait(HOTKEY_CTRL | HOTKEY_ALT, 'A') == HotkeyBinding::Result::AlreadyUsed) ...
class HotkeyBinding : public QObject {
    Q_OBJECT
  public:
    enum class Result {
        Registered,
        AlreadyUsed,  // another client holds the combination, or the desktop refused it
        Invalid,      // no modifier, or not a letter 'A'..'Z'
        Unsupported,  // this session offers no way to have a global hotkey
        // The desktop keeps the shortcut but holds no key for it yet: its user gives it one
        // in the desktop's own shortcut settings, and the binding then reports the key.
        Unassigned,
    };

    // The mechanism of the running platform: the X11 grab, the portal on Wayland.
    static std::unique_ptr<HotkeyBinding> forPlatform();

    using QObject::QObject;

    // `mod` holds HotKeyModBits (settings.h), `letter` an upper-case letter code. Replaces
    // the combination bound before, if any; on failure nothing stays bound.
    virtual void bind(int mod, int letter) = 0;
    virtual void unbind() = 0;
    virtual bool isBound() const = 0;
    // True while a binding waits for the desktop's answer.
    virtual bool isWaiting() const { return false; }
    // Where the desktop, not the program, decides the key: what it holds now and where the
    // user changes it, for the options to show. Empty where the program's own grab is the key.
    virtual QString desktopNote() const { return {}; }

    // Binds and waits for the answer; events keep being handled meanwhile.
    Result bindAndWait(int mod, int letter);

  signals:
    void bound(tallix::HotkeyBinding::Result result);
    // `activationToken` lets the window take the focus where the desktop guards it; may be empty.
    void activated(const QString& activationToken);
    // The desktop now triggers the call-up with another combination (its user changed it).
    void triggerChanged(int mod, int letter);
};

}  // namespace tallix
