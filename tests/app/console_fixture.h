#pragma once

// Helpers for tests of the console: texts with the caret or the selection
// marked in them, and a store of settings in a temporary folder.

#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextCursor>

#include "app/settings/settings.h"

namespace tallix::test {

// '|' marks the caret; '[' and ']' the anchor and the end of a selection.
inline void load(QPlainTextEdit& view, QString marked) {
    const qsizetype caret = marked.indexOf('|');
    const qsizetype anchor = marked.indexOf('[');
    marked.remove('|');
    marked.remove('[');
    const qsizetype end = marked.indexOf(']');
    marked.remove(']');
    view.setPlainText(marked);
    QTextCursor cursor(view.document());
    if (anchor >= 0) {
        cursor.setPosition(anchor);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
    } else {
        cursor.setPosition(caret >= 0 ? caret : marked.size());
    }
    view.setTextCursor(cursor);
}

// The text with '|' at the caret (the selection, if any, is not shown).
inline QString marked(const QPlainTextEdit& view) {
    QString text = view.toPlainText();
    return text.insert(view.textCursor().position(), '|');
}

// Monospaced by its glyphs, whatever the face declares.
inline bool looksMonospaced(const QFont& font) {
    const QFontMetricsF metrics(font);
    return metrics.horizontalAdvance(u'i') == metrics.horizontalAdvance(u'M') &&
           metrics.horizontalAdvance(u'.') == metrics.horizontalAdvance(u'W');
}

// A settings store of its own for each test.
class TempSettings {
  public:
    TempSettings() : settings_(dir_.filePath("Tallix.conf")) {}
    Settings& get() { return settings_; }
    QString file() const { return dir_.filePath("Tallix.conf"); }

  private:
    QTemporaryDir dir_;
    Settings settings_;
};

}  // namespace tallix::test
