#pragma once

#include <QAbstractNativeEventFilter>
#include <cstdint>

#include "app/hotkey/hotkey_binding.h"

namespace tallix {

// The call-up key on X11: a passive grab of the key on the root window (with and without
// NumLock and CapsLock, so the key works whatever their state). On any other platform
// registering reports Unsupported.
class GlobalHotkey : public HotkeyBinding, public QAbstractNativeEventFilter {
    Q_OBJECT
  public:
    explicit GlobalHotkey(QObject* parent = nullptr);
    ~GlobalHotkey() override;

    static bool isSupported();

    // `mod` holds HotKeyModBits (settings.h), `letter` an upper-case letter
    // code. Replaces the combination registered before, if any; on failure
    // nothing stays registered.
    Result registerKey(int mod, int letter);
    void unregisterKey();
    bool isRegistered() const { return keycode_ != 0; }

    void bind(int mod, int letter) override { emit bound(registerKey(mod, letter)); }
    void unbind() override { unregisterKey(); }
    bool isBound() const override { return isRegistered(); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    uint16_t lockMask() const;

    uint8_t keycode_ = 0;
    uint16_t modifiers_ = 0;
};

}  // namespace tallix
