// The call-up key between the settings' bits and the portal's triggers, both ways.
#include <QTest>

#include "app/hotkey/hotkey_trigger.h"

using namespace tallix;

class HotkeyTriggerTest : public QObject {
    Q_OBJECT
  private slots:
    void portalTriggerOfTheSettings_data();
    void portalTriggerOfTheSettings();
    void triggerAsDesktopsDescribeIt_data();
    void triggerAsDesktopsDescribeIt();
};

void HotkeyTriggerTest::portalTriggerOfTheSettings_data() {
    QTest::addColumn<int>("mod");
    QTest::addColumn<int>("ch");
    QTest::addColumn<QString>("trigger");
    QTest::newRow("default") << (HOTKEY_CTRL | HOTKEY_ALT) << int('A') << "CTRL+ALT+a";
    QTest::newRow("all four") << 15 << int('Z') << "CTRL+ALT+SHIFT+LOGO+z";
    QTest::newRow("win alone") << int(HOTKEY_WIN) << int('Q') << "LOGO+q";
}

void HotkeyTriggerTest::portalTriggerOfTheSettings() {
    QFETCH(int, mod);
    QFETCH(int, ch);
    QFETCH(QString, trigger);
    QCOMPARE(portalTrigger(HotkeyCombination{mod, ch}), trigger);
    QCOMPARE(parseTrigger(trigger), std::optional(HotkeyCombination{mod, ch}));
}

void HotkeyTriggerTest::triggerAsDesktopsDescribeIt_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("mod");  // 0: not a call-up key
    QTest::addColumn<int>("ch");
    QTest::newRow("words") << "Ctrl+Alt+A" << (HOTKEY_CTRL | HOTKEY_ALT) << int('A');
    QTest::newRow("other names") << " Control + Super+Shift+k " << 14 << int('K');
    QTest::newRow("meta") << "Meta+x" << int(HOTKEY_WIN) << int('X');
    QTest::newRow("removed by the user") << "" << 0 << 0;
    QTest::newRow("no modifier") << "a" << 0 << 0;
    QTest::newRow("not a letter") << "CTRL+F1" << 0 << 0;
    QTest::newRow("unknown modifier") << "HYPER+a" << 0 << 0;
    QTest::newRow("a letter that upper-cases to S") << "CTRL+\u017F" << 0 << 0;
}

void HotkeyTriggerTest::triggerAsDesktopsDescribeIt() {
    QFETCH(QString, text);
    QFETCH(int, mod);
    QFETCH(int, ch);
    const std::optional<HotkeyCombination> key = parseTrigger(text);
    QCOMPARE(key.has_value(), mod != 0);
    if (key) QCOMPARE(*key, (HotkeyCombination{mod, ch}));
}

QTEST_MAIN(HotkeyTriggerTest)
#include "hotkey_trigger_test.moc"
