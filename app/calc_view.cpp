#include "app/calc_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFontDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTimer>

#include "app/console_text.h"
#include "app/evaluation_worker.h"
#include "app/font_record.h"
#include "app/input_blocker.h"
#include "app/settings.h"
#include "engine/engine.h"

namespace tallix {

namespace {

// Shows the busy cursor for the lifetime of the object; nests.
class BusyCursor {
  public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

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

// The font dialog offers no effects: a console font has no underline,
// strike-out or colour.
void hideEffects(QFontDialog& dialog) {
    for (QGroupBox* group : dialog.findChildren<QGroupBox*>()) {
        if (!group->findChildren<QCheckBox*>().isEmpty()) group->hide();
    }
}

}  // namespace

CalcView::CalcView(Settings& settings, QWidget* parent, LineEvaluator evaluator)
    : QPlainTextEdit(parent), settings_(settings) {
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFont(fontFromSetting(settings_.font()));
    registerBuiltinsOnce();
    worker_ = std::make_unique<EvaluationWorker>(std::move(evaluator), [this] {
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
    const QByteArray text = lineForEvaluation(line.text(), MAX_LINE_BYTES);
    if (line.next().isValid()) {
        caret.setPosition(line.next().position());
    } else {
        caret.movePosition(QTextCursor::End);
        caret.insertBlock();
    }
    const QString output = runLine(text);
    if (output.isEmpty()) return;
    caret.insertText(output);
    caret.insertBlock();
}

QString CalcView::runLine(const QByteArray& text) {
    lineStopped_ = false;
    worker_->start(text);
    // Nearly every line ends within microseconds; only a slow one is worth
    // an event loop (and the repaints it brings, which a long paste would
    // otherwise pay for on every line).
    if (!worker_->waitFor(std::chrono::milliseconds(50))) waitForSlowLine();
    return worker_->take();
}

void CalcView::waitForSlowLine() {
    bool stopping = false;
    InputBlocker blocker([&stopping] {
        stopping = true;
        request_stop();
    });
    QElapsedTimer clock;
    clock.start();
    QTimer tick;
    connect(&tick, &QTimer::timeout, this, [&] {
        // Repeated: a request that lands just before the line starts is
        // forgotten by it.
        if (stopping) request_stop();
        if (clock.elapsed() >= 500) emit evaluationRunning(clock.elapsed());
    });
    tick.start(100);

    QEventLoop loop;
    waiting_ = &loop;
    if (!worker_->waitFor(std::chrono::milliseconds(0))) loop.exec();
    waiting_ = nullptr;
    // Still running: the program is ending, and the line must end before
    // the engine's state goes.
    while (!worker_->waitFor(std::chrono::milliseconds(50))) {
        stopping = true;
        request_stop();
    }
    lineStopped_ = stopping;
    emit evaluationEnded();
}

// Runs on this thread once the worker has ended a line; notices of lines
// that ended without an event loop are stale and change nothing.
void CalcView::lineFinished() {
    if (waiting_ && worker_->waitFor(std::chrono::milliseconds(0))) waiting_->quit();
}

void CalcView::insertFromMimeData(const QMimeData* source) {
    if (source && source->hasText()) pasteText(source->text());
}

void CalcView::pasteText(const QString& text) {
    BusyCursor busy;
    QTextCursor caret = textCursor();
    // One edit block lets the document lay itself out once, not once per line.
    caret.beginEditBlock();
    for (const PastePiece& piece : splitPaste(text)) {
        caret.insertText(piece.text);
        if (!piece.endsLine) continue;
        evaluateLineAt(caret);
        if (lineStopped_) break;  // Esc: the rest of the paste is dropped too
    }
    caret.endEditBlock();
    setTextCursor(caret);
    ensureCursorVisible();
    forgetUndoHistory();
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

void CalcView::chooseFont() {
    QFontDialog dialog(font(), this);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    hideEffects(dialog);
    if (dialog.exec() != QDialog::Accepted) return;
    const LogFont record = fromQFont(dialog.selectedFont());
    setFont(toQFont(record));
    settings_.setFont(encodeLogFont(record));
}

}  // namespace tallix
