// A line that would run for hours: the console stays drawn, takes no input
// but Esc, and Esc ends the line with error 2, inserts the rest of a paste
// unevaluated, and leaves the console ready for the next line.
#include <QApplication>
#include <QClipboard>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <new>
#include <thread>

#include "app/console/calc_view.h"
#include "app/console/evaluation_worker.h"
#include "app/main_frame.h"
#include "console_fixture.h"
#include "engine/engine.h"

using namespace tallix;

namespace {

// Halves its guess about 170 million times at 2,000 digits.
const QString SLOW = QStringLiteral("sqr(1e-100000000)");
const QString STOPPED = QStringLiteral("ERR2: 計算を中断しました");

// Calls `action` once, from inside the console's wait, when the console reports a line running
// and `line` is in its text: a condition, not a clock, so a loaded machine only makes the test
// slower. Should the report never come, the line is stopped after a minute and the test fails
// on its checks instead of hanging.
void onceRunning(CalcView& view, const QString& line, std::function<void()> action) {
    auto connection = std::make_shared<QMetaObject::Connection>();
    auto done = std::make_shared<bool>(false);
    *connection = QObject::connect(&view, &CalcView::evaluationRunning, &view, [=, &view] {
        if (*done || !view.toPlainText().contains(line)) return;
        *done = true;
        QObject::disconnect(*connection);
        action();
    });
    QTimer::singleShot(std::chrono::minutes(1), &view, [done] {
        if (!*done) request_stop();
    });
}

// Stands in for a line that takes `duration` however fast the machine is.
LineEvaluator takingAtLeast(std::chrono::milliseconds duration) {
    return [duration](const QByteArray& line) {
        std::this_thread::sleep_for(duration);
        return QString::fromUtf8(line);
    };
}

}  // namespace

class SlowLineTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        registerBuiltinsOnce();
        set_precision(2000);
    }

    void escStopsTheLineAndTheNextOneRuns() {
        CalcView view(settings_.get());
        view.show();
        QSignalSpy ended(&view, &CalcView::evaluationEnded);
        test::load(view, SLOW);
        // Typing while the line runs goes nowhere; Esc stops the line and,
        // being taken by the line, does not ask the window to close.
        onceRunning(view, SLOW, [&view] {
            QTest::keyClicks(&view, "99");
            QTest::keyClick(&view, Qt::Key_Escape);
        });
        QTest::keyClick(&view, Qt::Key_Return);
        QCOMPARE(view.toPlainText(), SLOW + "\n" + STOPPED + "\n");
        QVERIFY(view.isVisible());
        QCOMPARE(ended.count(), 1);

        QTest::keyClicks(&view, "1+1");
        QTest::keyClick(&view, Qt::Key_Return);
        QCOMPARE(view.toPlainText(), SLOW + "\n" + STOPPED + "\n1+1\n2\n");
    }

    // After Esc every pasted line is there, those after the stopped one
    // unevaluated, and the window says so until the console next changes.
    void escDuringAPasteKeepsEveryPastedLine() {
        MainFrame frame(settings_.get());
        set_precision(2000);  // the frame sets the stored precision
        frame.resize(400, 300);
        frame.show();
        CalcView& view = *frame.view();
        QGuiApplication::clipboard()->setText("1+1\n" + SLOW + "\n2+2\r\n3+3\n4+4");
        onceRunning(view, SLOW, [&view] { QTest::keyClick(&view, Qt::Key_Escape); });
        view.paste();
        QCOMPARE(view.toPlainText(), "1+1\n2\n" + SLOW + "\n" + STOPPED + "\n2+2\n3+3\n4+4");
        auto* bar = frame.findChild<QStatusBar*>();
        QVERIFY(bar && bar->isVisible());
        QVERIFY2(bar->currentMessage().contains(QStringLiteral("2 行")),
                 qPrintable(bar->currentMessage()));
        QTest::keyClicks(&view, "5");
        QVERIFY(!bar->isVisible());
    }

    // The status bar that comes while a line runs leaves the line in view.
    void theRunningLineStaysInView() {
        MainFrame frame(settings_.get());
        set_precision(2000);
        frame.resize(400, 200);
        frame.show();
        CalcView& view = *frame.view();
        QStringList lines;
        for (int i = 0; i < 40; ++i)
            lines << QString::number(i);
        test::load(view, lines.join('\n') + '\n' + SLOW);
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        view.ensureCursorVisible();
        QVERIFY(view.viewport()->rect().contains(view.cursorRect()));
        bool barShown = false;
        bool inView = false;
        onceRunning(view, SLOW, [&] {
            QCoreApplication::processEvents();  // the window makes room for the bar
            barShown = frame.findChild<QStatusBar*>()->isVisible();
            inView = view.viewport()->rect().contains(view.cursorRect());
            QTest::keyClick(&view, Qt::Key_Escape);
        });
        QTest::keyClick(&view, Qt::Key_Return);
        QVERIFY(barShown);
        QVERIFY(inView);
    }

    void theWindowShowsHowLongTheLineHasRunUntilItEnds() {
        MainFrame frame(settings_.get());
        set_precision(2000);  // the frame sets the stored precision
        frame.show();
        test::load(*frame.view(), SLOW);
        QString shown;
        // Connected after the frame's own handler, so the bar is up to date when this runs.
        onceRunning(*frame.view(), SLOW, [&] {
            if (auto* bar = frame.findChild<QStatusBar*>(); bar && bar->isVisible())
                shown = bar->currentMessage();
            QTest::keyClick(frame.view(), Qt::Key_Escape);
        });
        QTest::keyClick(frame.view(), Qt::Key_Return);
        QVERIFY2(shown.contains(QStringLiteral("Esc: 中断")), qPrintable(shown));
        QVERIFY(shown.contains(QRegularExpression("[0-9]\\.[0-9] ")));
        auto* bar = frame.findChild<QStatusBar*>();
        QVERIFY(bar && !bar->isVisible());
        QVERIFY(frame.isVisible());
    }

    // However quick or loaded the machine, a line is reported running only
    // once it has run half a second (no status bar flashing on every line),
    // and a line that outlasts the first wait says when it has ended.
    void runningIsReportedOnlyAfterHalfASecond() {
        for (auto duration : {std::chrono::milliseconds(0), std::chrono::milliseconds(700)}) {
            CalcView view(settings_.get(), nullptr, takingAtLeast(duration));
            QSignalSpy running(&view, &CalcView::evaluationRunning);
            QSignalSpy ended(&view, &CalcView::evaluationEnded);
            test::load(view, "line");
            QTest::keyClick(&view, Qt::Key_Return);
            QCOMPARE(view.toPlainText(), QStringLiteral("line\nline\n"));
            for (const QList<QVariant>& report : running)
                QVERIFY2(report.at(0).toLongLong() >= 500, qPrintable(report.at(0).toString()));
            if (duration.count() > 0) QCOMPARE(ended.count(), 1);
        }
    }

    // Ending the program while a line runs stops the line and waits for it,
    // so the engine is never torn down under it; the engine is free after.
    void theWorkerStopsItsLineWhenItGoes() {
        {
            EvaluationWorker worker(evaluateWithEngine, nullptr);
            worker.start(SLOW.toUtf8());
            QVERIFY(!worker.waitFor(std::chrono::milliseconds(300)));
        }
        // Lines queued behind a running one and dropped come back as nothing,
        // in their order, after the running line's own output.
        EvaluationWorker worker(evaluateWithEngine, nullptr);
        worker.start(SLOW.toUtf8());
        worker.start("1+1");
        worker.start("2+2");
        QVERIFY(!worker.waitFor(std::chrono::milliseconds(100)));
        worker.dropWaiting();
        while (!worker.waitFor(std::chrono::milliseconds(50)))
            request_stop();
        QCOMPARE(worker.take(), std::optional<QString>(STOPPED));
        QCOMPARE(worker.take(), std::optional<QString>());
        QCOMPARE(worker.take(), std::optional<QString>());
        worker.start("7*6");
        QCOMPARE(worker.take(), std::optional<QString>(QStringLiteral("42")));
    }

    // An exception in a line must not end the worker thread, and with it the
    // program: the line shows an error and the next one runs.
    void aThrowingLineLeavesTheWorkerRunning() {
        int calls = 0;
        auto evaluator = [&calls](const QByteArray& line) -> QString {
            if (++calls == 1) throw std::bad_alloc();
            return evaluateWithEngine(line);
        };
        EvaluationWorker worker(evaluator, nullptr);
        worker.start("1e999999999^9");
        QCOMPARE(worker.take(), std::optional<QString>(QStringLiteral("ERR1002: メモリ不足")));
        worker.start("7*6");
        QCOMPARE(worker.take(), std::optional<QString>(QStringLiteral("42")));
    }

  private:
    test::TempSettings settings_;
};

QTEST_MAIN(SlowLineTest)
#include "slow_line_test.moc"
