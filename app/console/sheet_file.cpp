#include "app/console/sheet_file.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTextDocument>

#include "app/console/line_marks.h"

namespace tallix {

namespace {

// The same line breaks the terminal program splits a sheet at.
QString withLfLineBreaks(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

}  // namespace

// The raw text: the plain-text form would turn no-break spaces into spaces.
QByteArray sheetBytes(const QTextDocument& document) {
    QString text = document.toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text.toUtf8();
}

QString saveSheet(const QTextDocument& document, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    const QByteArray bytes = sheetBytes(document);
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit()) return file.errorString();
    return QString();
}

QString readSheet(const QString& path, QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return file.errorString();
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return file.errorString();
    text = withLfLineBreaks(QString::fromUtf8(bytes));
    return QString();
}

void showSheet(QPlainTextEdit& console, const QString& text) {
    QTextDocument& document = *console.document();
    QTextCursor editor(&document);
    editor.beginEditBlock();
    const auto refresh = [&document] {
        if (auto* highlighter = document.findChild<QSyntaxHighlighter*>())
            highlighter->rehighlight();
    };
    MarksUndo undo(document, refresh);
    undo.beforeTextChange();
    editor.select(QTextCursor::Document);
    editor.insertText(text);
    for (QTextBlock line = document.begin(); line.isValid(); line = line.next())
        markLine(line, LineOrigin::Opened);
    undo.finish();
    editor.endEditBlock();
    console.moveCursor(QTextCursor::Start);
}

}  // namespace tallix
