#include "app/console/result_copy.h"

#include <QClipboard>
#include <QGuiApplication>

#include "app/console/line_marks.h"
#include "engine/engine.h"

namespace tallix {

namespace {

bool isResultLine(const QTextBlock& line) {
    switch (originOf(line)) {
        case LineOrigin::Result:
            return true;
        case LineOrigin::Opened:
            return has_output_shape(line.text().toStdString());
        case LineOrigin::Typed:
            break;
    }
    return false;
}

}  // namespace

QString plainNumber(const QString& shown) {
    QString plain = shown;
    plain.remove(u'\'');
    return plain;
}

ResultToCopy resultToCopy(const QTextBlock& caretLine) {
    QTextBlock result = caretLine;
    if (!isResultLine(result)) result = caretLine.next();
    if (!result.isValid() || !isResultLine(result)) return {};
    const QString text = result.text();
    if (text.startsWith(QLatin1String("ERR"))) return {ResultToCopy::Kind::Error, text};
    return {ResultToCopy::Kind::Number, plainNumber(text)};
}

QString copyResult(const QTextBlock& caretLine) {
    const ResultToCopy result = resultToCopy(caretLine);
    switch (result.kind) {
        case ResultToCopy::Kind::Number:
            QGuiApplication::clipboard()->setText(result.text);
            return QStringLiteral("結果をコピーしました: %1").arg(result.text);
        case ResultToCopy::Kind::Error:
            return QStringLiteral("結果がエラーなのでコピーしませんでした: %1").arg(result.text);
        case ResultToCopy::Kind::Nothing:
            break;
    }
    return QStringLiteral("この行には結果がないのでコピーしませんでした");
}

}  // namespace tallix
