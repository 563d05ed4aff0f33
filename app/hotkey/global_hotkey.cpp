#include "app/hotkey/global_hotkey.h"

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <QGuiApplication>

#include <memory>

#include "app/hotkey/hotkey_trigger.h"

namespace tallix {

namespace {

constexpr uint32_t KEYSYM_NUM_LOCK = 0xff7f;
constexpr uint16_t RELEVANT_MODIFIERS =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

xcb_connection_t* connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t rootWindow(xcb_connection_t* conn) {
    return xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root;
}

struct KeySymbolsDeleter {
    void operator()(xcb_key_symbols_t* symbols) const { xcb_key_symbols_free(symbols); }
};
using KeySymbols = std::unique_ptr<xcb_key_symbols_t, KeySymbolsDeleter>;

uint8_t keycodeOf(xcb_connection_t* conn, uint32_t keysym) {
    KeySymbols symbols(xcb_key_symbols_alloc(conn));
    if (!symbols) return 0;
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols.get(), keysym);
    const uint8_t code = codes ? codes[0] : 0;
    free(codes);
    return code;
}

// The modifier bit the server's keymap gives NumLock (usually Mod2).
uint16_t numLockMask(xcb_connection_t* conn) {
    const uint8_t numLock = keycodeOf(conn, KEYSYM_NUM_LOCK);
    auto* reply = xcb_get_modifier_mapping_reply(conn, xcb_get_modifier_mapping(conn), nullptr);
    if (!reply) return XCB_MOD_MASK_2;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(reply);
    const int perModifier = reply->keycodes_per_modifier;
    uint16_t mask = 0;
    for (int modifier = 0; modifier < 8 && numLock != 0; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            if (codes[modifier * perModifier + i] == numLock) mask = uint16_t(1u << modifier);
        }
    }
    free(reply);
    return mask ? mask : uint16_t(XCB_MOD_MASK_2);
}

}  // namespace

GlobalHotkey::GlobalHotkey(QObject* parent) : HotkeyBinding(parent) {
    if (isSupported()) qGuiApp->installNativeEventFilter(this);
}

GlobalHotkey::~GlobalHotkey() {
    unregisterKey();
    if (isSupported()) qGuiApp->removeNativeEventFilter(this);
}

bool GlobalHotkey::isSupported() {
    return QGuiApplication::platformName() == QLatin1String("xcb") && connection() != nullptr;
}

uint16_t GlobalHotkey::lockMask() const {
    return numLockMask(connection());
}

GlobalHotkey::Result GlobalHotkey::registerKey(int mod, int letter) {
    unregisterKey();
    if (!isSupported()) return Result::Unsupported;
    const uint16_t modifiers = xcbModifiers(mod);
    if (modifiers == 0 || letter < 'A' || letter > 'Z') return Result::Invalid;
    xcb_connection_t* conn = connection();
    // Letter keysyms are their upper-case character codes.
    const uint8_t keycode = keycodeOf(conn, uint32_t(letter));
    if (keycode == 0) return Result::Invalid;

    const uint16_t numLock = lockMask();
    const uint16_t extras[] = {0, numLock, XCB_MOD_MASK_LOCK,
                               uint16_t(numLock | XCB_MOD_MASK_LOCK)};
    xcb_void_cookie_t cookies[4];
    for (int i = 0; i < 4; ++i) {
        cookies[i] = xcb_grab_key_checked(conn, 1, rootWindow(conn), modifiers | extras[i], keycode,
                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    }
    bool taken = false;
    for (auto cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(conn, cookie)) {
            taken = true;
            free(error);
        }
    }
    keycode_ = keycode;
    modifiers_ = modifiers;
    if (taken) {
        // Release the variants that did succeed; ungrabbing one we never held is harmless.
        unregisterKey();
        return Result::AlreadyUsed;
    }
    return Result::Registered;
}

void GlobalHotkey::unregisterKey() {
    if (keycode_ == 0) return;
    if (xcb_connection_t* conn = connection()) {
        const uint16_t numLock = lockMask();
        const uint16_t extras[] = {0, numLock, XCB_MOD_MASK_LOCK,
                                   uint16_t(numLock | XCB_MOD_MASK_LOCK)};
        for (uint16_t extra : extras) {
            xcb_ungrab_key(conn, keycode_, rootWindow(conn), modifiers_ | extra);
        }
        xcb_flush(conn);
    }
    keycode_ = 0;
    modifiers_ = 0;
}

bool GlobalHotkey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (keycode_ == 0 || eventType != "xcb_generic_event_t") return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS) return false;
    auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
    if (press->detail != keycode_ || (press->state & RELEVANT_MODIFIERS) != modifiers_) {
        return false;
    }
    emit activated(QString());
    return true;
}

}  // namespace tallix
