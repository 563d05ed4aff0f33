// The notes of the Options dialog as laid out in several fonts and sizes: no line of a note
// holds a lone word's tail, like "い。" under a whole sentence.
#include <QLabel>
#include <QTest>
#include <QTextLayout>

#include "app/dialogs/options_dialog.h"

using namespace tallix;

namespace {

// The lines a label shows: its own breaks, then wrapping at its width where it wraps.
QStringList shownLines(const QLabel& label) {
    QStringList lines;
    for (const QString& paragraph : label.text().split('\n')) {
        QTextLayout layout(paragraph, label.font());
        QTextOption option;
        option.setWrapMode(label.wordWrap() ? QTextOption::WordWrap : QTextOption::NoWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(label.contentsRect().width());
            lines << paragraph.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
    }
    return lines;
}

}  // namespace

class OptionsNoteTest : public QObject {
    Q_OBJECT
  private slots:
    void noLineIsALoneTail_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("points");
        for (const QString& family : {QString(), QStringLiteral("Noto Sans CJK JP")}) {
            for (int points : {8, 9, 10, 11, 12, 14, 18, 24}) {
                const QString name = family.isEmpty() ? QStringLiteral("default") : family;
                QTest::addRow("%s, %d pt", qPrintable(name), points) << family << points;
            }
        }
    }

    void noLineIsALoneTail() {
        QFETCH(QString, family);
        QFETCH(int, points);
        QFont font = QApplication::font();
        if (!family.isEmpty()) font.setFamily(family);
        font.setPointSize(points);
        for (const bool withoutHotkey : {false, true}) {
            OptionsDialog dialog;
            dialog.setFont(font);
            dialog.setValues({3, 'A', 15});
            dialog.showNoHotkeyNote(withoutHotkey);
            dialog.initialise();
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            for (const QLabel* label : dialog.findChildren<QLabel*>()) {
                if (!label->isVisible()) continue;
                const QStringList lines = shownLines(*label);
                if (lines.size() < 2) continue;
                QVERIFY2(lines.last().size() >= 4, qPrintable(lines.join(" / ")));
            }
        }
    }
};

QTEST_MAIN(OptionsNoteTest)
#include "options_note_test.moc"
