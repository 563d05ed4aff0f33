#pragma once

#include <QPlainTextEdit>

#include "app/line_evaluator.h"

namespace tallix {

class Settings;

// The console: one editable text where Enter evaluates the line holding the
// caret and puts the result on a line of its own below it. Pasted text is
// entered line by line as if typed, each complete line evaluated in turn.
// Results and the line breaks Enter makes are not undo steps: the undo
// history only ever holds typing since the last evaluation.
class CalcView : public QPlainTextEdit {
    Q_OBJECT
  public:
    // The font comes from `settings` (and goes back there when changed).
    explicit CalcView(Settings& settings, QWidget* parent = nullptr,
                      LineEvaluator evaluator = evaluateWithEngine);

    // Evaluates the line of the selection start, as the Enter key does.
    void enter();
    // Lets the user choose the console font and keeps the choice.
    void chooseFont();

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

  private:
    void evaluateLineAt(QTextCursor& caret);
    void pasteText(const QString& text);
    void forgetUndoHistory();
    void requestClose();

    Settings& settings_;
    LineEvaluator evaluator_;
};

}  // namespace tallix
