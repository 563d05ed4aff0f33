// Timings of the console's heavy paths: a paste of 10,000 lines, each one
// evaluated; a paste of 100,000 assignments, each to a new variable; Enter at the end of a
// 100,000-line console; huge pastes (1 MB on one line and Enter on it, 3 MB of short lines with the
// memory they take, and how soon Esc ends such a paste); recalculating 10,000 everyday lines
// against pasting them. Prints figures; run it by hand:
// QT_QPA_PLATFORM=offscreen console_bench [paste|variables|enter|huge|recalc ...]
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/console/calc_view.h"
#include "app/console/sheet_file.h"
#include "app/settings/settings.h"
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

// Each line names a variable the table does not hold yet, so every lookup meets a table one
// longer than the last.
void pasteOneHundredThousandNewVariables(Settings& settings) {
    CalcView view(settings);
    showAsInTheWindow(view);
    QString text;
    for (int i = 0; i < 100000; ++i)
        text += QString("v%1=%1\r\n").arg(i);
    QGuiApplication::clipboard()->setText(text);
    const double ms = millisecondsOf([&] {
        view.paste();
        QCoreApplication::processEvents();
    });
    std::printf("paste of 100,000 new variables: %.0f ms (console now %d lines)\n", ms,
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

// The peak of the resident set since the last reset, in MB.
double peakResidentMegabytes() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return -1;
    const auto found = QRegularExpression("VmHWM:\\s+(\\d+) kB").match(status.readAll());
    return found.hasMatch() ? found.captured(1).toDouble() / 1024 : -1;
}

void resetPeakResident() {
    QFile clear("/proc/self/clear_refs");
    if (clear.open(QIODevice::WriteOnly)) clear.write("5");
}

QString shortLines(qsizetype bytes) {
    QString text;
    for (int i = 0; text.size() < bytes; ++i)
        text += QString("%1*3+1/7\r\n").arg(i);
    return text;
}

void pasteOneMegabyteLine(Settings& settings) {
    CalcView view(settings);
    showAsInTheWindow(view);
    QGuiApplication::clipboard()->setText(QString(1 << 20, u'7'));
    const double pasteMs = millisecondsOf([&] {
        view.paste();
        QCoreApplication::processEvents();
    });
    const double enterMs = millisecondsOf([&] {
        QTest::keyClick(&view, Qt::Key_Return);
        QCoreApplication::processEvents();
    });
    std::printf("paste of 1 MB on one line: %.0f ms; Enter on it: %.0f ms\n", pasteMs, enterMs);
}

void pasteThreeMegabytesOfShortLines(Settings& settings) {
    const QString text = shortLines(3 << 20);
    resetPeakResident();
    const double before = peakResidentMegabytes();
    CalcView view(settings);
    showAsInTheWindow(view);
    QGuiApplication::clipboard()->setText(text);
    const double ms = millisecondsOf([&] {
        view.paste();
        QCoreApplication::processEvents();
    });
    std::printf(
        "paste of 3 MB of short lines (%d lines): %.0f ms, peak resident %.0f MB "
        "(%.0f MB before)\n",
        view.document()->blockCount(), ms, peakResidentMegabytes(), before);
}

// Esc half a second into a 3 MB paste: how long until the paste is over.
void escDuringAHugePaste(Settings& settings) {
    CalcView view(settings);
    showAsInTheWindow(view);
    QGuiApplication::clipboard()->setText(shortLines(3 << 20));
    QElapsedTimer clock;
    qint64 pressedAt = -1;
    qint64 heardAt = -1;  // when the window runs events again after the key
    QTimer::singleShot(500, &view, [&] {
        pressedAt = clock.elapsed();
        QTest::keyClick(&view, Qt::Key_Escape);
        QTimer::singleShot(0, &view, [&] { heardAt = clock.elapsed(); });
    });
    clock.start();
    view.paste();
    const qint64 endedAt = clock.elapsed();
    if (pressedAt < 0) {
        std::printf("Esc during a 3 MB paste: not seen before the paste ended (%lld ms)\n",
                    static_cast<long long>(endedAt));
    } else {
        std::printf(
            "Esc during a 3 MB paste: pressed at %lld ms; the window ran events again "
            "%lld ms later; the rest was in %lld ms later (console %d lines)\n",
            static_cast<long long>(pressedAt), static_cast<long long>(heardAt - pressedAt),
            static_cast<long long>(endedAt - pressedAt), view.document()->blockCount());
    }
    QCoreApplication::processEvents();
}

// The longest time the window went without running its events while `work`
// ran, as a timer that wants to run every 5 ms sees it.
double longestEventGap(const std::function<void()>& work) {
    QElapsedTimer sinceLast;
    double longest = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceLast.nsecsElapsed() / 1e6);
        sinceLast.restart();
    });
    tick.start(5);
    sinceLast.start();
    work();
    longest = std::max(longest, sinceLast.nsecsElapsed() / 1e6);
    return longest;
}

QString everydayLines() {
    QFile file(TALLIX_EVERYDAY_LINES);
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(file.readAll());
}

int linesDifferent(const QStringList& a, const QStringList& b) {
    int different = std::abs(int(a.size() - b.size()));
    for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i)
        different += a[i] != b[i] ? 1 : 0;
    return different;
}

void timeRecalculation(CalcView& view, const char* what) {
    const QStringList before = view.toPlainText().split('\n');
    double ms = 0;
    const double gap = longestEventGap([&] {
        ms = millisecondsOf([&] {
            view.recalculateAll();
            QCoreApplication::processEvents();
        });
    });
    std::printf(
        "recalculate all, %s: %.0f ms, events waited at most %.0f ms (console %d lines, %d "
        "changed)\n",
        what, ms, gap, view.document()->blockCount(),
        linesDifferent(before, view.toPlainText().split('\n')));
}

// The 10,000 everyday lines at 15 digits: pasted (each evaluated), then
// recalculated as they stand, after a change to the first line, and as a
// sheet opened from a file.
void recalculateEverydayLines(Settings& settings) {
    const QString lines = everydayLines();
    if (lines.isEmpty()) {
        std::printf("recalc: cannot read %s\n", TALLIX_EVERYDAY_LINES);
        return;
    }
    CalcView view(settings);
    showAsInTheWindow(view);
    QGuiApplication::clipboard()->setText(lines);
    double pasteMs = 0;
    const double pasteGap = longestEventGap([&] {
        pasteMs = millisecondsOf([&] {
            view.paste();
            QCoreApplication::processEvents();
        });
    });
    std::printf(
        "paste of the 10,000 everyday lines: %.0f ms, events waited at most %.0f ms "
        "(console %d lines)\n",
        pasteMs, pasteGap, view.document()->blockCount());
    timeRecalculation(view, "as pasted");

    QTextCursor first(view.document()->firstBlock());
    first.select(QTextCursor::BlockUnderCursor);
    first.insertText("total = 0.23");
    timeRecalculation(view, "after a change to the first line");

    CalcView opened(settings);
    showAsInTheWindow(opened);
    showSheet(opened, QString::fromUtf8(sheetBytes(*view.document())));
    QCoreApplication::processEvents();
    timeRecalculation(opened, "opened from a file");

    // Every result hangs on the first line.
    CalcView chained(settings);
    showAsInTheWindow(chained);
    QString text = "x = 1\r\n";
    for (int i = 0; i < 10000; ++i)
        text += QString("x*%1+1/7\r\n").arg(i);
    QGuiApplication::clipboard()->setText(text);
    const double chainedPasteMs = millisecondsOf([&] {
        chained.paste();
        QCoreApplication::processEvents();
    });
    std::printf("paste of x = 1 and 10,000 lines x*i+1/7: %.0f ms\n", chainedPasteMs);
    QTextCursor x(chained.document()->firstBlock());
    x.select(QTextCursor::BlockUnderCursor);
    x.insertText("x = 2");
    timeRecalculation(chained, "x = 2 in place of x = 1");
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    Settings settings(dir.filePath("Tallix.conf"));
    registerBuiltinsOnce();
    set_precision(DEFAULT_PRECISION);  // as the window starts with a fresh store
    QStringList parts = app.arguments().mid(1);
    if (parts.isEmpty()) parts = {"paste", "enter", "huge", "recalc"};
    if (parts.contains("paste")) {
        evaluateTenThousandLines();
        pasteTenThousandLines(settings);
    }
    if (parts.contains("variables")) pasteOneHundredThousandNewVariables(settings);
    if (parts.contains("enter")) enterOnALongConsole(settings);
    if (parts.contains("huge")) {
        pasteOneMegabyteLine(settings);
        pasteThreeMegabytesOfShortLines(settings);
        escDuringAHugePaste(settings);
    }
    if (parts.contains("recalc")) recalculateEverydayLines(settings);
    return 0;
}
