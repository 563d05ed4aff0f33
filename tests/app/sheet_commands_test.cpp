// The window's sheet commands: where the menus offer them and with which
// keys, and what opening, saving and copying a result tell the user and
// keep in the settings store.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include "app/console/calc_view.h"
#include "app/dialogs/no_hotkey_notice.h"
#include "app/main_frame.h"
#include "console_fixture.h"

using namespace tallix;

namespace {

constexpr int DEADLINE_MS = 30000;

QMenu* menuHolding(MainFrame& frame, const QString& text, QAction** found) {
    for (QAction* top : frame.menuBar()->actions()) {
        for (QAction* action : top->menu()->actions()) {
            if (action->text() == text) {
                *found = action;
                return top->menu();
            }
        }
    }
    return nullptr;
}

// Every value of the store but the sheet folder.
QMap<QString, QString> storeWithoutSheetFolder(const QString& file) {
    QSettings store(file, QSettings::IniFormat);
    QMap<QString, QString> values;
    for (const QString& key : store.allKeys()) {
        if (key != "Settings/SheetFolder") values[key] = store.value(key).toString();
    }
    return values;
}

}  // namespace

class SheetCommandsTest : public QObject {
    Q_OBJECT

  private slots:
    void menusOfferTheCommands_data();
    void menusOfferTheCommands();
    void keysReachTheCommands();
    void savedSheetOpensUnevaluatedAndRecalculates();
    void failedSaveSaysSoAndKeepsEverything();
    void copyResultTellsWhatItDid();
};

void SheetCommandsTest::menusOfferTheCommands_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<bool>("inConsoleMenu");
    QTest::newRow("open") << "開く…(&O)"
                          << "ファイル(&F)" << QKeySequence("Ctrl+O") << false;
    QTest::newRow("save") << "名前を付けて保存…(&A)"
                          << "ファイル(&F)" << QKeySequence("Ctrl+S") << false;
    QTest::newRow("recalculate") << "すべて再計算(&R)"
                                 << "編集(&E)" << QKeySequence("F9") << true;
    QTest::newRow("copy result") << "結果をコピー(&Y)"
                                 << "編集(&E)" << QKeySequence("Ctrl+Shift+C") << true;
}

void SheetCommandsTest::menusOfferTheCommands() {
    QFETCH(QString, text);
    QFETCH(QString, menu);
    QFETCH(QKeySequence, keys);
    QFETCH(bool, inConsoleMenu);
    test::TempSettings settings;
    MainFrame frame(settings.get());
    QAction* action = nullptr;
    QMenu* holder = menuHolding(frame, text, &action);
    QVERIFY(holder);
    QCOMPARE(holder->title(), menu);
    QCOMPARE(action->shortcut(), keys);
    QCOMPARE(frame.view()->actions().contains(action), inConsoleMenu);
    // Copy keeps its own keys.
    QAction* copy = nullptr;
    menuHolding(frame, "コピー(&C)", &copy);
    QVERIFY(copy && copy->shortcuts().contains(QKeySequence("Ctrl+C")));
}

void SheetCommandsTest::keysReachTheCommands() {
    test::TempSettings settings;
    // The offscreen screen offers no call-up key: the one-time notice would take the keys.
    settings.get().writeInt(NO_HOTKEY_NOTICE_KEY, 1);
    MainFrame frame(settings.get());
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    frame.activateWindow();
    QTRY_VERIFY_WITH_TIMEOUT(frame.isActiveWindow(), DEADLINE_MS);
    CalcView& view = *frame.view();
    QTest::keyClicks(&view, "n = 4");
    QTest::keyClick(&view, Qt::Key_Return);
    QTest::keyClicks(&view, "n*1000");
    QTest::keyClick(&view, Qt::Key_Return);
    view.setTextCursor(QTextCursor(view.document()->firstBlock()));
    QTest::keyClick(&view, Qt::Key_End);
    QTest::keyClick(&view, Qt::Key_Backspace);
    QTest::keyClicks(&view, "5");
    QTest::keyClick(&view, Qt::Key_F9);
    QCOMPARE(view.toPlainText(), QString("n = 5\nn*1000\n5'000\n"));
    QGuiApplication::clipboard()->setText("before");
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("before"));  // an assignment
    view.setTextCursor(QTextCursor(view.document()->findBlockByNumber(1)));
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("5000"));
}

void SheetCommandsTest::savedSheetOpensUnevaluatedAndRecalculates() {
    test::TempSettings settings;
    QTemporaryDir dir;
    const QString path = dir.filePath("sheet.txt");
    MainFrame frame(settings.get());
    const auto storeBefore = storeWithoutSheetFolder(settings.file());
    QTest::keyClicks(frame.view(), "w = 3");
    QTest::keyClick(frame.view(), Qt::Key_Return);
    QTest::keyClicks(frame.view(), "w^2");
    QTest::keyClick(frame.view(), Qt::Key_Return);
    QVERIFY(frame.saveSheetTo(path));
    QCOMPARE(settings.get().sheetFolder(), QDir(dir.path()).absolutePath());
    QCOMPARE(storeWithoutSheetFolder(settings.file()), storeBefore);

    MainFrame other(settings.get());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("w = 4\nw^2\n9\n");
    file.close();
    QVERIFY(other.openSheetFrom(path));
    QCOMPARE(other.view()->toPlainText(), QString("w = 4\nw^2\n9\n"));
    other.view()->recalculateAll();
    QCOMPARE(other.view()->toPlainText(), QString("w = 4\nw^2\n16\n"));
}

void SheetCommandsTest::failedSaveSaysSoAndKeepsEverything() {
    test::TempSettings settings;
    QTemporaryDir dir;
    QFile plain(dir.filePath("plain-file"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    MainFrame frame(settings.get());
    frame.show();
    QTest::keyClicks(frame.view(), "6*7");
    QTest::keyClick(frame.view(), Qt::Key_Return);
    const QString before = frame.view()->toPlainText();
    QString told;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            told = box->text();
            box->accept();
        }
    });
    poll.start(10);
    QVERIFY(!frame.saveSheetTo(dir.filePath("plain-file/sheet.txt")));
    QVERIFY2(told.contains("保存できませんでした"), qPrintable(told));
    QCOMPARE(frame.view()->toPlainText(), before);
    QCOMPARE(settings.get().sheetFolder(), QString());
    QVERIFY(!frame.openSheetFrom(dir.filePath("missing.txt")));
    QVERIFY2(told.contains("開けませんでした"), qPrintable(told));
    QCOMPARE(frame.view()->toPlainText(), before);
}

void SheetCommandsTest::copyResultTellsWhatItDid() {
    test::TempSettings settings;
    MainFrame frame(settings.get());
    frame.show();
    QTest::keyClicks(frame.view(), "1/0");
    QTest::keyClick(frame.view(), Qt::Key_Return);
    frame.view()->setTextCursor(QTextCursor(frame.view()->document()->firstBlock()));
    frame.copyResult();
    QVERIFY(frame.statusBar()->isVisible());
    QVERIFY2(frame.statusBar()->currentMessage().contains("ERR3001"),
             qPrintable(frame.statusBar()->currentMessage()));
    // Gone once the console changes.
    QTest::keyClicks(frame.view(), "x");
    QVERIFY(!frame.statusBar()->isVisible());
}

QTEST_MAIN(SheetCommandsTest)
#include "sheet_commands_test.moc"
