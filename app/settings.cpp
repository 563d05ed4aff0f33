#include "app/settings.h"

#include <QSettings>
#include <algorithm>
#include <limits>

namespace tallix {

namespace {

const QString GROUP = QStringLiteral("Settings");

bool isLetter(int ch) {
    return ch >= 'A' && ch <= 'Z';
}

bool isModifierSet(int mod) {
    const int all = HOTKEY_ALT | HOTKEY_CTRL | HOTKEY_SHIFT | HOTKEY_WIN;
    return mod != 0 && (mod & ~all) == 0;
}

}  // namespace

Settings::Settings() : store_(std::make_unique<QSettings>("Morvane", "Tallix")) {}

Settings::Settings(const QString& iniFile)
    : store_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

Settings::~Settings() = default;

int Settings::readInt(const QString& key, int fallback) const {
    const QVariant value = store_->value(GROUP + '/' + key);
    if (!value.isValid()) return fallback;
    bool ok = false;
    const qlonglong number = value.toString().trimmed().toLongLong(&ok);
    if (!ok || number < std::numeric_limits<int>::min() ||
        number > std::numeric_limits<int>::max()) {
        return fallback;
    }
    return static_cast<int>(number);
}

void Settings::writeInt(const QString& key, int value) {
    store_->setValue(GROUP + '/' + key, value);
    flush();
}

void Settings::flush() {
    store_->sync();
}

WindowRect Settings::windowRect() const {
    const WindowRect fallback;
    WindowRect rect{readInt("left", fallback.left), readInt("top", fallback.top),
                    readInt("right", fallback.right), readInt("bottom", fallback.bottom)};
    // A rectangle with no area cannot come from a window; it was edited by hand.
    if (qint64(rect.right) - rect.left <= 0 || qint64(rect.bottom) - rect.top <= 0) {
        return fallback;
    }
    return rect;
}

void Settings::setWindowRect(const WindowRect& rect) {
    store_->setValue(GROUP + "/left", rect.left);
    store_->setValue(GROUP + "/top", rect.top);
    store_->setValue(GROUP + "/right", rect.right);
    store_->setValue(GROUP + "/bottom", rect.bottom);
    flush();
}

HotKey Settings::hotKey() const {
    const HotKey fallback;
    const int mod = readInt("HotKeyMod", fallback.mod);
    const int ch = readInt("HotKeyChar", fallback.ch);
    return HotKey{isModifierSet(mod) ? mod : fallback.mod, isLetter(ch) ? ch : fallback.ch};
}

void Settings::setHotKey(const HotKey& key) {
    store_->setValue(GROUP + "/HotKeyMod", key.mod);
    store_->setValue(GROUP + "/HotKeyChar", key.ch);
    flush();
}

int Settings::maxPrec() const {
    return std::clamp(readInt("MaxPrec", DEFAULT_PRECISION), MIN_PRECISION, MAX_PRECISION);
}

void Settings::setMaxPrec(int digits) {
    writeInt("MaxPrec", digits);
}

QByteArray Settings::font() const {
    const QVariant value = store_->value(GROUP + "/font");
    return value.typeId() == QMetaType::QByteArray ? value.toByteArray() : QByteArray();
}

void Settings::setFont(const QByteArray& record) {
    store_->setValue(GROUP + "/font", record);
    flush();
}

}  // namespace tallix
