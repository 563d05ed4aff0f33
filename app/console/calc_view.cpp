#include "app/console/calc_view.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMimeData>
#include <QResizeEvent>
#include <QTextBlock>
#include <QTimer>

#include "app/console/busy_cursor.h"
#include "app/console/console_text.h"
#include "app/console/evaluation_worker.h"
#include "app/console/fallback_fit.h"
#include "app/console/input_blocker.h"
#include "app/console/line_marks.h"
#include "app/console/result_highlighter.h"
#include "app/settings/font_record.h"
#include "app/settings/settings.h"
#include "engine/engine.h"

namespace tallix {

namespace {

constexpr int LINE_ENDED = 1;

Qt::KeyboardModifiers chordModifiers(const QKeyEvent* event) {
    return event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
}

bool isEnterKey(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

bool isCtrlM(const QKeyEvent* event) {
    return event->key() == Qt::Key_M && chordModifiers(event) == Qt::ControlModifier;
}

bool isAltBackspace(const QKeyEvent* event) {
    return event->key() == Qt::Key_Backspace && chordModifiers(event) == Qt::AltModifier;
}

}  // namespace

CalcView::CalcView(Settings& settings, QWidget* parent, LineEvaluator evaluator)
    : QPlainTextEdit(parent), settings_(settings) {
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Like a terminal, each row fills to the window's edge. At word boundaries a long
    // number would break where it allows a break, after its decimal point or a "'",
    // and leave "1." alone on a row as if it were the whole result; such wrapping
    // also costs time growing with the square of a line that runs on without one.
    setWordWrapMode(QTextOption::WrapAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFont(fontFromSetting(settings_.font()));
    // A screen reader finds the console by this name; each result reaches it as text
    // inserted here.
    setAccessibleName(QStringLiteral("計算コンソール"));
    setAccessibleDescription(
        QStringLiteral("式の行で Enter を押すとその行が計算され、結果が次の行に入ります。"));
    fallbackFit_ = new FallbackFit(document());
    fallbackFit_->setConsoleFont(font());
    highlighter_ = new ResultHighlighter(document(), palette(), fallbackFit_);
    registerBuiltinsOnce();
    worker_ = std::make_unique<EvaluationWorker>(std::move(evaluator), [this] {
        // Only a slow line is waited for in an event loop; the thousands of
        // lines of a paste need no word each.
        if (awaitingSlowLine_)
            QMetaObject::invokeMethod(this, &CalcView::lineFinished, Qt::QueuedConnection);
    });
}

CalcView::~CalcView() = default;

void CalcView::enter() {
    BusyCursor busy;
    QTextCursor caret = textCursor();
    evaluateLineAt(caret);
    setTextCursor(caret);
    ensureCursorVisible();
    forgetUndoHistory();
}

// The whole line of the selection start is evaluated, however far into it the
// caret stands, and the caret goes to the start of the following line (a new
// one at the end of the text). The output, if any, becomes a line of its own
// there, and the caret ends on the line after it.
void CalcView::evaluateLineAt(QTextCursor& caret) {
    const QTextBlock line = document()->findBlock(caret.selectionStart());
    stopping_ = false;
    worker_->start(lineForEvaluation(line.text(), MAX_LINE_BYTES));
    moveToNextLine(caret, line);
    insertOutput(caret, awaitLine().value_or(QString()));
}

void CalcView::moveToNextLine(QTextCursor& caret, const QTextBlock& line) {
    if (line.next().isValid()) {
        caret.setPosition(line.next().position());
    } else {
        caret.movePosition(QTextCursor::End);
        caret.insertBlock();
    }
}

// The output goes in as a line marked as the console's result, in front of
// the line at the caret, which keeps its own mark.
void CalcView::insertOutput(QTextCursor& caret, const QString& output) {
    if (output.isEmpty()) return;
    const auto* nextMark = static_cast<const LineMark*>(caret.block().userData());
    const std::optional<LineMark> kept =
        nextMark ? std::optional<LineMark>(*nextMark) : std::nullopt;
    caret.insertBlock();
    copyMark(caret.block(), kept ? &*kept : nullptr);
    markLine(caret.block().previous(), LineOrigin::Result, output);
    QTextCursor result(caret.block().previous());
    result.insertText(output);
    highlighter_->rehighlightBlock(caret.block());
}

// The output of the oldest line handed to the worker, or nothing when Esc
// dropped it before it began.
std::optional<QString> CalcView::awaitLine() {
    // Nearly every line ends within microseconds; only a slow one is worth
    // an event loop (and the repaints it brings, which a long paste would
    // otherwise pay for on every line).
    if (!worker_->waitFor(std::chrono::milliseconds(50))) waitForSlowLine();
    return worker_->take();
}

void CalcView::waitForSlowLine() {
    if (pasteCaret_) showPasteSoFar();
    if (recalcCursor_) showRecalcSoFar();
    InputBlocker blocker(this, [this] { stopEvaluation(); });
    QElapsedTimer clock;
    clock.start();
    QTimer tick;
    connect(&tick, &QTimer::timeout, this, [&] {
        // Repeated: a request that lands just before the line starts is
        // forgotten by it.
        if (stopping_) request_stop();
        if (clock.elapsed() >= 500) emit evaluationRunning(clock.elapsed());
    });
    tick.start(100);

    QEventLoop loop;
    waiting_ = &loop;
    awaitingSlowLine_ = true;
    // The loop ends with LINE_ENDED when the line ends; anything else is
    // the program ending, which ends every loop.
    if (!worker_->waitFor(std::chrono::milliseconds(0)) && loop.exec() != LINE_ENDED)
        ending_ = true;
    awaitingSlowLine_ = false;
    waiting_ = nullptr;
    // Still running: the program is ending, and the line must end before
    // the engine's state goes.
    while (!worker_->waitFor(std::chrono::milliseconds(50)))
        stopEvaluation();
    emit evaluationEnded();
}

// The lines a paste handed over ahead are dropped first, so that none of
// them begins after the request.
void CalcView::stopEvaluation() {
    stopping_ = true;
    worker_->dropWaiting();
    request_stop();
}

// Runs on this thread once the worker has ended a line; notices of lines
// that ended without an event loop are stale and change nothing.
void CalcView::lineFinished() {
    if (waiting_ && worker_->waitFor(std::chrono::milliseconds(0))) waiting_->exit(LINE_ENDED);
}

void CalcView::insertFromMimeData(const QMimeData* source) {
    if (source && source->hasText()) pasteText(source->text());
}

void CalcView::forgetUndoHistory() {
    document()->clearUndoRedoStacks();
    // A paste from a drop runs inside the drop's own edit block, whose closing
    // records one more step: forget that one too once it is done.
    QMetaObject::invokeMethod(
        this, [this] { document()->clearUndoRedoStacks(); }, Qt::QueuedConnection);
}

void CalcView::requestClose() {
    if (QWidget* frame = window()) {
        QMetaObject::invokeMethod(frame, &QWidget::close, Qt::QueuedConnection);
    }
}

// A status bar that comes while a line runs (or to tell of a stopped paste)
// takes its height from the console: the line being worked on stays in view.
void CalcView::resizeEvent(QResizeEvent* event) {
    const int shrunk = event->oldSize().height() - event->size().height();
    const QRect caret = cursorRect();
    const bool caretShown = caret.bottom() >= 0 && caret.top() < viewport()->height() + shrunk;
    QPlainTextEdit::resizeEvent(event);
    if (shrunk > 0 && caretShown) ensureCursorVisible();
}

bool CalcView::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        // These keys are the console's own, even where a menu shortcut shares them.
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape || isAltBackspace(key)) {
            event->accept();
            return true;
        }
    }
    return QPlainTextEdit::event(event);
}

void CalcView::changeEvent(QEvent* event) {
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange && fallbackFit_) fallbackFit_->setConsoleFont(font());
    if (event->type() == QEvent::PaletteChange && highlighter_) highlighter_->setPalette(palette());
}

void CalcView::keyPressEvent(QKeyEvent* event) {
    if (isEnterKey(event) && chordModifiers(event) == Qt::ControlModifier) {
        // Ctrl+Enter only breaks the line.
        QTextCursor caret = textCursor();
        caret.insertBlock();
        setTextCursor(caret);
        ensureCursorVisible();
        return;
    }
    if ((isEnterKey(event) && chordModifiers(event) == Qt::NoModifier) || isCtrlM(event)) {
        enter();
        return;
    }
    if (isAltBackspace(event)) {
        undo();
        return;
    }
    if (event->key() == Qt::Key_Escape) requestClose();
    QPlainTextEdit::keyPressEvent(event);
}

}  // namespace tallix
