#include "app/hotkey/hotkey_trigger.h"

#include <xcb/xproto.h>
#include <QStringList>

namespace tallix {

namespace {

struct ModifierName {
    int bit;
    const char* portal;
    const char* shown;
    uint16_t xcb;
};

// In the order the portal's trigger syntax and the options dialog list them.
constexpr ModifierName MODIFIERS[] = {
    {HOTKEY_CTRL, "CTRL", "Ctrl", XCB_MOD_MASK_CONTROL},
    {HOTKEY_ALT, "ALT", "Alt", XCB_MOD_MASK_1},
    {HOTKEY_SHIFT, "SHIFT", "Shift", XCB_MOD_MASK_SHIFT},
    {HOTKEY_WIN, "LOGO", "Win", XCB_MOD_MASK_4},
};

int modifierBit(const QString& name) {
    static const struct {
        const char* name;
        int bit;
    } names[] = {{"ctrl", HOTKEY_CTRL}, {"control", HOTKEY_CTRL}, {"primary", HOTKEY_CTRL},
                 {"alt", HOTKEY_ALT},   {"mod1", HOTKEY_ALT},     {"shift", HOTKEY_SHIFT},
                 {"logo", HOTKEY_WIN},  {"super", HOTKEY_WIN},    {"meta", HOTKEY_WIN},
                 {"win", HOTKEY_WIN},   {"mod4", HOTKEY_WIN}};
    for (const auto& entry : names) {
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0) return entry.bit;
    }
    return 0;
}

QString joined(const HotkeyCombination& key, bool portal) {
    QStringList parts;
    for (const ModifierName& modifier : MODIFIERS) {
        if (key.mod & modifier.bit)
            parts << QLatin1String(portal ? modifier.portal : modifier.shown);
    }
    const QChar letter(key.ch);
    parts << (portal ? letter.toLower() : letter.toUpper());
    return parts.join(u'+');
}

}  // namespace

uint16_t xcbModifiers(int mod) {
    uint16_t mask = 0;
    for (const ModifierName& modifier : MODIFIERS) {
        if (mod & modifier.bit) mask |= modifier.xcb;
    }
    return mask;
}

QString portalTrigger(const HotkeyCombination& key) {
    return joined(key, true);
}

QString hotkeyText(const HotkeyCombination& key) {
    return joined(key, false);
}

std::optional<HotkeyCombination> parseTrigger(const QString& text) {
    const QStringList parts = text.trimmed().split(u'+');
    if (parts.size() < 2) return std::nullopt;
    HotkeyCombination key{0, 0};
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        const int bit = modifierBit(parts[i].trimmed());
        if (bit == 0) return std::nullopt;
        key.mod |= bit;
    }
    // ASCII only: other letters may upper-case into A..Z (the long s becomes S).
    const QString letter = parts.last().trimmed();
    if (letter.size() != 1 || letter[0].unicode() > 127) return std::nullopt;
    key.ch = letter[0].toUpper().unicode();
    if (key.ch < 'A' || key.ch > 'Z') return std::nullopt;
    return key;
}

}  // namespace tallix
