// The Options dialog's validation, its transfer of values, and how a choice takes effect.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <climits>
#include <optional>

#include "app/dialogs/options_dialog.h"

using namespace tallix;

namespace {

QLineEdit* precisionEdit(OptionsDialog& d) {
    return d.findChild<QLineEdit*>("precision");
}
QLineEdit* keyEdit(OptionsDialog& d) {
    return d.findChild<QLineEdit*>("key");
}
QCheckBox* modifierBox(OptionsDialog& d, const QString& text) {
    for (QCheckBox* box : d.findChildren<QCheckBox*>())
        if (box->text() == text) return box;
    return nullptr;
}
const QStringList kModifiers{"Alt", "Ctrl", "Shift", "Win"};

// A dialog opened the way the Options command opens it with the default settings.
void openWithDefaults(OptionsDialog& d) {
    d.setValues({3, 'A', 15});
    d.initialise();
    d.show();  // laid out, so that clicks land on the controls
}

void replaceText(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    // Typed one character at a time, as a keyboard or an input method delivers them.
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

}  // namespace

class OptionsDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void opensWithTheValuesInForce();
    void opensWithEveryModifierBit_data();
    void opensWithEveryModifierBit();
    void keyText_data();
    void keyText();
    void precisionText_data();
    void precisionText();
    void precisionBoxTakesDigitsOnly();
    void anyOneModifierIsEnough_data();
    void anyOneModifierIsEnough();
    void applyHandsBackTheChosenValues();
    void reopeningShowsTheAppliedKey();
    void execStartsFromTheFields();
    void leadingInteger_data();
    void leadingInteger();
};

void OptionsDialogTest::opensWithTheValuesInForce() {
    OptionsDialog d;
    openWithDefaults(d);
    QVERIFY(modifierBox(d, "Alt")->isChecked());
    QVERIFY(modifierBox(d, "Ctrl")->isChecked());
    QVERIFY(!modifierBox(d, "Shift")->isChecked());
    QVERIFY(!modifierBox(d, "Win")->isChecked());
    QCOMPARE(keyEdit(d)->text(), QStringLiteral("A"));
    QCOMPARE(precisionEdit(d)->text(), QStringLiteral("15"));
    QVERIFY(d.applyButton()->isEnabled());
    QVERIFY(d.applyButton()->isDefault());
}

void OptionsDialogTest::opensWithEveryModifierBit_data() {
    QTest::addColumn<int>("bits");
    for (int bits = 0; bits < 16; ++bits)
        QTest::newRow(qPrintable(QString::number(bits))) << bits;
}

void OptionsDialogTest::opensWithEveryModifierBit() {
    QFETCH(int, bits);
    OptionsDialog d;
    d.setValues({bits, 'K', 100});
    d.initialise();
    for (int i = 0; i < kModifiers.size(); ++i)
        QCOMPARE(modifierBox(d, kModifiers[i])->isChecked(), bool(bits & (1 << i)));
    QCOMPARE(d.applyButton()->isEnabled(), bits != 0);
}

void OptionsDialogTest::keyText_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("lower-case letter") << "q" << true;
    QTest::newRow("letter and more") << "Qx" << true;
    QTest::newRow("Z alone") << "Z" << true;
    QTest::newRow("lower-case z alone") << "z" << true;
    QTest::newRow("A") << "A" << true;
    QTest::newRow("Y and a digit") << "Y9" << true;
    QTest::newRow("Z and more") << "Za" << false;
    QTest::newRow("digit") << "1" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("byte below A") << "@" << false;
    QTest::newRow("byte above Z") << "[" << false;
    QTest::newRow("blank first") << " A" << false;
    QTest::newRow("full-width letter") << "Ａ" << false;
    QTest::newRow("kana") << "あ" << false;
    QTest::newRow("long s, upper-cases to S outside ASCII") << "ſ" << false;
    QTest::newRow("dotless i") << "ı" << false;
}

void OptionsDialogTest::keyText() {
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    QCOMPARE(tallix::keyTextAcceptable(typed), accepted);
    OptionsDialog d;
    openWithDefaults(d);
    replaceText(keyEdit(d), typed);
    QCOMPARE(d.applyButton()->isEnabled(), accepted);
    QCOMPARE(keyEdit(d)->text(), typed);  // the box keeps what was typed
}

void OptionsDialogTest::precisionText_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("5") << "5" << false;
    QTest::newRow("6") << "6" << true;
    QTest::newRow("2000") << "2000" << true;
    QTest::newRow("2001") << "2001" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("leading zeros") << "0006" << true;
    QTest::newRow("beyond int") << "4294967302" << false;
    QTest::newRow("far beyond int") << "99999999999999999999" << false;
}

void OptionsDialogTest::precisionText() {
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    OptionsDialog d;
    openWithDefaults(d);
    replaceText(precisionEdit(d), typed);
    QCOMPARE(precisionEdit(d)->text(), typed);
    QCOMPARE(d.applyButton()->isEnabled(), accepted);
}

void OptionsDialogTest::precisionBoxTakesDigitsOnly() {
    OptionsDialog d;
    openWithDefaults(d);
    replaceText(precisionEdit(d), " -2x0a0");
    QCOMPARE(precisionEdit(d)->text(), QStringLiteral("200"));
    QVERIFY(d.applyButton()->isEnabled());
}

void OptionsDialogTest::anyOneModifierIsEnough_data() {
    QTest::addColumn<QString>("modifier");
    for (const QString& m : kModifiers)
        QTest::newRow(qPrintable(m)) << m;
}

void OptionsDialogTest::anyOneModifierIsEnough() {
    QFETCH(QString, modifier);
    OptionsDialog d;
    openWithDefaults(d);
    for (const QString& m : kModifiers)
        modifierBox(d, m)->setChecked(false);
    QVERIFY(!d.applyButton()->isEnabled());
    QTest::mouseClick(modifierBox(d, modifier), Qt::LeftButton);
    QVERIFY(d.applyButton()->isEnabled());
    QTest::mouseClick(modifierBox(d, modifier), Qt::LeftButton);
    QVERIFY(!d.applyButton()->isEnabled());
}

void OptionsDialogTest::applyHandsBackTheChosenValues() {
    OptionsDialog d;
    openWithDefaults(d);
    modifierBox(d, "Alt")->setChecked(false);
    modifierBox(d, "Ctrl")->setChecked(false);
    modifierBox(d, "Shift")->setChecked(true);
    modifierBox(d, "Win")->setChecked(true);
    replaceText(keyEdit(d), "m");
    replaceText(precisionEdit(d), "1234");
    QTest::mouseClick(d.applyButton(), Qt::LeftButton);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(d.values().hotKeyMod, 4 + 8);
    QCOMPARE(d.values().hotKeyChar, int('M'));
    QCOMPARE(d.values().maxPrec, 1234);
}

void OptionsDialogTest::reopeningShowsTheAppliedKey() {
    OptionsDialog d;
    openWithDefaults(d);
    replaceText(keyEdit(d), "Qx");
    QTest::mouseClick(d.applyButton(), Qt::LeftButton);
    QCOMPARE(d.values().hotKeyChar, int('Q'));
    d.initialise();
    QCOMPARE(keyEdit(d)->text(), QStringLiteral("Q"));
}

void OptionsDialogTest::execStartsFromTheFields() {
    OptionsDialog d;
    d.setValues({2, 'R', 40});
    QString seenKey, seenPrecision;
    bool seenApply = false;
    QTimer::singleShot(0, &d, [&] {
        seenKey = keyEdit(d)->text();
        seenPrecision = precisionEdit(d)->text();
        seenApply = d.applyButton()->isEnabled();
        d.reject();
    });
    QCOMPARE(d.exec(), int(QDialog::Rejected));
    QCOMPARE(seenKey, QStringLiteral("R"));
    QCOMPARE(seenPrecision, QStringLiteral("40"));
    QVERIFY(seenApply);
}

void OptionsDialogTest::leadingInteger_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "42" << 42;
    QTest::newRow("blanks first") << "  \t7" << 7;
    QTest::newRow("plus") << "+8" << 8;
    QTest::newRow("minus") << "-9" << -9;
    QTest::newRow("stops at a letter") << "12ab3" << 12;
    QTest::newRow("no digit") << "abc" << 0;
    QTest::newRow("sign alone") << "-" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("two signs") << "--5" << 0;
    QTest::newRow("saturates high") << "99999999999" << INT_MAX;
    QTest::newRow("saturates low") << "-99999999999" << INT_MIN;
}

void OptionsDialogTest::leadingInteger() {
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(tallix::leadingInteger(text), value);
}

// ---------------------------------------------------------------------------------------------
// Applying a choice. The window is a fake that keeps the hotkey grabs of this program and of
// other clients apart and logs every step in order.

namespace {

struct FakeWindow {
    QSet<QPair<int, int>> heldByOthers;
    std::optional<QPair<int, int>> ours;
    bool globalHotkeys = true;
    bool available = true;
    QStringList log;
    OptionValues fields{3, 'A', 15};

    OptionsActions actions() {
        OptionsActions a;
        a.unregisterHotkey = [this] {
            log << "unregister";
            ours.reset();
        };
        a.registerHotkey = [this](int mod, int key) {
            log << QString("register %1+%2").arg(mod).arg(QChar(key));
            if (!globalHotkeys) return true;
            if (heldByOthers.contains({mod, key})) return false;
            ours = QPair<int, int>(mod, key);
            return true;
        };
        a.setPrecision = [this](int digits) { log << QString("precision %1").arg(digits); };
        a.store = [this](int mod, int key, int prec) {
            log << QString("store %1+%2 %3").arg(mod).arg(QChar(key)).arg(prec);
            fields = {mod, key, prec};
        };
        a.warn = [this](const QString& text) { log << "warn " + text; };
        return a;
    }

    bool run(const QList<std::function<int(OptionsDialog&)>>& showings) {
        ours = QPair<int, int>(fields.hotKeyMod, fields.hotKeyChar);
        int shown = 0;
        return runOptions(nullptr, fields, {true, available}, actions(), [&](OptionsDialog& d) {
            d.initialise();
            d.show();
            log << "dialog";
            return showings.at(shown++)(d);
        });
    }
};

// One showing of the dialog: make the entries, then press Apply (or Cancel).
std::function<int(OptionsDialog&)> enter(const QStringList& modifiers, const QString& key,
                                         const QString& precision) {
    return [=](OptionsDialog& d) {
        for (const QString& m : kModifiers)
            modifierBox(d, m)->setChecked(modifiers.contains(m));
        replaceText(keyEdit(d), key);
        replaceText(precisionEdit(d), precision);
        QTest::mouseClick(d.applyButton(), Qt::LeftButton);
        return d.result();
    };
}

int cancel(OptionsDialog& d) {
    for (QPushButton* button : d.findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("ｷｬﾝｾﾙ")) QTest::mouseClick(button, Qt::LeftButton);
    return d.result();
}

}  // namespace

class OptionsApplyTest : public QObject {
    Q_OBJECT
  private slots:
    void freeCombinationTakesEffectInOrder();
    void ownCombinationCanBeAppliedAgain();
    void cancelChangesNothing();
    void takenCombinationThenCancelKeepsTheOldHotkey();
    void takenCombinationReopensWithTheRejectedEntries();
    void takenCombinationThenAFreeOne();
    void oldHotkeyThatWasNotWorkingStaysUnregistered();
    void withoutGlobalHotkeysTheValuesAreStored();
};

void OptionsApplyTest::freeCombinationTakesEffectInOrder() {
    FakeWindow w;
    QVERIFY(w.run({enter({"Ctrl", "Shift"}, "q", "20")}));
    QCOMPARE(w.log,
             QStringList({"dialog", "unregister", "register 6+Q", "precision 20", "store 6+Q 20"}));
    QCOMPARE(w.ours, (QPair<int, int>(6, 'Q')));
}

// A desktop may ask its user again for every new binding: a change of precision alone must not
// rebind the working key. One that does not work is tried again.
void OptionsApplyTest::ownCombinationCanBeAppliedAgain() {
    FakeWindow w;
    QVERIFY(w.run({enter({"Alt", "Ctrl"}, "a", "30")}));
    QCOMPARE(w.log.mid(1), QStringList({"precision 30", "store 3+A 30"}));
    QCOMPARE(w.ours, (QPair<int, int>(3, 'A')));

    FakeWindow notWorking;
    QVERIFY(runOptions(nullptr, notWorking.fields, {false}, notWorking.actions(),
                       enter({"Alt", "Ctrl"}, "a", "30")));
    QCOMPARE(notWorking.log,
             QStringList({"unregister", "register 3+A", "precision 30", "store 3+A 30"}));
}

void OptionsApplyTest::cancelChangesNothing() {
    FakeWindow w;
    QVERIFY(!w.run({[](OptionsDialog& d) {
        replaceText(keyEdit(d), "B");
        d.reject();
        return d.result();
    }}));
    QCOMPARE(w.log, QStringList({"dialog"}));
    QCOMPARE(w.ours, (QPair<int, int>(3, 'A')));
}

void OptionsApplyTest::takenCombinationThenCancelKeepsTheOldHotkey() {
    FakeWindow w;
    w.heldByOthers.insert({6, 'Q'});
    QVERIFY(!w.run({enter({"Ctrl", "Shift"}, "Q", "20"), cancel}));
    QCOMPARE(w.log, QStringList({"dialog", "unregister", "register 6+Q",
                                 "warn " + hotkeyTakenMessage(), "dialog", "register 3+A"}));
    QCOMPARE(w.ours, (QPair<int, int>(3, 'A')));
    QCOMPARE(w.fields.maxPrec, 15);
}

void OptionsApplyTest::takenCombinationReopensWithTheRejectedEntries() {
    FakeWindow w;
    w.heldByOthers.insert({4 + 8, 'K'});
    QStringList second;
    w.run({enter({"Shift", "Win"}, "kx", "77"), [&](OptionsDialog& d) {
               for (const QString& m : kModifiers)
                   if (modifierBox(d, m)->isChecked()) second << m;
               second << keyEdit(d)->text() << precisionEdit(d)->text();
               d.reject();
               return d.result();
           }});
    QCOMPARE(second, QStringList({"Shift", "Win", "K", "77"}));
}

void OptionsApplyTest::takenCombinationThenAFreeOne() {
    FakeWindow w;
    w.heldByOthers.insert({2, 'Z'});
    QVERIFY(w.run({enter({"Ctrl"}, "Z", "50"), enter({"Ctrl"}, "Y", "50")}));
    QCOMPARE(w.log.mid(4),
             QStringList({"dialog", "unregister", "register 2+Y", "precision 50", "store 2+Y 50"}));
    QCOMPARE(w.ours, (QPair<int, int>(2, 'Y')));
}

void OptionsApplyTest::oldHotkeyThatWasNotWorkingStaysUnregistered() {
    FakeWindow w;
    w.heldByOthers.insert({6, 'Q'});
    int shown = 0;
    const auto showings =
        QList<std::function<int(OptionsDialog&)>>{enter({"Ctrl", "Shift"}, "Q", "20"), cancel};
    QVERIFY(!runOptions(nullptr, w.fields, {false}, w.actions(), [&](OptionsDialog& d) {
        d.initialise();
        return showings.at(shown++)(d);
    }));
    QVERIFY(!w.ours.has_value());
    QVERIFY(!w.log.contains("register 3+A"));
}

// Where the desktop offers no global hotkey, the dialog says how to call the program up instead.
void OptionsApplyTest::withoutGlobalHotkeysTheValuesAreStored() {
    for (const bool mechanism : {true, false}) {
        FakeWindow w;
        w.globalHotkeys = mechanism;
        w.available = mechanism;
        bool noted = false;
        QVERIFY(w.run({[&](OptionsDialog& d) {
            noted = d.showsNoHotkeyNote();
            return enter({"Win"}, "h", "9")(d);
        }}));
        QCOMPARE(noted, !mechanism);
        QCOMPARE(w.log.mid(3), QStringList({"precision 9", "store 8+H 9"}));
    }
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int status = 0;
    OptionsDialogTest dialogTest;
    status |= QTest::qExec(&dialogTest, argc, argv);
    OptionsApplyTest applyTest;
    status |= QTest::qExec(&applyTest, argc, argv);
    return status;
}

#include "options_dialog_test.moc"
