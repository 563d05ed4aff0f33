// Timings of the console's two heavy paths: a paste of 10,000 lines, each one
// evaluated, and Enter at the end of a 100,000-line console. Prints figures;
// run it by hand (QT_QPA_PLATFORM=offscreen console_bench).
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/calc_view.h"
#include "app/settings.h"
#include "engine/engine.h"

using namespace tallix;

namespace {

double millisecondsOf(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

// What the engine alone takes for the pasted lines, to tell it from the console's share.
void evaluateTenThousandLines() {
    std::vector<QByteArray> lines;
    for (int i = 0; i < 10000; ++i)
        lines.push_back(QString("%1*3+1/7").arg(i).toUtf8());
    const double ms = millisecondsOf([&] {
        for (const QByteArray& line : lines)
            evaluateWithEngine(line);
    });
    std::printf("evaluation alone of the 10,000 lines: %.0f ms\n", ms);
}

// A console as the window shows it, so layout and painting are timed too.
void showAsInTheWindow(CalcView& view) {
    view.resize(400, 300);
    view.show();
}

void pasteTenThousandLines(Settings& settings) {
    CalcView view(settings);
    showAsInTheWindow(view);
    QString text;
    for (int i = 0; i < 10000; ++i)
        text += QString("%1*3+1/7\r\n").arg(i);
    QGuiApplication::clipboard()->setText(text);
    const double ms = millisecondsOf([&] {
        view.paste();
        QCoreApplication::processEvents();
    });
    std::printf("paste of 10,000 lines: %.0f ms (console now %d lines)\n", ms,
                view.document()->blockCount());
}

void enterOnALongConsole(Settings& settings) {
    CalcView view(settings);
    showAsInTheWindow(view);
    QStringList lines;
    for (int i = 0; i < 100000; ++i)
        lines << QString("%1+1").arg(i);
    view.setPlainText(lines.join('\n'));
    view.moveCursor(QTextCursor::End);
    QCoreApplication::processEvents();
    std::vector<double> times, repaints;
    for (int i = 0; i < 50; ++i) {
        view.insertPlainText(QString("%1/3").arg(i));
        QCoreApplication::processEvents();
        times.push_back(millisecondsOf([&] { QTest::keyClick(&view, Qt::Key_Return); }));
        repaints.push_back(millisecondsOf([&] { QCoreApplication::processEvents(); }));
    }
    std::sort(times.begin(), times.end());
    std::sort(repaints.begin(), repaints.end());
    std::printf(
        "Enter at the end of a 100,000-line console: median %.2f ms, worst %.2f ms; "
        "repaint after it: median %.2f ms\n",
        times[times.size() / 2], times.back(), repaints[repaints.size() / 2]);

    // And on a line near the top, so that everything below moves down.
    QTextCursor top(view.document()->findBlockByNumber(10));
    std::vector<double> topTimes;
    for (int i = 0; i < 20; ++i) {
        view.setTextCursor(top);
        topTimes.push_back(millisecondsOf([&] {
            QTest::keyClick(&view, Qt::Key_Return);
            QCoreApplication::processEvents();
        }));
    }
    std::sort(topTimes.begin(), topTimes.end());
    std::printf("Enter near the top of it: median %.2f ms, worst %.2f ms\n",
                topTimes[topTimes.size() / 2], topTimes.back());
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    Settings settings(dir.filePath("Tallix.conf"));
    registerBuiltinsOnce();
    set_precision(DEFAULT_PRECISION);  // as the window starts with a fresh store
    if (!app.arguments().contains("enter")) {
        evaluateTenThousandLines();
        pasteTenThousandLines(settings);
    }
    enterOnALongConsole(settings);
    return 0;
}
