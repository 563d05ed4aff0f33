#include "app/console/line_marks.h"

#include <QAbstractUndoItem>
#include <QTextDocument>

namespace tallix {

namespace {

// Undone or redone as the last part of its edit block: when the step that
// puts marks back after an undo is added first, it is undone last, once the
// lines are as they were.
class MarksUndoItem : public QAbstractUndoItem {
  public:
    MarksUndoItem(QTextDocument& document, LineMarks marks, bool onUndo,
                  std::function<void()> refresh)
        : document_(document),
          marks_(std::move(marks)),
          onUndo_(onUndo),
          refresh_(std::move(refresh)) {}
    void undo() override {
        if (onUndo_) apply();
    }
    void redo() override {
        if (!onUndo_) apply();
    }

  private:
    void apply() {
        marks_.applyTo(document_);
        if (refresh_) refresh_();
    }

    QTextDocument& document_;
    const LineMarks marks_;
    const bool onUndo_;
    const std::function<void()> refresh_;
};

}  // namespace

LineOrigin originOf(const QTextBlock& line) {
    const auto* mark = static_cast<const LineMark*>(line.userData());
    if (mark == nullptr || !mark->matches(line.text())) return LineOrigin::Typed;
    return mark->origin;
}

void markLine(QTextBlock line, LineOrigin origin, const QString& text) {
    if (origin == LineOrigin::Typed) {
        unmarkLine(line);
    } else {
        line.setUserData(new LineMark(origin, text));
    }
}

void markLine(QTextBlock line, LineOrigin origin) {
    markLine(line, origin, line.text());
}

void copyMark(QTextBlock line, const LineMark* mark) {
    if (mark == nullptr) {
        unmarkLine(line);
    } else {
        line.setUserData(new LineMark(*mark));
    }
}

void unmarkLine(QTextBlock line) {
    if (line.userData() != nullptr) line.setUserData(nullptr);
}

LineMarks LineMarks::of(const QTextDocument& document) {
    LineMarks marks;
    for (QTextBlock line = document.begin(); line.isValid(); line = line.next()) {
        if (originOf(line) != LineOrigin::Typed)
            marks.entries_.push_back(
                {line.blockNumber(), *static_cast<const LineMark*>(line.userData())});
    }
    return marks;
}

void LineMarks::applyTo(QTextDocument& document) const {
    for (QTextBlock line = document.begin(); line.isValid(); line = line.next())
        unmarkLine(line);
    for (const Entry& entry : entries_)
        copyMark(document.findBlockByNumber(entry.line), &entry.mark);
}

void addMarksUndoStep(QTextDocument& document, LineMarks marks, bool onUndo,
                      std::function<void()> refresh) {
    document.appendUndoItem(
        new MarksUndoItem(document, std::move(marks), onUndo, std::move(refresh)));
}

}  // namespace tallix

namespace tallix {

MarksUndo::MarksUndo(QTextDocument& document, std::function<void()> refresh)
    : document_(document), refresh_(std::move(refresh)), before_(LineMarks::of(document)) {}

void MarksUndo::beforeTextChange() {
    if (changed_) return;
    changed_ = true;
    addMarksUndoStep(document_, std::move(*before_), true, refresh_);
    before_.reset();
}

void MarksUndo::finish() {
    if (changed_) addMarksUndoStep(document_, LineMarks::of(document_), false, refresh_);
}

}  // namespace tallix
