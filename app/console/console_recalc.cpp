// Recalculate all: every line again from the top, with a fresh set of
// variables, each result put in place of the one the console inserted earlier.
#include <QElapsedTimer>
#include <QTextBlock>
#include <deque>

#include "app/console/busy_cursor.h"
#include "app/console/calc_view.h"
#include "app/console/console_text.h"
#include "app/console/evaluation_worker.h"
#include "app/console/input_blocker.h"
#include "app/console/line_marks.h"
#include "app/console/result_highlighter.h"
#include "engine/engine.h"

namespace tallix {

namespace {

constexpr int SHOW_RECALC_EVERY_MS = 30;
constexpr qsizetype RUN_AHEAD = 64;

// Whether a line is input depends on the line before it: a result the
// console inserted below an input line is that line's old result; a line of
// an opened sheet that reads as an output is the old result only when the
// line above gave an output now.
enum class Role { Input, OldResult, Either };

struct PlannedLine {
    QTextBlock line;
    LineOrigin origin;
    bool handedOver;  // its output comes from the worker, in turn
};

// Walks ahead of the lines being changed and hands the worker every line
// that is, or may be, input. A line that may be either reads as an output
// (a number or an error line), and evaluating such a line changes no
// variable: it can be evaluated on the chance that it is input, and its
// output dropped when it turns out to be an old result.
class Scout {
  public:
    Scout(QTextBlock first, EvaluationWorker& worker) : next_(first), worker_(worker) {}

    // Plans lines until `wanted` more are handed over or the text ends.
    qsizetype topUp(std::deque<PlannedLine>& plan, qsizetype wanted) {
        qsizetype handed = 0;
        for (; handed < wanted && next_.isValid(); next_ = next_.next()) {
            const PlannedLine planned = classify(next_);
            if (planned.handedOver) {
                worker_.start(lineForEvaluation(next_.text(), MAX_LINE_BYTES));
                ++handed;
            }
            plan.push_back(planned);
        }
        return handed;
    }

    // Plans the next line without handing it over: after Esc, the line that
    // tells where the last output goes.
    void planUnevaluated(std::deque<PlannedLine>& plan) {
        if (!next_.isValid()) return;
        PlannedLine planned = classify(next_);
        planned.handedOver = false;
        plan.push_back(planned);
        next_ = next_.next();
    }

    QTextBlock nextLine() const { return next_; }

  private:
    PlannedLine classify(const QTextBlock& line) {
        LineOrigin origin = originOf(line);
        const bool readsAsOutput =
            origin != LineOrigin::Typed && has_output_shape(line.text().toStdString());
        if (!readsAsOutput) origin = LineOrigin::Typed;
        Role role = Role::Input;
        if (origin == LineOrigin::Result) {
            role = previous_ == Role::Input
                       ? Role::OldResult
                       : (previous_ == Role::Either ? Role::Either : Role::Input);
        } else if (origin == LineOrigin::Opened) {
            role = previous_ == Role::OldResult ? Role::Input : Role::Either;
        }
        previous_ = role;
        return PlannedLine{line, origin, role != Role::OldResult};
    }

    QTextBlock next_;
    EvaluationWorker& worker_;
    Role previous_ = Role::OldResult;  // the first line is input
};

}  // namespace

// Runs in steps like a paste: between steps the window shows the progress
// and hears Esc, which stops the recalculation with the rest of the lines as
// they were. The whole recalculation is one undo step, marks included.
void CalcView::recalculateAll() {
    if (isEvaluating()) return;
    BusyCursor busy;
    InputBlocker blocker(this, [this] { stopEvaluation(); });
    forget_variables();
    QTextCursor editor(document());
    recalcCursor_ = &editor;
    stopping_ = false;
    editor.beginEditBlock();
    QTextCursor caret = textCursor();
    caret.setKeepPositionOnInsert(true);
    MarksUndo undo(*document(), [this] { highlighter_->rehighlight(); });
    const QTextBlock stoppedAt = recalculateLines(editor, undo);
    undo.finish();
    editor.endEditBlock();
    recalcCursor_ = nullptr;
    if (ending_) return;
    setTextCursor(caret);
    const qsizetype unevaluated =
        stoppedAt.isValid() ? document()->blockCount() - stoppedAt.blockNumber() : 0;
    emit recalculationEnded(unevaluated);
}

// Returns the first line left as it was, or an invalid line when every line
// was recalculated.
QTextBlock CalcView::recalculateLines(QTextCursor& editor, MarksUndo& undo) {
    Scout scout(document()->begin(), *worker_);
    std::deque<PlannedLine> plan;
    qsizetype queued = 0;            // lines handed over, their output not yet taken
    std::optional<QString> pending;  // the output of the input line just before
    QElapsedTimer sinceShown;
    sinceShown.start();
    QTextBlock stoppedAt;
    while (!ending_) {
        if (!stopping_ && queued <= RUN_AHEAD / 2) queued += scout.topUp(plan, RUN_AHEAD - queued);
        if (plan.empty() && stopping_ && pending) scout.planUnevaluated(plan);
        if (plan.empty()) break;
        const PlannedLine planned = plan.front();
        plan.pop_front();
        std::optional<QString> output;
        if (planned.handedOver) {
            output = awaitLine();
            --queued;
        }
        if (pending) {
            const bool oldResult = planned.origin == LineOrigin::Result ||
                                   (planned.origin == LineOrigin::Opened && !pending->isEmpty());
            placeOutput(editor, undo, planned.line, *pending, oldResult);
            pending.reset();
            if (oldResult) continue;
        }
        if (!output) {
            // Esc dropped it, and every line handed over after it.
            stoppedAt = planned.line;
            break;
        }
        if (planned.line.userData() != nullptr) {
            unmarkLine(planned.line);
            // Only a line that reads as an output was coloured as a result.
            if (planned.origin != LineOrigin::Typed) highlighter_->rehighlightBlock(planned.line);
        }
        pending = std::move(output);
        if (sinceShown.elapsed() >= SHOW_RECALC_EVERY_MS) {
            emit recalculationProgress(planned.line.blockNumber(), document()->blockCount());
            showRecalcSoFar();
            letEventsRun();
            sinceShown.restart();
        }
    }
    if (pending && !pending->isEmpty() && !ending_) appendResultLine(editor, undo, *pending);
    if (stopping_ && !stoppedAt.isValid())
        stoppedAt = plan.empty() ? scout.nextLine() : plan.front().line;
    // Dropped by Esc, or to be stopped: the program is ending.
    dropQueuedLines(queued);
    return stoppedAt;
}

// The output of the input line above `line`: in place of `line` when that is
// its old result (or `line` goes when there is no output now), else as a new
// line in front of it.
void CalcView::placeOutput(QTextCursor& editor, MarksUndo& undo, const QTextBlock& line,
                           const QString& output, bool oldResult) {
    if (!oldResult) {
        if (output.isEmpty()) return;
        undo.beforeTextChange();
        editor.setPosition(line.position() - 1);
        editor.insertBlock();
        markLine(editor.block(), LineOrigin::Result, output);
        editor.insertText(output);
        return;
    }
    if (output.isEmpty()) {
        undo.beforeTextChange();
        // The line goes with the line break in front of it; what is left is
        // the input line above, the user's.
        editor.setPosition(line.position() - 1);
        editor.setPosition(line.position() + line.length() - 1, QTextCursor::KeepAnchor);
        editor.removeSelectedText();
        unmarkLine(editor.block());
        return;
    }
    // The same text keeps its colour: an opened line that reads as an output
    // is coloured as a result already.
    if (line.text() == output) {
        if (originOf(line) != LineOrigin::Result) markLine(line, LineOrigin::Result, output);
        return;
    }
    undo.beforeTextChange();
    markLine(line, LineOrigin::Result, output);
    editor.setPosition(line.position());
    editor.setPosition(line.position() + line.length() - 1, QTextCursor::KeepAnchor);
    editor.insertText(output);
}

void CalcView::appendResultLine(QTextCursor& editor, MarksUndo& undo, const QString& output) {
    undo.beforeTextChange();
    editor.movePosition(QTextCursor::End);
    editor.insertBlock();
    markLine(editor.block(), LineOrigin::Result, output);
    editor.insertText(output);
}

// Lets the window lay out what has changed so far; the changes stay in one
// undo step.
void CalcView::showRecalcSoFar() {
    recalcCursor_->endEditBlock();
    recalcCursor_->joinPreviousEditBlock();
}

}  // namespace tallix
