// Sheets in the console: recalculating every line in place of the results the
// console inserted, stopping it with Esc, taking it back with one undo,
// copying a result, the colours of results, errors and comments, and keeping
// a sheet in a file.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QRawFont>
#include <QSignalSpy>
#include <QSyntaxHighlighter>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <atomic>

#include "../../shared/sheet_cases.h"
#include "app/console/calc_view.h"
#include "app/console/line_evaluator.h"
#include "app/console/result_copy.h"
#include "app/console/result_highlighter.h"
#include "app/console/sheet_file.h"
#include "console_fixture.h"
#include "engine/engine.h"

using namespace tallix;

namespace {

constexpr int DEADLINE_MS = 60000;

// Types `lines` into the console as a user would, each ended with Enter.
void typeLines(CalcView& view, const QStringList& lines) {
    for (const QString& line : lines) {
        QTest::keyClicks(&view, line);
        QTest::keyClick(&view, Qt::Key_Return);
    }
}

QString textOf(const CalcView& view) {
    return QString::fromUtf8(sheetBytes(*view.document()));
}

// Puts the caret at the start of line `number` and replaces that line's text,
// as typing over it would.
void retype(CalcView& view, int number, const QString& text) {
    QTextCursor caret(view.document()->findBlockByNumber(number));
    caret.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    view.setTextCursor(caret);
    QTest::keyClicks(&view, text);
}

void openText(CalcView& view, const QString& text) {
    showSheet(view, text);
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return QString();
    file.write(bytes);
    return path;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// WCAG contrast of two colours.
double contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a) + 0.05;
    const double lb = luminance(b) + 0.05;
    return std::max(la, lb) / std::min(la, lb);
}

QPalette darkPalette() {
    QPalette dark;
    dark.setColor(QPalette::Base, QColor(0x23, 0x26, 0x29));
    dark.setColor(QPalette::Text, QColor(0xef, 0xf0, 0xf1));
    dark.setColor(QPalette::Link, QColor(0x29, 0x80, 0xb9));
    return dark;
}

QPalette lightPalette() {
    QPalette light;
    light.setColor(QPalette::Base, Qt::white);
    light.setColor(QPalette::Text, Qt::black);
    light.setColor(QPalette::Link, QColor(0, 0, 255));
    return light;
}

}  // namespace

class ConsoleSheetTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void openedSheetRecalculatesAsTheTerminalDoes_data();
    void openedSheetRecalculatesAsTheTerminalDoes();
    void recalculationReplacesOnlyTheConsolesResults();
    void aLineWithoutOutputNowLosesItsResult();
    void variablesStartAfresh();
    void escStopsTheRecalculationWithTheRestAsItWas();
    void escDuringASlowLine();
    void oneUndoTakesTheRecalculationBack();
    void copyResult_data();
    void copyResult();
    void copiedNumberReadsBackToTheSameValue_data();
    void copiedNumberReadsBackToTheSameValue();
    void coloursMarkResultsErrorsAndComments();
    void coloursChangeNoHeightAndNoCopiedText();
    void coloursStayReadable_data();
    void coloursStayReadable();
    void saveThenOpenGivesTheSameBytes_data();
    void saveThenOpenGivesTheSameBytes();
    void failedSaveLosesNothing();

  private:
    test::TempSettings settings_;
};

void ConsoleSheetTest::initTestCase() {
    registerBuiltinsOnce();
    set_precision(DEFAULT_PRECISION);
}

void ConsoleSheetTest::openedSheetRecalculatesAsTheTerminalDoes_data() {
    QTest::addColumn<QByteArray>("sheet");
    QTest::addColumn<QString>("recalculated");
    for (const test::SheetCase& sheet : test::SHEET_CASES)
        QTest::newRow(sheet.name) << QByteArray(sheet.sheet)
                                  << QString::fromUtf8(sheet.recalculated);
}

void ConsoleSheetTest::openedSheetRecalculatesAsTheTerminalDoes() {
    QFETCH(QByteArray, sheet);
    QFETCH(QString, recalculated);
    QTemporaryDir dir;
    QString text;
    QCOMPARE(readSheet(writeFile(dir, "sheet.txt", sheet), text), QString());
    CalcView view(settings_.get());
    openText(view, text);
    QCOMPARE(textOf(view), QString::fromUtf8(sheet).replace("\r\n", "\n").replace('\r', '\n'));
    view.recalculateAll();
    QCOMPARE(textOf(view), recalculated);
    // A second time changes nothing: every result found its line.
    view.recalculateAll();
    QCOMPARE(textOf(view), recalculated);
}

// Typed, evaluated, then edited: the first line changes, one result line is
// typed over (it is the user's now), and a number typed below an input with
// Ctrl+Enter is the user's too.
void ConsoleSheetTest::recalculationReplacesOnlyTheConsolesResults() {
    CalcView view(settings_.get());
    typeLines(view, {"r = 2", "pi*r^2", "# radius", "", "r*3", "1/(r-2)"});
    QCOMPARE(textOf(view), QString("r = 2\npi*r^2\n12.5663706143592\n# radius\n\nr*3\n6\n1/(r-2)\n"
                                   "ERR3001: 0除算\n"));
    retype(view, 0, "r = 3");
    retype(view, 6, "6 # was six");
    QTextCursor end(view.document());
    end.movePosition(QTextCursor::End);
    view.setTextCursor(end);
    QTest::keyClicks(&view, "r");
    QTest::keyClick(&view, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClicks(&view, "4");
    view.recalculateAll();
    QCOMPARE(textOf(view), QString("r = 3\npi*r^2\n28.2743338823081\n# radius\n\nr*3\n9\n"
                                   "6 # was six\n6\n1/(r-2)\n1\nr\n3\n4\n4"));
}

void ConsoleSheetTest::aLineWithoutOutputNowLosesItsResult() {
    CalcView view(settings_.get());
    typeLines(view, {"a", "a*2"});
    QCOMPARE(textOf(view),
             QString("a\nERR3101: 初期化されていない変数\na*2\nERR3101: 初期化されていない変数\n"));
    retype(view, 0, "a = 5");
    view.recalculateAll();
    QCOMPARE(textOf(view), QString("a = 5\na*2\n10\n"));
}

void ConsoleSheetTest::variablesStartAfresh() {
    CalcView view(settings_.get());
    typeLines(view, {"late = 1", "late"});
    QTextCursor top(view.document());
    view.setTextCursor(top);
    QTest::keyClicks(&view, "late*2");
    QTest::keyClick(&view, Qt::Key_Return, Qt::ControlModifier);
    view.recalculateAll();
    QCOMPARE(textOf(view), QString("late*2\nERR3101: 初期化されていない変数\nlate = 1\nlate\n1\n"));
}

// An opened sheet of pairs "i*2" and a stale "0": Esc at the first sign of
// progress leaves a recalculated start and the rest exactly as it was.
void ConsoleSheetTest::escStopsTheRecalculationWithTheRestAsItWas() {
    constexpr int PAIRS = 20000;
    QStringList lines;
    for (int i = 1; i <= PAIRS; ++i)
        lines << QString("%1*2").arg(i) << "0";
    CalcView view(settings_.get());
    view.resize(300, 200);
    view.show();
    openText(view, lines.join('\n'));
    bool pressed = false;
    connect(&view, &CalcView::recalculationProgress, &view, [&] {
        if (pressed) return;
        pressed = true;
        QTest::keyClick(&view, Qt::Key_Escape);
    });
    QSignalSpy ended(&view, &CalcView::recalculationEnded);
    view.recalculateAll();
    QVERIFY(pressed);
    QCOMPARE(ended.count(), 1);
    const qsizetype unevaluated = ended.first().first().value<qsizetype>();
    QVERIFY(unevaluated > 0);
    QVERIFY(unevaluated < PAIRS * 2);
    const QStringList after = textOf(view).split('\n');
    QCOMPARE(after.size(), lines.size());
    const qsizetype done = after.size() - unevaluated;
    QVERIFY(done > 0);
    for (qsizetype i = 0; i < after.size(); ++i) {
        const QString expected =
            i < done && i % 2 == 1 ? evaluateWithEngine(lines[i - 1].toUtf8()) : lines[i];
        if (after[i] != expected) QFAIL(qPrintable(QString("line %1: %2").arg(i).arg(after[i])));
    }
}

// Esc while a line runs: that line ends and gives its output; the lines
// after it stay as they were.
void ConsoleSheetTest::escDuringASlowLine() {
    std::atomic<bool> slowStarted = false;
    std::atomic<bool> released = false;
    auto evaluator = [&](const QByteArray& line) {
        if (line != "slow") return evaluateWithEngine(line);
        slowStarted = true;
        for (int waited = 0; !released && waited < DEADLINE_MS; waited += 5)
            QThread::msleep(5);
        return QString("7");
    };
    CalcView view(settings_.get(), nullptr, evaluator);
    view.show();
    openText(view, "1+1\n0\nslow\n0\n2+2\n0\n");
    QTimer poll;
    connect(&poll, &QTimer::timeout, &view, [&] {
        if (!slowStarted || released) return;
        QTest::keyClick(&view, Qt::Key_Escape);
        released = true;
    });
    poll.start(10);
    QSignalSpy ended(&view, &CalcView::recalculationEnded);
    view.recalculateAll();
    QVERIFY(released);
    QCOMPARE(textOf(view), QString("1+1\n2\nslow\n7\n2+2\n0\n"));
    QCOMPARE(ended.first().first().value<qsizetype>(), 3);
}

void ConsoleSheetTest::oneUndoTakesTheRecalculationBack() {
    CalcView view(settings_.get());
    typeLines(view, {"r = 2", "r*3", "r*4", "x"});
    retype(view, 0, "r = 3");
    retype(view, 5, "x = 1");  // the input "x" now has no output
    const QString before = textOf(view);
    view.recalculateAll();
    const QString recalculated = textOf(view);
    QCOMPARE(recalculated, QString("r = 3\nr*3\n9\nr*4\n12\nx = 1\n"));
    view.undo();
    QCOMPARE(textOf(view), before);
    // The marks came back with the text: the results are still the console's.
    view.recalculateAll();
    QCOMPARE(textOf(view), recalculated);
    view.undo();
    view.redo();
    QCOMPARE(textOf(view), recalculated);
    // Nothing changes now, and nothing is added to undo.
    const int steps = view.document()->availableUndoSteps();
    view.recalculateAll();
    QCOMPARE(textOf(view), recalculated);
    QCOMPARE(view.document()->availableUndoSteps(), steps);
    view.undo();
    QCOMPARE(textOf(view), before);
}

void ConsoleSheetTest::copyResult_data() {
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<int>("caretLine");
    QTest::addColumn<QString>("copied");  // empty: the clipboard keeps what it had
    QTest::addColumn<QString>("told");    // a part of what the status bar says
    const QStringList sheet = {"1234567.5", "x = 2", "1/0", "1e20*1.5 # big", "-2^0.5"};
    // Lines: 0 1234567.5, 1 1'234'567.5, 2 x = 2, 3 1/0, 4 ERR3001, 5 1e20*1.5 # big,
    // 6 1.5e20, 7 -2^0.5, 8 -1.4142..., 9 empty
    QTest::newRow("input line") << sheet << 0 << "1234567.5"
                                << "1234567.5";
    QTest::newRow("its result line") << sheet << 1 << "1234567.5"
                                     << "1234567.5";
    QTest::newRow("assignment") << sheet << 2 << ""
                                << "結果がない";
    QTest::newRow("error input") << sheet << 3 << ""
                                 << "ERR3001: 0除算";
    QTest::newRow("error line") << sheet << 4 << ""
                                << "ERR3001: 0除算";
    QTest::newRow("scientific") << sheet << 5 << "1.5e20"
                                << "1.5e20";
    QTest::newRow("negative") << sheet << 8 << "-1.4142135623731"
                              << "-1.4142135623731";
    QTest::newRow("empty last line") << sheet << 9 << ""
                                     << "結果がない";
}

void ConsoleSheetTest::copyResult() {
    QFETCH(QStringList, typed);
    QFETCH(int, caretLine);
    QFETCH(QString, copied);
    QFETCH(QString, told);
    CalcView view(settings_.get());
    typeLines(view, typed);
    QGuiApplication::clipboard()->setText("before");
    const QString message = tallix::copyResult(view.document()->findBlockByNumber(caretLine));
    QCOMPARE(QGuiApplication::clipboard()->text(), copied.isEmpty() ? QString("before") : copied);
    QVERIFY2(message.contains(told), qPrintable(message));
}

void ConsoleSheetTest::copiedNumberReadsBackToTheSameValue_data() {
    QTest::addColumn<QString>("line");
    for (const char* line :
         {"1234567.5", "-1/3", "2^60", "1/30000", "1e20*1.5", "-7e-9/3", "10^14-0.5", "0.1+0.2"})
        QTest::newRow(line) << QString(line);
}

// Back in the calculator, the copied text shows as the result did.
void ConsoleSheetTest::copiedNumberReadsBackToTheSameValue() {
    QFETCH(QString, line);
    CalcView view(settings_.get());
    typeLines(view, {line});
    const ResultToCopy result = resultToCopy(view.document()->firstBlock());
    QCOMPARE(result.kind, ResultToCopy::Kind::Number);
    QVERIFY(!result.text.contains('\''));
    QCOMPARE(evaluateWithEngine(result.text.toUtf8()),
             view.document()->findBlockByNumber(1).text());
    bool parsed = false;
    const double asDouble = result.text.toDouble(&parsed);
    QVERIFY2(parsed, qPrintable(result.text));
    QCOMPARE(asDouble, evaluateWithEngine(line.toUtf8()).remove('\'').toDouble());
}

namespace {

QColor colourAt(const QTextBlock& line, int column) {
    for (const QTextLayout::FormatRange& range : line.layout()->formats()) {
        if (column >= range.start && column < range.start + range.length)
            return range.format.foreground().color();
    }
    return QColor();
}

}  // namespace

void ConsoleSheetTest::coloursMarkResultsErrorsAndComments() {
    CalcView view(settings_.get());
    view.setPalette(lightPalette());
    typeLines(view, {"1+1 # two", "1/0", "5"});
    QTest::keyClicks(&view, "# note");
    const LineColours colours = lineColours(view.palette());
    const QTextDocument& doc = *view.document();
    QCOMPARE(colourAt(doc.findBlockByNumber(0), 0), QColor());
    QCOMPARE(colourAt(doc.findBlockByNumber(0), 4), colours.comment);
    QCOMPARE(colourAt(doc.findBlockByNumber(1), 0), colours.result);
    QCOMPARE(colourAt(doc.findBlockByNumber(3), 0), colours.error);
    QCOMPARE(colourAt(doc.findBlockByNumber(4), 0), QColor());  // typed "5"
    QCOMPARE(colourAt(doc.findBlockByNumber(5), 0), colours.result);
    QCOMPARE(colourAt(doc.findBlockByNumber(6), 0), colours.comment);
    // A result line typed over is input now, and looks it.
    retype(view, 1, "2 + 0");
    QCOMPARE(colourAt(doc.findBlockByNumber(1), 0), QColor());
}

// In a console font without Japanese, error lines and Japanese comments take
// their fallback characters in a size that keeps the line height: colouring
// keeps that size. Compared with the same text unmarked (typed, so coloured
// only where comments are), no line changes height and a copy is the text.
void ConsoleSheetTest::coloursChangeNoHeightAndNoCopiedText() {
    const QFont latinOnly("DejaVu Sans Mono", 11);
    if (QRawFont::fromFont(latinOnly).supportsCharacter(QChar(u'除')))
        QSKIP("the console font has Japanese: nothing falls back");
    CalcView coloured(settings_.get());
    CalcView plain(settings_.get());
    for (CalcView* view : {&coloured, &plain}) {
        view->setFont(latinOnly);
        view->resize(400, 400);
        view->show();
    }
    typeLines(coloured, {"1+1 # two", "1/0", "2^100"});
    coloured.insertPlainText("# カナ「。」");
    typeLines(coloured, {"", "x"});
    plain.setPlainText(coloured.toPlainText());
    auto measure = [](CalcView& view) {
        QList<qreal> heights;
        for (QTextBlock line = view.document()->begin(); line.isValid(); line = line.next())
            heights << view.document()->documentLayout()->blockBoundingRect(line).height();
        view.selectAll();
        view.copy();
        return std::make_pair(heights, QGuiApplication::clipboard()->mimeData()->text());
    };
    const auto colouredLines = measure(coloured);
    const auto plainLines = measure(plain);
    QCOMPARE(colouredLines.first, plainLines.first);
    QCOMPARE(colouredLines.second, plainLines.second);
    QCOMPARE(colouredLines.second, textOf(coloured));
    // The error line: coloured, and its Japanese in the fallback size.
    const QTextBlock error = coloured.document()->findBlockByNumber(3);
    QCOMPARE(colourAt(error, 0), lineColours(coloured.palette()).error);
    const qsizetype japanese = error.text().indexOf(u'除');
    QCOMPARE(colourAt(error, int(japanese)), lineColours(coloured.palette()).error);
    bool sized = false;
    for (const QTextLayout::FormatRange& range : error.layout()->formats()) {
        if (japanese >= range.start && japanese < range.start + range.length)
            sized = sized || range.format.hasProperty(QTextFormat::FontPointSize);
    }
    QVERIFY(sized);
}

void ConsoleSheetTest::coloursStayReadable_data() {
    QTest::addColumn<QPalette>("palette");
    QTest::newRow("light") << lightPalette();
    QTest::newRow("dark") << darkPalette();
}

void ConsoleSheetTest::coloursStayReadable() {
    QFETCH(QPalette, palette);
    const LineColours colours = lineColours(palette);
    const QColor base = palette.color(QPalette::Base);
    for (const QColor& colour : {colours.result, colours.error, colours.comment})
        QVERIFY2(contrast(colour, base) >= 3.0, qPrintable(colour.name()));
    QVERIFY(colours.result != colours.error);
    QVERIFY(colours.result != colours.comment);
    QVERIFY(colours.error != colours.comment);
}

void ConsoleSheetTest::saveThenOpenGivesTheSameBytes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("sheet") << QByteArray("r = 2\npi*r^2\n12.5663706143592\n");
    QTest::newRow("no last line break") << QByteArray("1+1\n2");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("only line breaks") << QByteArray("\n\n\n");
    QTest::newRow("Japanese, tabs, no-break space")
        << QString("# 合計\t税込\n1\u00a0+ 2\n全角　空白\n").toUtf8();
    QTest::newRow("trailing blanks") << QByteArray("1+1   \n  \n");
}

void ConsoleSheetTest::saveThenOpenGivesTheSameBytes() {
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    QString text;
    QCOMPARE(readSheet(writeFile(dir, "in.txt", bytes), text), QString());
    CalcView view(settings_.get());
    openText(view, text);
    const QString saved = dir.filePath("out.txt");
    QCOMPARE(saveSheet(*view.document(), saved), QString());
    QCOMPARE(readFile(saved), bytes);
    // And what the console makes itself goes out as shown.
    CalcView typed(settings_.get());
    typeLines(typed, {"1000*1000", "x = 1 # one"});
    QCOMPARE(saveSheet(*typed.document(), saved), QString());
    QCOMPARE(readFile(saved), QByteArray("1000*1000\n1'000'000\nx = 1 # one\n"));
}

// A folder that is a file: no save can go there, whoever runs the test.
void ConsoleSheetTest::failedSaveLosesNothing() {
    QTemporaryDir dir;
    const QString notAFolder = writeFile(dir, "plain-file", "x");
    CalcView view(settings_.get());
    typeLines(view, {"1+1", "2*3"});
    const QString before = textOf(view);
    const QString error = saveSheet(*view.document(), notAFolder + "/sheet.txt");
    QVERIFY(!error.isEmpty());
    QCOMPARE(textOf(view), before);
    QCOMPARE(readFile(notAFolder), QByteArray("x"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot),
             QStringList{"plain-file"});
}

QTEST_MAIN(ConsoleSheetTest)
#include "console_sheet_test.moc"
