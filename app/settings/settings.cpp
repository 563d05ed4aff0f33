#include "app/settings/settings.h"

#include <fcntl.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
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

bool fitsInInt(qint64 value) {
    return value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max();
}

// The store is saved to a new file that is flushed to disk and then renamed over the old one;
// the rename itself lasts through a power cut only once the folder that holds the name is
// flushed too. A file system that cannot flush a folder keeps the save as it is.
void flushFolderOf(const QString& file) {
    const QByteArray folder = QFile::encodeName(QFileInfo(file).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

Settings::Settings() : store_(open()) {}

Settings::Settings(const QString& iniFile) : iniFile_(iniFile), store_(open()) {}

Settings::~Settings() = default;

std::unique_ptr<QSettings> Settings::open() const {
    if (iniFile_.isEmpty()) return std::make_unique<QSettings>("Morvane", "Tallix");
    return std::make_unique<QSettings>(iniFile_, QSettings::IniFormat);
}

QString Settings::path() const {
    return store_->fileName();
}

void Settings::setSaveFailureHandler(SaveFailureHandler handler) {
    saveFailed_ = std::move(handler);
}

int Settings::readInt(const QString& key, int fallback) const {
    const QVariant value = store_->value(GROUP + '/' + key);
    if (!value.isValid()) return fallback;
    bool ok = false;
    const qlonglong number = value.toString().trimmed().toLongLong(&ok);
    return ok && fitsInInt(number) ? static_cast<int>(number) : fallback;
}

void Settings::writeInt(const QString& key, int value) {
    write({{key, value}});
}

void Settings::write(std::initializer_list<std::pair<QString, QVariant>> values) {
    for (const auto& [key, value] : values)
        store_->setValue(GROUP + '/' + key, value);
    store_->sync();
    if (store_->status() == QSettings::FormatError) {
        // A QSettings keeps the first error it meets, so a damaged store read
        // earlier hides whether this write reached the disk. A second object on
        // the same file shares what was read and what waits to be written, and
        // starts with a clean status.
        auto fresh = open();
        store_ = std::move(fresh);
        store_->sync();
    }
    if (store_->status() == QSettings::AccessError) {
        reportSaveFailure();
        return;
    }
    flushFolderOf(path());
}

void Settings::reportSaveFailure() {
    if (failureReported_) return;
    // Set first: the handler may run an event loop in which more writes fail.
    failureReported_ = true;
    if (saveFailed_) saveFailed_(path());
}

WindowRect Settings::windowRect() const {
    const WindowRect fallback;
    WindowRect rect{readInt("left", fallback.left), readInt("top", fallback.top),
                    readInt("right", fallback.right), readInt("bottom", fallback.bottom)};
    // A rectangle with no area cannot come from a window, nor can one whose
    // size does not fit the window system's numbers; it was edited by hand.
    const qint64 width = qint64(rect.right) - rect.left;
    const qint64 height = qint64(rect.bottom) - rect.top;
    if (width <= 0 || height <= 0 || !fitsInInt(width) || !fitsInInt(height)) return fallback;
    return rect;
}

void Settings::setWindowRect(const WindowRect& rect) {
    write({{"left", rect.left}, {"top", rect.top}, {"right", rect.right}, {"bottom", rect.bottom}});
}

HotkeyCombination Settings::hotkeyCombination() const {
    const HotkeyCombination fallback;
    const int mod = readInt("HotKeyMod", fallback.mod);
    const int ch = readInt("HotKeyChar", fallback.ch);
    return HotkeyCombination{isModifierSet(mod) ? mod : fallback.mod,
                             isLetter(ch) ? ch : fallback.ch};
}

void Settings::setHotkeyCombination(const HotkeyCombination& key) {
    write({{"HotKeyMod", key.mod}, {"HotKeyChar", key.ch}});
}

int Settings::maxPrec() const {
    return std::clamp(readInt("MaxPrec", DEFAULT_PRECISION), MIN_PRECISION, MAX_PRECISION);
}

void Settings::setMaxPrec(int digits) {
    writeInt("MaxPrec", digits);
}

QString Settings::sheetFolder() const {
    const QVariant value = store_->value(GROUP + "/SheetFolder");
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

void Settings::setSheetFolder(const QString& folder) {
    write({{"SheetFolder", folder}});
}

QByteArray Settings::font() const {
    const QVariant value = store_->value(GROUP + "/font");
    return value.typeId() == QMetaType::QByteArray ? value.toByteArray() : QByteArray();
}

void Settings::setFont(const QByteArray& record) {
    write({{"font", record}});
}

}  // namespace tallix
