#include "app/dialogs/options_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "app/dialogs/control_description.h"
#include "app/dialogs/dialog_frame.h"
#include "app/settings/settings.h"

namespace tallix {

namespace {

// Only ASCII letters change case: a non-ASCII letter must never become one of A..Z and slip
// through the check below (U+017F, the long s, upper-cases to a plain S).
QByteArray asciiUpper(const QString& text) {
    QByteArray bytes = text.toUtf8();
    for (char& c : bytes) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return bytes;
}

bool bytesLess(const QByteArray& a, const QByteArray& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return uchar(x) < uchar(y); });
}

QLabel* buddyLabel(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

bool keyTextAcceptable(const QString& keyText) {
    const QByteArray key = asciiUpper(keyText);
    return !bytesLess(key, "A") && !bytesLess("Z", key);
}

int leadingInteger(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = std::min<long long>(value * 10 + (text[i].unicode() - u'0'), 1LL + INT_MAX);
    }
    if (negative) value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

QString hotkeyTakenMessage() {
    return QStringLiteral("指定された呼び出しキーは既に使われています。");
}

OptionsDialog::OptionsDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("オプション"));

    precEdit_ = new QLineEdit(this);
    precEdit_->setObjectName("precision");
    precEdit_->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]*"), precEdit_));
    precEdit_->setMaximumWidth(precEdit_->fontMetrics().horizontalAdvance("0") * 8);

    auto* precision = new QGroupBox(QStringLiteral("精度"), this);
    auto* precRow = new QHBoxLayout;
    precRow->addWidget(buddyLabel(QStringLiteral("精度(&P)："), precEdit_, precision));
    precRow->addWidget(new QLabel(QStringLiteral("10進で"), precision));
    precRow->addWidget(precEdit_);
    precRow->addWidget(new QLabel(QStringLiteral("桁（6～2,000）"), precision));
    precRow->addStretch();
    // Broken by hand where the sentence breaks: wrapped at the group's width, it left "い。"
    // alone on its last line in some fonts and sizes. The dialog widens to the longer line.
    auto* note =
        new QLabel(QStringLiteral("精度を上げたときは，\nTallixを再起動してください。"), precision);
    auto* precLayout = new QVBoxLayout(precision);
    precLayout->addLayout(precRow);
    precLayout->addWidget(note);

    auto* hotkey = new QGroupBox(QStringLiteral("呼び出しキー（ホットキー）"), this);
    altBox_ = new QCheckBox(QStringLiteral("Alt"), hotkey);
    ctrlBox_ = new QCheckBox(QStringLiteral("Ctrl"), hotkey);
    shiftBox_ = new QCheckBox(QStringLiteral("Shift"), hotkey);
    winBox_ = new QCheckBox(QStringLiteral("Win"), hotkey);
    keyEdit_ = new QLineEdit(hotkey);
    keyEdit_->setObjectName("key");
    keyEdit_->setMaximumWidth(precEdit_->maximumWidth());
    auto* modifierRow = new QHBoxLayout;
    for (QCheckBox* box : {altBox_, ctrlBox_, shiftBox_, winBox_})
        modifierRow->addWidget(box);
    modifierRow->addStretch();
    auto* keyRow = new QHBoxLayout;
    keyRow->addWidget(buddyLabel(QStringLiteral("図形キー(&G)："), keyEdit_, hotkey));
    keyRow->addWidget(keyEdit_);
    keyRow->addStretch();
    noHotkeyNote_ =
        new QLabel(QStringLiteral("このデスクトップでは呼び出しキーを登録できません。"
                                  "システムのショートカットにコマンド tallix を割り当ててください"
                                  "（起動中のTallixが表示されます）。"),
                   hotkey);
    noHotkeyNote_->setObjectName("noHotkeyNote");
    noHotkeyNote_->setWordWrap(true);
    noHotkeyNote_->hide();
    desktopNote_ = new QLabel(hotkey);
    desktopNote_->setObjectName("desktopNote");
    desktopNote_->setWordWrap(true);
    desktopNote_->hide();
    auto* hotkeyLayout = new QVBoxLayout(hotkey);
    hotkeyLayout->addLayout(modifierRow);
    hotkeyLayout->addLayout(keyRow);
    hotkeyLayout->addWidget(noHotkeyNote_);
    hotkeyLayout->addWidget(desktopNote_);

    applyButton_ = new QPushButton(QStringLiteral("適用(&A)"), this);
    applyButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    cancelButton_->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(applyButton_);
    buttons->addWidget(cancelButton_);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(precision);
    layout->addWidget(hotkey);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    useDialogFrame(*this);

    setTabOrder(precEdit_, altBox_);
    setTabOrder(altBox_, ctrlBox_);
    setTabOrder(ctrlBox_, shiftBox_);
    setTabOrder(shiftBox_, winBox_);
    setTabOrder(winBox_, keyEdit_);
    setTabOrder(keyEdit_, applyButton_);
    setTabOrder(applyButton_, cancelButton_);

    connect(applyButton_, &QPushButton::clicked, this, &OptionsDialog::accept);
    connect(cancelButton_, &QPushButton::clicked, this, &OptionsDialog::reject);
    connect(precEdit_, &QLineEdit::textChanged, this, &OptionsDialog::validate);
    connect(keyEdit_, &QLineEdit::textChanged, this, &OptionsDialog::validate);
    for (QCheckBox* box : {altBox_, ctrlBox_, shiftBox_, winBox_})
        connect(box, &QCheckBox::toggled, this, &OptionsDialog::validate);
    describeControls();
}

// What a screen reader says of each control.
void OptionsDialog::describeControls() {
    setAccessibleDescription(
        QStringLiteral("計算の精度と、ウィンドウを呼び出すキーを設定します。"));
    describeControl(precEdit_, QStringLiteral("精度"),
                    QStringLiteral("計算結果の有効桁数。10進で6から2,000までの整数です。"));
    describeControl(altBox_, QStringLiteral("Alt"),
                    QStringLiteral("呼び出しキーにAltキーを含めます。"));
    describeControl(ctrlBox_, QStringLiteral("Ctrl"),
                    QStringLiteral("呼び出しキーにCtrlキーを含めます。"));
    describeControl(shiftBox_, QStringLiteral("Shift"),
                    QStringLiteral("呼び出しキーにShiftキーを含めます。"));
    describeControl(winBox_, QStringLiteral("Win"),
                    QStringLiteral("呼び出しキーにWinキー（スーパーキー）を含めます。"));
    describeControl(keyEdit_, QStringLiteral("図形キー"),
                    QStringLiteral("呼び出しキーの文字。AからZまでの英字一文字です。"));
    describeControl(applyButton_, QStringLiteral("適用"),
                    QStringLiteral("入力した精度と呼び出しキーを使い、保存します。"));
    describeControl(cancelButton_, QStringLiteral("キャンセル"),
                    QStringLiteral("何も変えずにダイアログを閉じます。"));
    describeControl(noHotkeyNote_, QStringLiteral("呼び出しキーについての注意"),
                    noHotkeyNote_->text());
}

void OptionsDialog::showNoHotkeyNote(bool show) {
    noHotkeyNote_->setVisible(show);
}

bool OptionsDialog::showsNoHotkeyNote() const {
    return !noHotkeyNote_->isHidden();
}

void OptionsDialog::showDesktopNote(const QString& text) {
    desktopNote_->setText(text);
    desktopNote_->setVisible(!text.isEmpty());
}

int OptionsDialog::exec() {
    initialise();
    return QDialog::exec();
}

void OptionsDialog::initialise() {
    alt = values_.hotKeyMod & HOTKEY_ALT;
    ctrl = values_.hotKeyMod & HOTKEY_CTRL;
    shift = values_.hotKeyMod & HOTKEY_SHIFT;
    win = values_.hotKeyMod & HOTKEY_WIN;
    // A stored key outside printable ASCII (a hand-edited store) shows as an empty key box
    // rather than as a control character.
    const int ch = values_.hotKeyChar;
    keyText = ch > ' ' && ch < 127 ? QString(QChar(ch)) : QString();
    precText = QString::number(values_.maxPrec);
    transfer(Direction::ToControls);
    validate();
    precEdit_->setFocus();
    precEdit_->selectAll();
}

void OptionsDialog::accept() {
    transfer(Direction::FromControls);
    values_.hotKeyMod = modifierBits();
    const QByteArray key = asciiUpper(keyText);
    values_.hotKeyChar = key.isEmpty() ? 0 : static_cast<unsigned char>(key[0]);
    // maxPrec already holds what the last validation read from the precision text.
    QDialog::accept();
}

void OptionsDialog::validate() {
    transfer(Direction::FromControls);
    values_.hotKeyMod = modifierBits();
    values_.maxPrec = leadingInteger(precText);
    applyButton_->setEnabled(values_.hotKeyMod != 0 && keyTextAcceptable(keyText) &&
                             values_.maxPrec >= MIN_PRECISION && values_.maxPrec <= MAX_PRECISION);
}

int OptionsDialog::modifierBits() const {
    return alt * HOTKEY_ALT + ctrl * HOTKEY_CTRL + shift * HOTKEY_SHIFT + win * HOTKEY_WIN;
}

void OptionsDialog::transfer(Direction direction) {
    if (direction == Direction::FromControls) {
        alt = altBox_->isChecked();
        ctrl = ctrlBox_->isChecked();
        shift = shiftBox_->isChecked();
        win = winBox_->isChecked();
        keyText = keyEdit_->text();
        precText = precEdit_->text();
        return;
    }
    // Each control would validate on its own change and read the others before they are set.
    const QSignalBlocker blockers[] = {QSignalBlocker(altBox_),   QSignalBlocker(ctrlBox_),
                                       QSignalBlocker(shiftBox_), QSignalBlocker(winBox_),
                                       QSignalBlocker(keyEdit_),  QSignalBlocker(precEdit_)};
    altBox_->setChecked(alt);
    ctrlBox_->setChecked(ctrl);
    shiftBox_->setChecked(shift);
    winBox_->setChecked(win);
    keyEdit_->setText(keyText);
    precEdit_->setText(precText);
}

bool runOptions(QWidget* parent, const OptionValues& current, const HotkeyState& hotkey,
                const OptionsActions& actions,
                const std::function<int(OptionsDialog&)>& showDialog) {
    OptionsDialog dialog(parent);
    dialog.setValues(current);
    dialog.showNoHotkeyNote(!hotkey.available);
    dialog.showDesktopNote(hotkey.desktopNote);
    bool rejectedOnce = false;
    for (;;) {
        const int result = showDialog ? showDialog(dialog) : dialog.exec();
        if (result != QDialog::Accepted) {
            // Trying a taken combination released the working one; nobody wants to lose it.
            if (rejectedOnce && hotkey.active)
                actions.registerHotkey(current.hotKeyMod, current.hotKeyChar);
            return false;
        }
        const OptionValues chosen = dialog.values();
        // The working binding of an unchanged combination stays: binding anew would make a
        // desktop portal open a new session and perhaps ask its user again, and a refusal
        // there would refuse a change of precision too.
        const bool keepBinding = hotkey.active && !rejectedOnce &&
                                 chosen.hotKeyMod == current.hotKeyMod &&
                                 chosen.hotKeyChar == current.hotKeyChar;
        if (!keepBinding) {
            actions.unregisterHotkey();
            if (!actions.registerHotkey(chosen.hotKeyMod, chosen.hotKeyChar)) {
                rejectedOnce = true;
                actions.warn(hotkeyTakenMessage());
                continue;
            }
        }
        actions.setPrecision(chosen.maxPrec);
        actions.store(chosen.hotKeyMod, chosen.hotKeyChar, chosen.maxPrec);
        return true;
    }
}

}  // namespace tallix
