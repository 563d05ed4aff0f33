// A line that would run for hours: the console stays drawn, takes no input
// but Esc, and Esc ends the line with error 2, drops the rest of a paste,
// and leaves the console ready for the next line.
#include <QApplication>
#include <QClipboard>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <new>

#include "app/calc_view.h"
#include "app/evaluation_worker.h"
#include "app/main_frame.h"
#include "console_fixture.h"
#include "engine/engine.h"

using namespace tallix;

namespace {

// Halves its guess about 170 million times at 2,000 digits.
const QString SLOW = QStringLiteral("sqr(1e-100000000)");
const QString STOPPED = QStringLiteral("ERR2: 計算を中断しました");

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
        QSignalSpy running(&view, &CalcView::evaluationRunning);
        QSignalSpy ended(&view, &CalcView::evaluationEnded);
        test::load(view, SLOW);
        // Typing while the line runs goes nowhere; Esc stops the line and,
        // being taken by the line, does not ask the window to close.
        QTimer::singleShot(300, &view, [&view] { QTest::keyClicks(&view, "99"); });
        QTimer::singleShot(800, &view, [&view] { QTest::keyClick(&view, Qt::Key_Escape); });
        QTest::keyClick(&view, Qt::Key_Return);
        QCOMPARE(view.toPlainText(), SLOW + "\n" + STOPPED + "\n");
        QVERIFY(view.isVisible());
        QVERIFY2(running.count() >= 1, "no word of a line running for over half a second");
        QCOMPARE(ended.count(), 1);

        QTest::keyClicks(&view, "1+1");
        QTest::keyClick(&view, Qt::Key_Return);
        QCOMPARE(view.toPlainText(), SLOW + "\n" + STOPPED + "\n1+1\n2\n");
    }

    void escDuringAPasteDropsTheRestOfIt() {
        CalcView view(settings_.get());
        view.show();
        QGuiApplication::clipboard()->setText("1+1\n" + SLOW + "\n2+2\n3+3\n");
        QTimer::singleShot(300, &view, [&view] { QTest::keyClick(&view, Qt::Key_Escape); });
        view.paste();
        QCOMPARE(view.toPlainText(), "1+1\n2\n" + SLOW + "\n" + STOPPED + "\n");
    }

    void theWindowShowsHowLongTheLineHasRunUntilItEnds() {
        MainFrame frame(settings_.get());
        set_precision(2000);  // the frame sets the stored precision
        frame.show();
        test::load(*frame.view(), SLOW);
        QString shown;
        QTimer::singleShot(900, &frame, [&] {
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

    void quickLinesSayNothingAboutRunning() {
        CalcView view(settings_.get());
        QSignalSpy running(&view, &CalcView::evaluationRunning);
        QSignalSpy ended(&view, &CalcView::evaluationEnded);
        test::load(view, "2^0.5");
        QTest::keyClick(&view, Qt::Key_Return);
        QVERIFY(view.toPlainText().startsWith("2^0.5\n1.41421356237309504880"));
        QCOMPARE(running.count(), 0);
        QCOMPARE(ended.count(), 0);
    }

    // Ending the program while a line runs stops the line and waits for it,
    // so the engine is never torn down under it; the engine is free after.
    void theWorkerStopsItsLineWhenItGoes() {
        {
            EvaluationWorker worker(evaluateWithEngine, nullptr);
            worker.start(SLOW.toUtf8());
            QVERIFY(!worker.waitFor(std::chrono::milliseconds(300)));
        }
        EvaluationWorker worker(evaluateWithEngine, nullptr);
        worker.start("7*6");
        QCOMPARE(worker.take(), QStringLiteral("42"));
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
        QCOMPARE(worker.take(), QStringLiteral("ERR1002: メモリ不足"));
        worker.start("7*6");
        QCOMPARE(worker.take(), QStringLiteral("42"));
    }

  private:
    test::TempSettings settings_;
};

QTEST_MAIN(SlowLineTest)
#include "slow_line_test.moc"
