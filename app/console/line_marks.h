#pragma once

#include <QHash>
#include <QString>
#include <QTextBlock>
#include <QTextBlockUserData>
#include <functional>
#include <optional>
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

// The mark a line carries, kept as the block's user data. It keeps a hash of
// the text rather than the text: a console may hold hundreds of thousands of
// results.
class LineMark : public QTextBlockUserData {
  public:
    LineMark(LineOrigin origin, const QString& text)
        : origin(origin), length(text.size()), hash(qHash(text)) {}
    bool matches(const QString& text) const { return text.size() == length && qHash(text) == hash; }
    const LineOrigin origin;
    const qsizetype length;  // of the line's text when it was marked
    const size_t hash;
};

LineOrigin originOf(const QTextBlock& line);
// Marks `line` as `origin` with the text it holds, or will hold once the
// caller has put `text` in.
void markLine(QTextBlock line, LineOrigin origin, const QString& text);
void markLine(QTextBlock line, LineOrigin origin);
// Gives `line` a copy of `mark` (or no mark).
void copyMark(QTextBlock line, const LineMark* mark);
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
        LineMark mark;
    };
    std::vector<Entry> entries_;
};

// Adds to the document's open edit block an undo step that puts `marks`
// back, after `refresh`, when the block is undone (`onUndo`) or redone.
void addMarksUndoStep(QTextDocument& document, LineMarks marks, bool onUndo,
                      std::function<void()> refresh);

// Keeps the marks of a document with the undo step of an edit block that
// changes its text: the marks as they were come back with an undo, the marks
// as they are at the end with a redo. An edit block that ends up changing no
// text adds no undo step at all.
class MarksUndo {
  public:
    // Call inside the edit block, before it changes anything.
    MarksUndo(QTextDocument& document, std::function<void()> refresh);
    // Call before each change of the text.
    void beforeTextChange();
    // Call inside the edit block, after its last change.
    void finish();

  private:
    QTextDocument& document_;
    std::function<void()> refresh_;
    std::optional<LineMarks> before_;  // until the first change of the text
    bool changed_ = false;
};

}  // namespace tallix
