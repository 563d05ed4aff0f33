#include "app/console/long_line_wrap.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTimer>

namespace tallix {

LongLineWrap::LongLineWrap(QPlainTextEdit* view) : QObject(view), view_(view) {
    connect(view_->document(), &QTextDocument::contentsChange, this,
            &LongLineWrap::contentsChanged);
    wrapAnywhere(holdsLongLine());
}

// Only the lines a change touched can have grown long; any removal may have
// taken the last long line away, which only a look at every line can tell,
// once the edits of the moment are over.
void LongLineWrap::contentsChanged(int position, int removed, int added) {
    if (!anywhere_) {
        QTextBlock block = view_->document()->findBlock(position);
        const QTextBlock last = view_->document()->findBlock(position + added);
        for (; block.isValid(); block = block.next()) {
            if (block.length() > LONG_LINE) {
                wrapAnywhere(true);
                return;
            }
            if (block == last) break;
        }
    } else if (removed > 0 && !recheckQueued_) {
        recheckQueued_ = true;
        QTimer::singleShot(0, this, &LongLineWrap::recheckWholeText);
    }
}

void LongLineWrap::recheckWholeText() {
    recheckQueued_ = false;
    wrapAnywhere(holdsLongLine());
}

bool LongLineWrap::holdsLongLine() const {
    for (QTextBlock block = view_->document()->begin(); block.isValid(); block = block.next()) {
        if (block.length() > LONG_LINE) return true;
    }
    return false;
}

void LongLineWrap::wrapAnywhere(bool anywhere) {
    anywhere_ = anywhere;
    const auto mode =
        anywhere ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere;
    if (view_->wordWrapMode() != mode) view_->setWordWrapMode(mode);
}

}  // namespace tallix
