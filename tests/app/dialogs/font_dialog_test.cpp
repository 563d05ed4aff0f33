// The font dialog: it opens on the font in force, an untouched OK keeps the stored record byte
// for byte, a new size changes only the size, and the sample shows the text at its font.
#include <QApplication>
#include <QFontDatabase>
#include <QFontDialog>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <functional>

#include "app/console/calc_view.h"
#include "app/console_font.h"
#include "app/settings/font_record.h"
#include "console_fixture.h"

using namespace tallix;

namespace {

const QString MONO = QStringLiteral("DejaVu Sans Mono");

LogFont record(const QString& face, int height, int weight, bool italic) {
    LogFont font = fromQFont(QFontDatabase::font(face, QString(), 12));
    setFaceName(font, face);
    font.height = height;
    font.weight = weight;
    font.italic = italic ? 1 : 0;
    return font;
}

// Runs the console's font command; `act` gets the dialog once it is open, before OK.
void chooseFont(CalcView& view, Settings& settings, const std::function<void(QFontDialog&)>& act) {
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        act(*dialog);
        dialog->accept();
    });
    chooseConsoleFont(view, settings);
}

QLineEdit* editShowing(QFontDialog& dialog, const QString& text) {
    for (QLineEdit* edit : dialog.findChildren<QLineEdit*>()) {
        if (edit->text() == text) return edit;
    }
    return nullptr;
}

}  // namespace

class FontDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void untouchedOkKeepsTheRecord_data();
    void untouchedOkKeepsTheRecord();
    void newSizeChangesOnlyTheHeight();
    void untouchedOkWithNoStoredFontStoresNothing();
    void sampleIsTallEnoughForItsFont();
};

void FontDialogTest::initTestCase() {
    // The rows open on every face of the family: the Oblique ones come from another package.
    const QStringList faces = QFontDatabase::styles(MONO);
    for (const char* face : {"Book", "Bold", "Oblique", "Bold Oblique"}) {
        if (!faces.contains(face))
            QSKIP(qPrintable(MONO + " " + face +
                             " is missing: install fonts-dejavu-core and "
                             "fonts-dejavu-extra"));
    }
    // The program's Japanese style names ("太字" for a bold font without a style name) are
    // what the dialog compared with the face's own names.
    auto* japanese = new QTranslator(this);
    if (japanese->load("qtbase_ja", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(japanese);
}

void FontDialogTest::untouchedOkKeepsTheRecord_data() {
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("weight");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<QString>("style");  // the entry the dialog must open on
    QTest::newRow("bold") << -16 << 700 << false << "Bold";
    QTest::newRow("bold oblique") << -16 << 700 << true << "Bold Oblique";
    QTest::newRow("regular") << -13 << 400 << false << "Book";
    // 14 pixels are 10.5 points: the dialog's whole points would make it 15.
    QTest::newRow("half a point") << -14 << 400 << true << "Oblique";
}

void FontDialogTest::untouchedOkKeepsTheRecord() {
    QFETCH(int, height);
    QFETCH(int, weight);
    QFETCH(bool, italic);
    QFETCH(QString, style);
    test::TempSettings settings;
    const QByteArray stored = encodeLogFont(record(MONO, height, weight, italic));
    settings.get().setFont(stored);
    CalcView view(settings.get());
    const QFont before = view.font();
    QString family, shownStyle;
    chooseFont(view, settings.get(), [&](QFontDialog& dialog) {
        family = dialog.currentFont().families().value(0);
        shownStyle = editShowing(dialog, style) ? style : QString();
    });
    QCOMPARE(family, MONO);
    QCOMPARE(shownStyle, style);
    QCOMPARE(settings.get().font().toHex(), stored.toHex());
    QCOMPARE(view.font(), before);
}

void FontDialogTest::newSizeChangesOnlyTheHeight() {
    test::TempSettings settings;
    LogFont bold = record(MONO, -16, 700, false);
    bold.quality = 5;  // a field the program does not use, from a record made elsewhere
    settings.get().setFont(encodeLogFont(bold));
    CalcView view(settings.get());
    chooseFont(view, settings.get(), [](QFontDialog& dialog) {
        QFont bigger = dialog.currentFont();
        bigger.setPointSize(18);
        dialog.setCurrentFont(bigger);
    });
    const std::optional<LogFont> stored = decodeLogFont(settings.get().font());
    QVERIFY(stored);
    LogFont expected = bold;
    expected.height = -24;
    QCOMPARE(encodeLogFont(*stored).toHex(), encodeLogFont(expected).toHex());
    QCOMPARE(QFontInfo(view.font()).pixelSize(), 24);
    QCOMPARE(view.font().weight(), QFont::Bold);
}

void FontDialogTest::untouchedOkWithNoStoredFontStoresNothing() {
    test::TempSettings settings;
    CalcView view(settings.get());
    chooseFont(view, settings.get(), [](QFontDialog&) {});
    QVERIFY(settings.get().font().isEmpty());
}

void FontDialogTest::sampleIsTallEnoughForItsFont() {
    test::TempSettings settings;
    settings.get().setFont(encodeLogFont(record(MONO, -40, 400, false)));
    CalcView view(settings.get());
    int height = 0, needed = 0;
    chooseFont(view, settings.get(), [&](QFontDialog& dialog) {
        for (QLineEdit* edit : dialog.findChildren<QLineEdit*>()) {
            if (!edit->parentWidget()->inherits("QGroupBox")) continue;
            height = edit->height();
            needed = QFontMetrics(edit->font()).height();
        }
    });
    QVERIFY(needed >= 40);
    QVERIFY2(height >= needed, qPrintable(QString("%1 < %2").arg(height).arg(needed)));
}

QTEST_MAIN(FontDialogTest)
#include "font_dialog_test.moc"
