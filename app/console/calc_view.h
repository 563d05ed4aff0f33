// The console room: the text area where lines are typed and evaluated, and what serves it
// (pasting, wrapping, fallback fonts, the evaluation worker). It uses the engine's public header
// and the settings store, and opens no dialog: the program around it does that.
#pragma once

#include <QPlainTextEdit>
#include <atomic>
#include <memory>
#include <optional>

#include "app/console/console_text.h"
#include "app/console/line_evaluator.h"

class QEventLoop;
class QTextBlock;

namespace tallix {

class EvaluationWorker;
class FallbackFit;
class MarksUndo;
class ResultHighlighter;
class Settings;

// The console: one editable text where Enter evaluates the line holding the
// caret and puts the result on a line of its own below it. Pasted text is
// entered line by line as if typed, each complete line evaluated in turn.
// Results and the line breaks Enter makes are not undo steps: the undo
// history only ever holds typing since the last evaluation, and a
// recalculation of every line, which one undo takes back whole.
//
// Lines are evaluated on a thread of their own. While a slow one runs, or a
// paste goes on, the window stays drawn and takes no input but Esc, which
// stops the running line (it ends with error 2) and the evaluation of the
// rest of a paste: what remains of it is inserted as it stands.
class CalcView : public QPlainTextEdit {
    Q_OBJECT
  public:
    // The font comes from `settings` (and goes back there when changed).
    explicit CalcView(Settings& settings, QWidget* parent = nullptr,
                      LineEvaluator evaluator = evaluateWithEngine);
    ~CalcView() override;

    // Evaluates the line of the selection start, as the Enter key does.
    void enter();
    // Evaluates every line again from the top with a fresh set of variables,
    // each output in place of the result line the console inserted below its
    // line earlier. Lines the user typed are never overwritten.
    void recalculateAll();
    // Whether a slow line runs, a paste or a recalculation goes on: this view
    // is running events further down the stack.
    bool isEvaluating() const {
        return waiting_ != nullptr || pasteCaret_ != nullptr || recalcCursor_ != nullptr;
    }

  signals:
    // A line has run for `elapsedMs` and still runs; repeated as it goes on.
    void evaluationRunning(qint64 elapsedMs);
    // The slow line has ended.
    void evaluationEnded();
    // Esc stopped a paste; its last `unevaluated` complete lines were inserted
    // without being evaluated.
    void pasteStopped(qsizetype unevaluated);
    // A recalculation has reached line `line` of `lines`.
    void recalculationProgress(int line, int lines);
    // The recalculation is over; Esc left its last `unevaluated` lines as they
    // were (0 when it went through).
    void recalculationEnded(qsizetype unevaluated);

  protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void evaluateLineAt(QTextCursor& caret);
    void moveToNextLine(QTextCursor& caret, const QTextBlock& line);
    void insertOutput(QTextCursor& caret, const QString& output);
    std::optional<QString> awaitLine();
    void waitForSlowLine();
    void lineFinished();
    void pasteText(const QString& text);
    qsizetype pasteLines(QTextCursor& caret, PasteReader& reader);
    qsizetype insertUnevaluated(QTextCursor& caret, PasteReader& reader);
    void showPasteSoFar();
    void dropQueuedLines(qsizetype queued);
    QTextBlock recalculateLines(QTextCursor& editor, MarksUndo& undo);
    void placeOutput(QTextCursor& editor, MarksUndo& undo, const QTextBlock& line,
                     const QString& output, bool oldResult);
    void appendResultLine(QTextCursor& editor, MarksUndo& undo, const QString& output);
    void showRecalcSoFar();
    void letEventsRun();
    void stopEvaluation();
    void forgetUndoHistory();
    void requestClose();

    Settings& settings_;
    FallbackFit* fallbackFit_ = nullptr;
    ResultHighlighter* highlighter_ = nullptr;
    std::unique_ptr<EvaluationWorker> worker_;
    QEventLoop* waiting_ = nullptr;               // while a slow line runs
    QTextCursor* pasteCaret_ = nullptr;           // while a paste goes on
    QTextCursor* recalcCursor_ = nullptr;         // while a recalculation goes on
    bool stopping_ = false;                       // Esc came during the line or the paste
    bool ending_ = false;                         // the program is ending
    std::atomic<bool> awaitingSlowLine_ = false;  // read by the worker thread
};

}  // namespace tallix
