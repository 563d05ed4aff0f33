// The console: which line Enter evaluates, where the output and the caret
// go, pasting line by line, and what Undo may take back.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDropEvent>
#include <QFontDialog>
#include <QGroupBox>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "app/console/calc_view.h"
#include "app/console_font.h"
#include "app/settings/font_record.h"
#include "console_fixture.h"

using namespace tallix;
using tallix::test::load;
using tallix::test::marked;

namespace {

// Records every line handed over and answers with a fixed text.
struct RecordingEvaluator {
    QList<QByteArray> lines;
    QString answer = "R";
    LineEvaluator get() {
        return [this](const QByteArray& line) {
            lines << line;
            return answer;
        };
    }
};

}  // namespace

class CalcViewTest : public QObject {
    Q_OBJECT

  private slots:
    void enterEvaluatesTheWholeLine_data();
    void enterEvaluatesTheWholeLine();
    void keysThatEvaluate_data();
    void keysThatEvaluate();
    void paste_data();
    void paste();
    void everyPasteRouteGoesLineByLine_data();
    void everyPasteRouteGoesLineByLine();
    void overlongLineIsCutAtACharacterAndKeptWhole_data();
    void overlongLineIsCutAtACharacterAndKeptWhole();
    void undoNeverTakesBackAResult();
    void undoAfterPasteHasNothingToUndo();
    void escapeAsksTheWindowToClose();
    void fontComesFromTheSettings();
    void chosenFontIsAppliedAndStoredWithoutEffects();

  private:
    test::TempSettings settings_;
};

void CalcViewTest::enterEvaluatesTheWholeLine_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::newRow("empty console") << "|"
                                   << "\n|";
    QTest::newRow("caret inside the line") << "1|+2"
                                           << "1+2\n3\n|";
    QTest::newRow("caret at the line start") << "|1+2"
                                             << "1+2\n3\n|";
    QTest::newRow("line in the middle") << "1+2|\n5*5\nend"
                                        << "1+2\n3\n|5*5\nend";
    QTest::newRow("selection over lines") << "[1+2\n4*]4\n"
                                          << "1+2\n3\n|4*4\n";
    QTest::newRow("result line again") << "3|"
                                       << "3\n3\n|";
    QTest::newRow("blanks kept") << "  2 * 3  |"
                                 << "  2 * 3  \n6\n|";
    QTest::newRow("assignment prints nothing") << "v = 5|\nv"
                                               << "v = 5\n|v";
    QTest::newRow("error line") << "1/0|"
                                << "1/0\nERR3001: 0除算\n|";
    QTest::newRow("syntax error") << "1+|"
                                  << "1+\nERR1: 構文エラー\n|";
    QTest::newRow("grouped result") << "1234*1000|"
                                    << "1234*1000\n1'234'000\n|";
    QTest::newRow("last of several lines") << "a\nb\n7|"
                                           << "a\nb\n7\n7\n|";
}

void CalcViewTest::enterEvaluatesTheWholeLine() {
    QFETCH(QString, before);
    QFETCH(QString, after);
    CalcView view(settings_.get());
    load(view, before);
    QTest::keyClick(&view, Qt::Key_Return);
    QCOMPARE(marked(view), after);
}

void CalcViewTest::keysThatEvaluate_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("after");
    const QString evaluated = "6*7\nR\n|";
    const QString broken = "6*7\n|";
    QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier) << evaluated;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << evaluated;
    QTest::newRow("Ctrl+M") << int(Qt::Key_M) << int(Qt::ControlModifier) << evaluated;
    QTest::newRow("Shift+Enter") << int(Qt::Key_Return) << int(Qt::ShiftModifier) << evaluated;
    QTest::newRow("Ctrl+Enter") << int(Qt::Key_Return) << int(Qt::ControlModifier) << broken;
    QTest::newRow("Ctrl+keypad Enter")
        << int(Qt::Key_Enter) << int(Qt::ControlModifier | Qt::KeypadModifier) << broken;
}

void CalcViewTest::keysThatEvaluate() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, after);
    RecordingEvaluator evaluator;
    CalcView view(settings_.get(), nullptr, evaluator.get());
    load(view, "6*7|");
    QTest::keyClick(&view, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(marked(view), after);
    const bool evaluates = after.contains('R');
    QCOMPARE(evaluator.lines, evaluates ? QList<QByteArray>{"6*7"} : QList<QByteArray>{});
}

void CalcViewTest::paste_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("after");
    const QString threeLines = "1+1\n2\n2*3\n6\n4|";
    QTest::newRow("CR LF, unfinished last") << "|"
                                            << "1+1\r\n2*3\r\n4" << threeLines;
    QTest::newRow("lone LF") << "|"
                             << "1+1\n2*3\n4" << threeLines;
    QTest::newRow("lone CR") << "|"
                             << "1+1\r2*3\r4" << threeLines;
    QTest::newRow("CR then CR LF is two breaks") << "|"
                                                 << "1\r\r\n2"
                                                 << "1\n1\n\n2|";
    QTest::newRow("into an existing line") << "1+|2"
                                           << "5\r\n"
                                           << "1+52\n53\n|";
    QTest::newRow("line before the next") << "|\n9"
                                          << "2+2\n"
                                          << "2+2\n4\n|9";
    QTest::newRow("lines land on the lines that follow") << "1+|2\n10\n20\n30"
                                                         << "5\n6*\n7+\n"
                                                         << "1+52\n53\n6*10\n60\n7+20\n27\n|30";
    QTest::newRow("replaces the selection") << "[abc]"
                                            << "2*2\n"
                                            << "2*2\n4\n|";
    QTest::newRow("NUL ends the text") << "|" << QString("1+1\n2") + QChar(0) + "+3\n"
                                       << "1+1\n2\n2|";
    QTest::newRow("no line break at all") << "x|"
                                          << "+1"
                                          << "x+1|";
    QTest::newRow("uses variables it defines") << "|"
                                               << "w = 6\nw*7\n"
                                               << "w = 6\nw*7\n42\n|";
}

void CalcViewTest::paste() {
    QFETCH(QString, before);
    QFETCH(QString, clipboard);
    QFETCH(QString, after);
    CalcView view(settings_.get());
    load(view, before);
    QGuiApplication::clipboard()->setText(clipboard);
    view.paste();
    QCOMPARE(marked(view), after);
}

void CalcViewTest::everyPasteRouteGoesLineByLine_data() {
    QTest::addColumn<QString>("route");
    QTest::newRow("Ctrl+V") << "ctrl-v";
    QTest::newRow("Shift+Insert") << "shift-insert";
    QTest::newRow("drop") << "drop";
}

void CalcViewTest::everyPasteRouteGoesLineByLine() {
    QFETCH(QString, route);
    RecordingEvaluator evaluator;
    CalcView view(settings_.get(), nullptr, evaluator.get());
    view.resize(300, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QString text = "a\r\nb\nc";
    if (route == "drop") {
        QMimeData data;
        data.setText(text);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &drop);
    } else {
        QGuiApplication::clipboard()->setText(text);
        if (route == "ctrl-v") QTest::keyClick(&view, Qt::Key_V, Qt::ControlModifier);
        if (route == "shift-insert") QTest::keyClick(&view, Qt::Key_Insert, Qt::ShiftModifier);
    }
    QCOMPARE(evaluator.lines, (QList<QByteArray>{"a", "b"}));
    QCOMPARE(view.toPlainText(), QString("a\nR\nb\nR\nc"));
    QCoreApplication::processEvents();
    QVERIFY(!view.document()->isUndoAvailable());
}

void CalcViewTest::overlongLineIsCutAtACharacterAndKeptWhole_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("bytesHandedOver");
    const QString twoByte = QString(u'é');
    QTest::newRow("ASCII") << QString(9000, 'x') << 7998;
    QTest::newRow("exactly the limit") << QString(7998, 'x') << 7998;
    QTest::newRow("two-byte characters end on the limit") << twoByte.repeated(4000) << 7998;
    QTest::newRow("a two-byte character across the limit") << "a" + twoByte.repeated(4000) << 7997;
    QTest::newRow("three-byte characters") << QString(u'円').repeated(3000) << 7998 / 3 * 3;
}

void CalcViewTest::overlongLineIsCutAtACharacterAndKeptWhole() {
    QFETCH(QString, line);
    QFETCH(int, bytesHandedOver);
    RecordingEvaluator evaluator;
    CalcView view(settings_.get(), nullptr, evaluator.get());
    load(view, line + "\nnext");
    QTextCursor middle = view.textCursor();
    middle.setPosition(line.size() / 2);
    view.setTextCursor(middle);
    QTest::keyClick(&view, Qt::Key_Return);
    QCOMPARE(evaluator.lines.size(), 1);
    QCOMPARE(evaluator.lines[0].size(), bytesHandedOver);
    QVERIFY(line.toUtf8().startsWith(evaluator.lines[0]));
    QVERIFY(QString::fromUtf8(evaluator.lines[0]).toUtf8() == evaluator.lines[0]);
    QCOMPARE(marked(view), line + "\nR\n|next");
}

void CalcViewTest::undoNeverTakesBackAResult() {
    CalcView view(settings_.get());
    QTest::keyClicks(&view, "1+2");
    QVERIFY(view.document()->isUndoAvailable());
    QTest::keyClick(&view, Qt::Key_Return);
    QVERIFY(!view.document()->isUndoAvailable());
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(marked(view), QString("1+2\n3\n|"));

    // Typing after the evaluation is undone, and only that.
    QTest::keyClicks(&view, "4");
    QTest::keyClick(&view, Qt::Key_Backspace, Qt::AltModifier);
    QCOMPARE(marked(view), QString("1+2\n3\n|"));
    view.undo();
    QCOMPARE(marked(view), QString("1+2\n3\n|"));
}

void CalcViewTest::undoAfterPasteHasNothingToUndo() {
    CalcView view(settings_.get());
    QTest::keyClicks(&view, "typed ");
    QGuiApplication::clipboard()->setText("5*5");
    view.paste();
    QCOMPARE(marked(view), QString("typed 5*5|"));
    QVERIFY(!view.document()->isUndoAvailable());
}

void CalcViewTest::escapeAsksTheWindowToClose() {
    CalcView view(settings_.get());
    load(view, "1+1|");
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QTest::keyClick(&view, Qt::Key_Escape);
    QTRY_VERIFY(!view.isVisible());
    QCOMPARE(marked(view), QString("1+1|"));
}

void CalcViewTest::fontComesFromTheSettings() {
    test::TempSettings settings;
    {
        CalcView view(settings.get());
        QCOMPARE(QFontInfo(view.font()).pixelSize(), 13);
        QVERIFY(test::looksMonospaced(view.font()));
    }
    LogFont record = defaultLogFont();
    record.height = -21;
    record.weight = 700;
    record.italic = 1;
    settings.get().setFont(encodeLogFont(record));
    CalcView view(settings.get());
    QCOMPARE(view.font().pixelSize(), 21);
    QCOMPARE(view.font().weight(), QFont::Bold);
    QVERIFY(view.font().italic());
}

void CalcViewTest::chosenFontIsAppliedAndStoredWithoutEffects() {
    test::TempSettings settings;
    CalcView view(settings.get());
    QFont wanted = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    wanted.setPixelSize(17);
    wanted.setUnderline(true);
    bool effectsShown = true;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        effectsShown = false;
        for (auto* group : dialog->findChildren<QGroupBox*>()) {
            if (!group->isHidden() && !group->findChildren<QCheckBox*>().isEmpty()) {
                effectsShown = true;
            }
        }
        dialog->setCurrentFont(wanted);
        dialog->accept();
    });
    chooseConsoleFont(view, settings.get());
    QVERIFY(!effectsShown);
    const auto stored = decodeLogFont(settings.get().font());
    QVERIFY(stored.has_value());
    QCOMPARE(stored->height, -17);
    QCOMPARE(stored->underline, uint8_t(0));
    QCOMPARE(stored->charSet, DEFAULT_CHARSET);
    QCOMPARE(view.font().pixelSize(), 17);
    QVERIFY(!view.font().underline());
}

QTEST_MAIN(CalcViewTest)
#include "calc_view_test.moc"
