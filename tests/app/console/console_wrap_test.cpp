// How long results wrap in the console: a number fills each row to the edge,
// whatever break its "." or "'" would allow, so no row holds a lone part of it.
#include <QAbstractTextDocumentLayout>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include "app/console/calc_view.h"
#include "console_fixture.h"
#include "engine/engine.h"

using namespace tallix;

namespace {

// The rows of one console line, as painting lays them out.
QStringList rowsOf(const QTextBlock& block) {
    block.document()->documentLayout()->blockBoundingRect(block);
    QStringList rows;
    const QTextLayout* layout = block.layout();
    for (int i = 0; i < layout->lineCount(); ++i) {
        const QTextLine row = layout->lineAt(i);
        rows << block.text().mid(row.textStart(), row.textLength());
    }
    return rows;
}

// The widest of the characters a number is written with.
qreal widestNumberCharacter(const QFont& font) {
    const QFontMetricsF metrics(font);
    qreal widest = 0;
    for (const QChar c : QStringLiteral("0123456789.'-"))
        widest = std::max(widest, metrics.horizontalAdvance(c));
    return widest;
}

// Sizes the console so that a row holds `digits` digit widths of text.
void makeRowsHold(CalcView& view, qreal digits) {
    const qreal text = digits * QFontMetricsF(view.font()).horizontalAdvance(u'0');
    const int margins = view.width() - view.viewport()->width() +
                        2 * int(std::ceil(view.document()->documentMargin()));
    view.resize(int(std::ceil(text)) + margins, view.height());
}

}  // namespace

class ConsoleWrapTest : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() { set_precision(DEFAULT_PRECISION); }

    void resultFillsEveryRowButItsLast_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("precision");
        QTest::addColumn<QString>("startsWith");
        QTest::addColumn<int>("fewestDigitsPerRow");
        QTest::addColumn<int>("mostDigitsPerRow");
        QTest::newRow("root of 3 at 2,000 digits") << "sqr(3)" << 2000 << "1.7320508" << 30 << 34;
        QTest::newRow("negative root of 2") << "-sqr(2)" << 2000 << "-1.4142135" << 30 << 34;
        QTest::newRow("a third at 60 digits") << "1/3" << 60 << "0.333" << 8 << 30;
        QTest::newRow("grouped integer part")
            << "10^14-1/3" << 200 << "99'999'999'999'999.666" << 6 << 30;
    }

    void resultFillsEveryRowButItsLast() {
        QFETCH(QString, line);
        QFETCH(int, precision);
        QFETCH(QString, startsWith);
        QFETCH(int, fewestDigitsPerRow);
        QFETCH(int, mostDigitsPerRow);
        set_precision(precision);
        test::TempSettings settings;
        CalcView view(settings.get());
        // Tall enough for no scroll bar to take a part of the width.
        view.resize(400, 2000);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        test::load(view, line);
        view.enter();
        const QTextBlock result = view.document()->findBlockByNumber(1);
        QVERIFY2(result.text().startsWith(startsWith), qPrintable(result.text().left(40)));

        const qreal slack = widestNumberCharacter(view.font());
        for (int digits = fewestDigitsPerRow; digits <= mostDigitsPerRow; ++digits) {
            makeRowsHold(view, digits + 0.5);
            const QStringList rows = rowsOf(result);
            QVERIFY2(rows.size() > 1, "the result was expected to wrap");
            for (int i = 0; i + 1 < rows.size(); ++i) {
                const QTextLine row = result.layout()->lineAt(i);
                QVERIFY2(row.naturalTextWidth() > row.width() - slack,
                         qPrintable(QString("%1 digits wide: row %2 stops short: «%3»")
                                        .arg(digits)
                                        .arg(i)
                                        .arg(rows[i])));
            }
        }
    }
};

QTEST_MAIN(ConsoleWrapTest)
#include "console_wrap_test.moc"
