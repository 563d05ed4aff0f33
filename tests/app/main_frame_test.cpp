// The window: the tray, the edit commands' enabling, closing
// without a tray, the rectangle it opens at and stores, the precision it applies.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

#include "app/calc_app.h"
#include "app/console/calc_view.h"
#include "app/desktop/tray.h"
#include "app/main_frame.h"
#include "console_fixture.h"
#include "engine/engine.h"
#include "tallix_version.h"

using namespace tallix;

namespace {

QAction* actionNamed(MainFrame& frame, const QString& text) {
    for (QAction* top : frame.menuBar()->actions()) {
        for (QAction* action : top->menu()->actions()) {
            if (action->text() == text) return action;
        }
    }
    return nullptr;
}

}  // namespace

class MainFrameTest : public QObject {
    Q_OBJECT

  private slots:
    void titleAndTopmost();
    void trayMenu();
    void editCommandsFollowTheConsole();
    void consoleMenuIsTheEditMenu();
    void closeMinimisesWithoutTray();
    void opensAtTheStoredRectangle();
    void storesTheRestoredRectangleWhenDestroyed();
    void storedRectangleSurvivesMaximising();
    void precisionAppliedAtCreation_data();
    void precisionAppliedAtCreation();
    void hiddenStartArguments_data();
    void hiddenStartArguments();
};

void MainFrameTest::titleAndTopmost() {
    test::TempSettings settings;
    MainFrame frame(settings.get());
    QCOMPARE(frame.windowTitle(), QString("Tallix"));
    QVERIFY(frame.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!frame.windowIcon().isNull());
    QCOMPARE(frame.centralWidget(), frame.view());
}

void MainFrameTest::trayMenu() {
    Tray tray(QIcon(":/icons/tallix-16.png"));
    QCOMPARE(tray.menu()->defaultAction(), tray.menu()->actions().first());
    QCOMPARE(tray.icon()->toolTip(), QString("Tallix " TALLIX_VERSION));

    QSignalSpy open(&tray, &Tray::openRequested);
    QSignalSpy exit(&tray, &Tray::exitRequested);
    emit tray.icon()->activated(QSystemTrayIcon::Trigger);
    emit tray.icon()->activated(QSystemTrayIcon::Context);
    QCOMPARE(open.count(), 0);
    emit tray.icon()->activated(QSystemTrayIcon::DoubleClick);
    QCOMPARE(open.count(), 1);
    tray.menu()->actions().last()->trigger();
    QCOMPARE(exit.count(), 1);
}

void MainFrameTest::editCommandsFollowTheConsole() {
    test::TempSettings settings;
    MainFrame frame(settings.get());
    QAction* undo = actionNamed(frame, "元に戻す(&U)");
    QAction* cut = actionNamed(frame, "切り取り(&T)");
    QAction* copy = actionNamed(frame, "コピー(&C)");
    QAction* paste = actionNamed(frame, "貼り付け(&P)");
    QAction* selectAll = actionNamed(frame, "全て選択(&A)");
    auto states = [&] {
        return QList<bool>{undo->isEnabled(), cut->isEnabled(), copy->isEnabled(),
                           paste->isEnabled(), selectAll->isEnabled()};
    };
    QGuiApplication::clipboard()->clear();
    QCOMPARE(states(), (QList<bool>{false, false, false, false, false}));

    QTest::keyClicks(frame.view(), "2+2");
    QCOMPARE(states(), (QList<bool>{true, false, false, false, true}));
    frame.view()->selectAll();
    QCOMPARE(states(), (QList<bool>{true, true, true, false, true}));
    QGuiApplication::clipboard()->setText("9");
    QCOMPARE(states(), (QList<bool>{true, true, true, true, true}));

    // After Enter there is nothing left to undo.
    frame.view()->moveCursor(QTextCursor::End);
    QTest::keyClick(frame.view(), Qt::Key_Return);
    QCOMPARE(states(), (QList<bool>{false, false, false, true, true}));

    // The menu's Paste goes line by line like the keys.
    QGuiApplication::clipboard()->setText("3*3\n");
    paste->trigger();
    QCOMPARE(frame.view()->toPlainText(), QString("2+2\n4\n3*3\n9\n"));
}

void MainFrameTest::consoleMenuIsTheEditMenu() {
    test::TempSettings settings;
    MainFrame frame(settings.get());
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QTest::keyClicks(frame.view(), "2+2");
    QGuiApplication::clipboard()->setText("3*3\n");
    QAction* paste = actionNamed(frame, "貼り付け(&P)");
    QMenu* edit = nullptr;
    for (QAction* title : frame.menuBar()->actions()) {
        if (title->menu()->actions().contains(paste)) edit = title->menu();
    }
    QVERIFY(edit);
    QList<QAction*> offered;
    QTimer::singleShot(0, [&] {
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(popup);
        offered = popup->actions();
        if (offered.contains(paste)) paste->trigger();
        popup->close();
    });
    QWidget* area = frame.view()->viewport();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            area->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(area, &event);
    QTRY_VERIFY(!offered.isEmpty());
    QCOMPARE(offered, edit->actions());
    QCOMPARE(frame.view()->toPlainText(), QString("2+23*3\n71\n"));
}

void MainFrameTest::closeMinimisesWithoutTray() {
    test::TempSettings settings;
    MainFrame frame(settings.get());
    QVERIFY(!frame.hasTrayIcon());
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QVERIFY(!frame.close());
    QTRY_VERIFY(frame.isMinimized());
    frame.showFrame();
    QTRY_VERIFY(!frame.isMinimized());
    QVERIFY(frame.isVisible());
}

void MainFrameTest::opensAtTheStoredRectangle() {
    test::TempSettings settings;
    settings.get().setWindowRect({40, 30, 540, 430});
    MainFrame frame(settings.get());
    QCOMPARE(frame.pos(), QPoint(40, 30));
    QCOMPARE(frame.size(), QSize(500, 400));
    QCOMPARE(frame.restoredRect(), (WindowRect{40, 30, 540, 430}));
}

void MainFrameTest::storesTheRestoredRectangleWhenDestroyed() {
    test::TempSettings settings;
    QRect outer;
    {
        MainFrame frame(settings.get());
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.move(70, 80);
        frame.resize(350, 250);
        QTRY_COMPARE(frame.frameGeometry().topLeft(), QPoint(70, 80));
        outer = frame.frameGeometry();
        QCOMPARE(frame.restoredRect(),
                 (WindowRect{70, 80, 70 + outer.width(), 80 + outer.height()}));
        frame.hideFrame();
    }
    QCOMPARE(settings.get().windowRect(),
             (WindowRect{70, 80, 70 + outer.width(), 80 + outer.height()}));
}

void MainFrameTest::storedRectangleSurvivesMaximising() {
    test::TempSettings settings;
    settings.get().setWindowRect({10, 20, 330, 260});
    {
        MainFrame frame(settings.get());
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.showMaximized();
        QTRY_VERIFY(frame.isMaximized());
    }
    QCOMPARE(settings.get().windowRect(), (WindowRect{10, 20, 330, 260}));
}

void MainFrameTest::precisionAppliedAtCreation_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("applied");
    QTest::newRow("default") << 0 << 15;
    QTest::newRow("stored") << 40 << 40;
    QTest::newRow("too high") << 5000 << 2000;
    QTest::newRow("too low") << 1 << 6;
}

void MainFrameTest::precisionAppliedAtCreation() {
    QFETCH(int, stored);
    QFETCH(int, applied);
    test::TempSettings settings;
    if (stored != 0) settings.get().setMaxPrec(stored);
    set_precision(100);
    MainFrame frame(settings.get());
    QCOMPARE(frame.maxPrec(), applied);
    // Evaluation follows: 1/3 shows as many threes as the precision has digits.
    frame.view()->setPlainText("1/3");
    frame.view()->moveCursor(QTextCursor::End);
    frame.view()->enter();
    QCOMPARE(frame.view()->toPlainText().section('\n', 1, 1), "0." + QString(applied, '3'));
}

void MainFrameTest::hiddenStartArguments_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("hidden");
    QTest::newRow("none") << QStringList{"tallix"} << false;
    QTest::newRow("/s") << QStringList{"tallix", "/s"} << true;
    QTest::newRow("/S") << QStringList{"tallix", "/S"} << true;
    QTest::newRow("--hidden") << QStringList{"tallix", "--hidden"} << true;
    QTest::newRow("after others") << QStringList{"tallix", "file.txt", "/S"} << true;
    QTest::newRow("other switches") << QStringList{"tallix", "/sx", "-s", "s"} << false;
    QTest::newRow("program path only") << QStringList{"/s"} << false;
}

void MainFrameTest::hiddenStartArguments() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, hidden);
    QCOMPARE(CalcApp::startsHidden(arguments), hidden);
}

QTEST_MAIN(MainFrameTest)
#include "main_frame_test.moc"
