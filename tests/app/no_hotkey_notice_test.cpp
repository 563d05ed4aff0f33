// A session that offers no call-up key (a Wayland desktop without a global-shortcuts portal)
// tells the user once how to call the window up instead; the store remembers it.
#include <QApplication>
#include <QMessageBox>
#include <QTest>

#include "app/main_frame.h"
#include "console_fixture.h"

using namespace tallix;

namespace {

// A binding that answers at once, as the desktop would.
class AnsweringBinding : public HotkeyBinding {
  public:
    explicit AnsweringBinding(Result answer) : answer_(answer) {}
    void bind(int, int) override { emit bound(answer_); }
    void unbind() override {}
    bool isBound() const override { return answer_ == Result::Registered; }

  private:
    Result answer_;
};

QList<QMessageBox*> notices() {
    QList<QMessageBox*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box && box->isVisible() && box->text().contains("tallix")) found << box;
    }
    return found;
}

}  // namespace

class NoHotkeyNoticeTest : public QObject {
    Q_OBJECT

  private slots:
    void toldOnceWhereThereIsNoKey_data();
    void toldOnceWhereThereIsNoKey();
};

void NoHotkeyNoticeTest::toldOnceWhereThereIsNoKey_data() {
    QTest::addColumn<HotkeyBinding::Result>("answer");
    QTest::addColumn<bool>("toldBefore");
    QTest::addColumn<bool>("told");
    QTest::newRow("no key, first time") << HotkeyBinding::Result::Unsupported << false << true;
    QTest::newRow("no key, told before") << HotkeyBinding::Result::Unsupported << true << false;
    QTest::newRow("a key") << HotkeyBinding::Result::Registered << false << false;
}

void NoHotkeyNoticeTest::toldOnceWhereThereIsNoKey() {
    QFETCH(HotkeyBinding::Result, answer);
    QFETCH(bool, toldBefore);
    QFETCH(bool, told);
    test::TempSettings settings;
    if (toldBefore) settings.get().writeInt("NoHotkeyNoticeShown", 1);
    {
        MainFrame frame(settings.get(), nullptr, std::make_unique<AnsweringBinding>(answer));
        QCOMPARE(notices().size(), told ? 1 : 0);
        if (told) {
            // The remedy: a desktop shortcut that runs the program.
            QVERIFY(notices().first()->text().contains("「tallix」"));
            notices().first()->close();
        }
    }
    QCOMPARE(settings.get().readInt("NoHotkeyNoticeShown", 0), told || toldBefore ? 1 : 0);

    // The next start says nothing.
    MainFrame again(settings.get(), nullptr, std::make_unique<AnsweringBinding>(answer));
    QCOMPARE(notices().size(), 0);
}

QTEST_MAIN(NoHotkeyNoticeTest)
#include "no_hotkey_notice_test.moc"
