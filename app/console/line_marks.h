#pragma once

#include <QString>
#include <QTextBlock>
#include <QTextBlockUserData>
#include <functional>
#include <vector>

class QTextDocument;

namespace tallix {

// Where a console line came from. The console marks the lines it puts in
// itself; a line without a mark, or whose text is no longer the text it was
// marked with (the user edited it), is the user's own.
enum class LineOrigin {
    Typed,   // the user's: always input, never overwritten
    Result,  // a result the console inserted below a line
    Opened,  // read from a file, not yet told apart (results or input)
};

// The mark a line carries, kept as the block's user data.
class LineMark : public QTextBlockUserData {
  public:
    LineMark(LineOrigin origin, QString text) : origin(origin), text(std::move(text)) {}
    const LineOrigin origin;
    const QString text;  // the line's text when it was marked
};

LineOrigin originOf(const QTextBlock& line);
// Marks `line` as `origin` with the text it holds, or will hold once the
// caller has put `text` in.
void markLine(QTextBlock line, LineOrigin origin, const QString& text);
void markLine(QTextBlock line, LineOrigin origin);
// The line is the user's from now on.
void unmarkLine(QTextBlock line);

// The marks of a whole document by line number, to put back after an undo
// or redo (which rebuilds the lines without them).
class LineMarks {
  public:
    static LineMarks of(const QTextDocument& document);
    void applyTo(QTextDocument& document) const;

  private:
    struct Entry {
        int line;
        LineOrigin origin;
        QString text;
    };
    std::vector<Entry> entries_;
};

// Adds to the document's open edit block an undo step that puts `marks`
// back, after `refresh`, when the block is undone (`onUndo`) or redone.
void addMarksUndoStep(QTextDocument& document, LineMarks marks, bool onUndo,
                      std::function<void()> refresh);

}  // namespace tallix
