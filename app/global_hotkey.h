#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <cstdint>

namespace tallix {

// A key combination that calls the program up from anywhere on the desktop.
// On X11 it is a passive grab of the key on the root window (with and without
// NumLock and CapsLock, so the key works whatever their state); elsewhere
// there is no global hotkey and registering reports Unsupported.
//
//   GlobalHotkey key;
//   connect(&key, &GlobalHotkey::activated, frame, &MainFrame::showFrame);
//   if (key.registerKey(HOTKEY_CTRL | HOTKEY_ALT, 'A') == HotkeyResult::AlreadyUsed) ...
class GlobalHotkey : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
  public:
    enum class Result {
        Registered,
        AlreadyUsed,  // another client holds the combination
        Invalid,      // no modifier, or not a letter 'A'..'Z'
        Unsupported,  // this platform has no global hotkey
    };

    explicit GlobalHotkey(QObject* parent = nullptr);
    ~GlobalHotkey() override;

    static bool isSupported();

    // `mod` holds HotKeyModBits (settings.h), `letter` an upper-case letter
    // code. Replaces the combination registered before, if any; on failure
    // nothing stays registered.
    Result registerKey(int mod, int letter);
    void unregisterKey();
    bool isRegistered() const { return keycode_ != 0; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  signals:
    void activated();

  private:
    uint16_t lockMask() const;

    uint8_t keycode_ = 0;
    uint16_t modifiers_ = 0;
};

}  // namespace tallix
