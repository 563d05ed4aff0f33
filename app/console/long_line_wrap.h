#pragma once

#include <QObject>

class QPlainTextEdit;

namespace tallix {

// Wrapping at word boundaries costs time that grows with the square of a
// line's length once a line runs on without a break for longer than the
// window is wide: a pasted megabyte on one line took minutes to lay out.
// While the console holds a line that long, it wraps anywhere instead, which
// costs time in proportion to the text; otherwise it wraps at word boundaries.
class LongLineWrap : public QObject {
  public:
    // Lines of more characters than this make the console wrap anywhere.
    static constexpr int LONG_LINE = 10'000;

    explicit LongLineWrap(QPlainTextEdit* view);

  private:
    void contentsChanged(int position, int removed, int added);
    void recheckWholeText();
    bool holdsLongLine() const;
    void wrapAnywhere(bool anywhere);

    QPlainTextEdit* view_;
    bool anywhere_ = false;
    bool recheckQueued_ = false;
};

}  // namespace tallix
