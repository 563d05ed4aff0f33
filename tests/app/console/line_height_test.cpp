// Every console line has the same height, whichever console face and Japanese fallback face
// the machine resolves. CTest runs this under several fontconfig files; TALLIX_TEST_FACES names
// the console face and the fallback face of the set ("console/fallback"), and without it the
// console uses its default font and whatever fallback the set gives.
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QRawFont>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include "app/console/calc_view.h"
#include "app/settings/font_record.h"
#include "console_fixture.h"

using namespace tallix;

namespace {

struct FontSet {
    QString console;   // empty: the default console font
    QString fallback;  // empty: any
};

FontSet fontSetUnderTest() {
    const QStringList faces = qEnvironmentVariable("TALLIX_TEST_FACES").split('/');
    if (faces.size() != 2) return {};
    return {faces[0], faces[1]};
}

// The families that draw `text` in `font`.
QStringList drawingFamilies(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QStringList families;
    for (const QGlyphRun& run : layout.glyphRuns())
        families << run.rawFont().familyName();
    return families;
}

QByteArray consoleRecord(const FontSet& set, int pixels) {
    LogFont record = defaultLogFont();
    if (!set.console.isEmpty()) setFaceName(record, set.console);
    record.height = -pixels;
    return encodeLogFont(record);
}

}  // namespace

class LineHeightTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void everyLineHasTheSameHeight_data();
    void everyLineHasTheSameHeight();

  private:
    FontSet set_;
};

// The set must be the one named, or the rows would measure another machine's fonts.
void LineHeightTest::initTestCase() {
    set_ = fontSetUnderTest();
    if (set_.console.isEmpty()) return;
    QVERIFY2(QFontDatabase::hasFamily(set_.console), qPrintable(set_.console + " is missing"));
    QFont console(set_.console);
    console.setPixelSize(13);
    const QStringList families = drawingFamilies(QStringLiteral("カナ漢字"), console);
    QVERIFY2(
        !families.isEmpty() && families.first().startsWith(set_.fallback),
        qPrintable("Japanese is drawn in " + families.join(", ") + ", not in " + set_.fallback));
}

void LineHeightTest::everyLineHasTheSameHeight_data() {
    QTest::addColumn<int>("pixels");
    QTest::addColumn<QString>("text");
    // Error lines, kana and kanji alone and after Latin signs, full-width signs and digits
    // alone and within Latin text, hiragana and kanji mixed.
    const QString lines = QStringLiteral(
        "1/0\nERR3001: 0除算\n1+1\n2\nERR3101: 初期化されていない変数\n# カナ「。」\nカナ\n"
        "変数\nかな\n「０１２」\nx = ３ + 4\nERR1: 構文エラー\n");
    for (int pixels : {9, 13, 24})
        QTest::addRow("%d px", pixels) << pixels << lines;
}

void LineHeightTest::everyLineHasTheSameHeight() {
    QFETCH(int, pixels);
    QFETCH(QString, text);
    test::TempSettings settings;
    settings.get().setFont(consoleRecord(set_, pixels));
    CalcView view(settings.get());
    view.setPlainText(text);
    const QFontMetricsF console(view.font());
    QTextBlock block = view.document()->begin();
    const qreal expected = view.document()->documentLayout()->blockBoundingRect(block).height();
    QVERIFY(expected >= console.height() - 1);
    // The last line has the document's bottom margin below it.
    for (; block.isValid() && block.next().isValid(); block = block.next()) {
        const qreal height = view.document()->documentLayout()->blockBoundingRect(block).height();
        QVERIFY2(height == expected, qPrintable(QString("«%1» is %2 px high, a console line %3")
                                                    .arg(block.text())
                                                    .arg(height)
                                                    .arg(expected)));
    }
}

QTEST_MAIN(LineHeightTest)
#include "line_height_test.moc"
