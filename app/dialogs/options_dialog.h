// The Options dialog (precision and the call-up hotkey) and the way its choice takes effect.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tallix {

// Validation rules, exposed for the dialog's tests.
// The key text after upper-casing ASCII letters, compared byte-wise (unsigned) as UTF-8: it must
// lie between "A" and "Z", so it starts with A..Y (anything may follow) or is exactly "Z".
bool keyTextAcceptable(const QString& keyText);
// The decimal integer at the start of the text (leading blanks and one sign allowed), 0 when no
// digit follows; values beyond the int range saturate instead of wrapping.
int leadingInteger(const QString& text);

// What the dialog sets. HotKeyMod bits: 1 Alt, 2 Ctrl, 4 Shift, 8 Win; hotKeyChar is 'A'..'Z'.
struct OptionValues {
    int hotKeyMod;
    int hotKeyChar;
    int maxPrec;
};

class OptionsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit OptionsDialog(QWidget* parent = nullptr);

    // The values the next showing starts from; after Apply, the values chosen. A dialog shown
    // again after a rejected hotkey so opens with the entries of its last Apply.
    void setValues(const OptionValues& values) { values_ = values; }
    OptionValues values() const { return values_; }

    int exec() override;
    void initialise();

    QPushButton* applyButton() const { return applyButton_; }

    // Tells, under the hotkey fields, how to call the program up where the desktop offers no
    // global hotkey.
    void showNoHotkeyNote(bool show);
    bool showsNoHotkeyNote() const;
    // Tells, under the hotkey fields, what the desktop binds where it decides the key; an
    // empty text shows nothing.
    void showDesktopNote(const QString& text);

  public slots:
    void accept() override;

  private slots:
    void validate();

  private:
    enum class Direction { ToControls, FromControls };
    void transfer(Direction direction);
    void describeControls();
    int modifierBits() const;

    OptionValues values_{0, 0, 0};

    bool alt = false;
    bool ctrl = false;
    bool shift = false;
    bool win = false;
    QString keyText;
    QString precText;

    QLineEdit* precEdit_;
    QCheckBox* altBox_;
    QCheckBox* ctrlBox_;
    QCheckBox* shiftBox_;
    QCheckBox* winBox_;
    QLineEdit* keyEdit_;
    QLabel* noHotkeyNote_;
    QLabel* desktopNote_;
    QPushButton* applyButton_;
    QPushButton* cancelButton_;
};

// What applying the options needs from the window that owns the hotkey and the settings.
struct OptionsActions {
    std::function<void()> unregisterHotkey;
    // True when the combination is now the call-up key, and also where the platform has no
    // global hotkey at all (the values are then only stored).
    std::function<bool(int hotKeyMod, int hotKeyChar)> registerHotkey;
    std::function<void(int digits)> setPrecision;
    // Takes the three values into the window's fields and writes them to the settings.
    std::function<void(int hotKeyMod, int hotKeyChar, int maxPrec)> store;
    std::function<void(const QString& message)> warn;
};

// Shown when another client holds the chosen combination.
QString hotkeyTakenMessage();

// The call-up key when the options are opened: whether it works now, and whether this desktop
// offers a global hotkey at all (if not, the dialog says how to do without).
struct HotkeyState {
    bool active;
    bool available = true;
    // Where the desktop decides the key: what it holds and where the user changes it.
    QString desktopNote = {};
};

// Shows the dialog and applies what the user chose: the new hotkey is registered first, and
// only when that works are the precision applied and the values stored; a working hotkey whose
// combination did not change stays bound as it is. A taken combination brings the message and
// the dialog again; Cancel after that registers the old hotkey again if it was working
// (`hotkey.active`). `showDialog` runs the dialog modally (tests replace it).
// Returns true when new values took effect.
bool runOptions(QWidget* parent, const OptionValues& current, const HotkeyState& hotkey,
                const OptionsActions& actions,
                const std::function<int(OptionsDialog&)>& showDialog = {});

}  // namespace tallix
