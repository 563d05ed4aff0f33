// The settings room: the per-user store and the forms of what it keeps (window, key, font
// record). Every other room may use it; it uses only Qt and the engine's precision range.
#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <functional>
#include <initializer_list>
#include <memory>
#include <utility>

#include "engine/engine.h"

class QSettings;

namespace tallix {

// Hotkey modifier bits as the store keeps them.
enum HotKeyModBits : int {
    HOTKEY_ALT = 1,
    HOTKEY_CTRL = 2,
    HOTKEY_SHIFT = 4,
    HOTKEY_WIN = 8,
};

// The outer edges of the restored window, frame included.
struct WindowRect {
    int left = 0;
    int top = 0;
    int right = 300;
    int bottom = 200;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const WindowRect&) const = default;
};

// A call-up key: HotKeyModBits and the code of an upper-case letter 'A'..'Z'.
struct HotkeyCombination {
    int mod = HOTKEY_CTRL | HOTKEY_ALT;
    int ch = 'A';

    bool operator==(const HotkeyCombination&) const = default;
};

// The per-user settings: organisation "Morvane", application "Tallix", group
// "Settings". Each value read falls back to its default when it is absent or
// cannot be understood (a corrupt, unreadable or hand-edited store never stops
// the program); each write is flushed to the store before the call returns.
// A write that cannot reach the store (read-only file or folder, no folder, a
// full disk) leaves the store as it was, keeps the value in force for the rest
// of the run, and is reported once.
class Settings {
  public:
    using SaveFailureHandler = std::function<void(const QString& path)>;

    // The user's own store.
    Settings();
    // A store kept in the given INI file (tests, tools).
    explicit Settings(const QString& iniFile);
    ~Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    WindowRect windowRect() const;
    void setWindowRect(const WindowRect& rect);

    HotkeyCombination hotkeyCombination() const;
    void setHotkeyCombination(const HotkeyCombination& key);

    // Clamped to MIN_PRECISION..MAX_PRECISION.
    int maxPrec() const;
    void setMaxPrec(int digits);

    // The stored font record, empty when absent (see font_record.h).
    QByteArray font() const;
    void setFont(const QByteArray& record);

    // The folder a sheet was last opened from or saved to; empty when none.
    QString sheetFolder() const;
    void setSheetFolder(const QString& folder);

    // Raw access by key name, for values without a typed accessor.
    int readInt(const QString& key, int fallback) const;
    void writeInt(const QString& key, int value);

    // Where the store lives.
    QString path() const;

    // Called with path() on the first write that does not reach the store;
    // later ones stay silent, so the user is told once a run.
    void setSaveFailureHandler(SaveFailureHandler handler);

  private:
    std::unique_ptr<QSettings> open() const;
    void write(std::initializer_list<std::pair<QString, QVariant>> values);
    void reportSaveFailure();

    QString iniFile_;  // empty for the user's own store
    std::unique_ptr<QSettings> store_;
    SaveFailureHandler saveFailed_;
    bool failureReported_ = false;
};

}  // namespace tallix
