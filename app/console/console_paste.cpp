// The console's paste: megabytes of lines, each evaluated as if typed.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTextBlock>
#include <QTimer>

#include "app/console/busy_cursor.h"
#include "app/console/calc_view.h"
#include "app/console/console_text.h"
#include "app/console/evaluation_worker.h"
#include "app/console/input_blocker.h"
#include "engine/engine.h"

namespace tallix {

namespace {

// How often a long paste lets the window show its progress and hear Esc.
constexpr int SHOW_PASTE_EVERY_MS = 30;
// How many lines the worker may be given ahead of the one the window shows.
constexpr qsizetype RUN_AHEAD = 64;

// Hands the worker the lines of a paste before the window reaches them, so
// that the worker never waits for the window between lines. Each result goes
// in as a line of its own in front of the next line, so the pieces land, one
// after the other, on the lines that followed the first one: the text of a
// line is its piece and the line it lands on, read here before the window
// changes that line.
class RunAhead {
  public:
    explicit RunAhead(EvaluationWorker& worker) : worker_(worker) {}

    // The lines after `line`, the current line of `pieces`, are to be read.
    void restart(const PasteReader& pieces, const QTextBlock& line) {
        pieces_ = pieces;
        landing_ = line.next();
        exhausted_ = false;
    }

    // Hands over up to `wanted` lines; returns how many it did.
    qsizetype topUp(qsizetype wanted) {
        qsizetype handed = 0;
        PastePiece piece;
        for (; handed < wanted && !exhausted_; ++handed) {
            if (!pieces_ || !pieces_->next(piece) || !piece.endsLine) {
                exhausted_ = true;
                break;
            }
            QString text = piece.text.toString();
            if (landing_.isValid()) {
                text += landing_.text();
                landing_ = landing_.next();
            }
            worker_.start(lineForEvaluation(text, MAX_LINE_BYTES));
        }
        return handed;
    }

  private:
    EvaluationWorker& worker_;
    std::optional<PasteReader> pieces_;
    QTextBlock landing_;  // the line the next piece handed over lands on
    bool exhausted_ = true;
};

}  // namespace

// A paste may be megabytes: it is inserted in steps, each one edit block so
// that the document is laid out once a step, and between steps the window
// shows how far it has come and hears Esc. Esc stops the evaluation; what
// was not yet inserted then goes in as it stands, so nothing pasted is lost.
// The insertions are no undo steps.
void CalcView::pasteText(const QString& text) {
    BusyCursor busy;
    InputBlocker blocker(this, [this] { stopEvaluation(); });
    document()->setUndoRedoEnabled(false);
    QTextCursor caret = textCursor();
    pasteCaret_ = &caret;
    stopping_ = false;
    PasteReader reader(text);
    caret.beginEditBlock();
    qsizetype unevaluated = pasteLines(caret, reader);
    const bool stopped = stopping_ && !ending_;
    if (stopped) unevaluated += insertUnevaluated(caret, reader);
    caret.endEditBlock();
    pasteCaret_ = nullptr;
    document()->setUndoRedoEnabled(true);
    if (ending_) return;
    setTextCursor(caret);
    ensureCursorVisible();
    forgetUndoHistory();
    if (stopped) emit pasteStopped(unevaluated);
}

// Inserts and evaluates piece after piece until the end, Esc or the end of
// the program, with the reader after the last piece inserted. Returns how
// many of the inserted lines Esc kept from being evaluated (one at most).
qsizetype CalcView::pasteLines(QTextCursor& caret, PasteReader& reader) {
    RunAhead ahead(*worker_);
    qsizetype queued = 0;  // lines handed over and not yet shown
    QElapsedTimer sinceShown;
    sinceShown.start();
    PastePiece piece;
    while (!ending_ && !(stopping_ && queued == 0) && reader.next(piece)) {
        caret.insertText(piece.text.toString());
        if (!piece.endsLine) break;
        const QTextBlock line = document()->findBlock(caret.selectionStart());
        if (queued == 0) {
            // The first line takes in the text around the caret: it is read
            // where it now stands.
            worker_->start(lineForEvaluation(line.text(), MAX_LINE_BYTES));
            ++queued;
            ahead.restart(reader, line);
        }
        // In batches: each hand-over may have to wake the worker.
        if (!stopping_ && queued <= RUN_AHEAD / 2) queued += ahead.topUp(RUN_AHEAD - queued);
        moveToNextLine(caret, line);
        const std::optional<QString> output = awaitLine();
        --queued;
        if (!output) {
            // Dropped by Esc, as is every line handed over after it; the
            // caret is on the next line already.
            for (; queued > 0; --queued)
                worker_->take();
            return 1;
        }
        insertOutput(caret, *output);
        if (sinceShown.elapsed() >= SHOW_PASTE_EVERY_MS) {
            showPasteSoFar();
            letEventsRun();
            sinceShown.restart();
        }
    }
    // The program is ending: nothing more is shown, and no line may run on.
    dropQueuedLines(queued);
    return 0;
}

// Inserts the rest of a paste as it stands, in steps like the evaluated part
// (inserting megabytes takes a while too); returns how many complete lines
// it held.
qsizetype CalcView::insertUnevaluated(QTextCursor& caret, PasteReader& reader) {
    constexpr int LINES_A_STEP = 2000;
    qsizetype lines = 0;
    QElapsedTimer sinceShown;
    sinceShown.start();
    while (!ending_) {
        const QStringView step = reader.rest();
        PastePiece piece;
        for (int n = 0; n < LINES_A_STEP && reader.next(piece); ++n)
            lines += piece.endsLine ? 1 : 0;
        if (step.size() == reader.rest().size()) break;
        caret.insertText(step.first(step.size() - reader.rest().size()).toString());
        if (sinceShown.elapsed() >= SHOW_PASTE_EVERY_MS) {
            showPasteSoFar();
            letEventsRun();
            sinceShown.restart();
        }
    }
    return lines;
}

// Runs the events waiting now. The program's end ends every event loop,
// and one started after it ends at once: a result other than the loop's own
// says the program is ending.
void CalcView::letEventsRun() {
    constexpr int RAN = 1;
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&loop] { loop.exit(RAN); });
    if (loop.exec() != RAN) ending_ = true;
}

// Closes the paste's edit block, so that the window lays out and shows what
// has been inserted so far, with the caret in view.
// Lines still with the worker when a paste or a recalculation ends early (Esc, or the program
// ending): each is stopped if it runs on, and its output is dropped.
void CalcView::dropQueuedLines(qsizetype queued) {
    while (queued > 0) {
        if (!worker_->waitFor(std::chrono::milliseconds(50))) {
            stopEvaluation();
            continue;
        }
        worker_->take();
        --queued;
    }
}

void CalcView::showPasteSoFar() {
    pasteCaret_->endEditBlock();
    setTextCursor(*pasteCaret_);
    ensureCursorVisible();
    pasteCaret_->beginEditBlock();
}

}  // namespace tallix
