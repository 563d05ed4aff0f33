// The About box: the version, its one button and the program icon.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/dialogs/about_dialog.h"
#include "tallix_version.h"

using namespace tallix;

class AboutDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void showsVersionAndIcon();
    void itsOneButtonCloses();
    void wideEnoughForItsTitle();
};

void AboutDialogTest::showsVersionAndIcon() {
    AboutDialog d;
    QCOMPARE(d.findChild<QLabel*>("version")->text(),
             QStringLiteral("Tallix Version " TALLIX_VERSION));
    const QPixmap icon = d.findChild<QLabel*>("icon")->pixmap();
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.size(), QSize(32, 32));
}

void AboutDialogTest::itsOneButtonCloses() {
    AboutDialog d;
    d.show();
    const auto buttons = d.findChildren<QPushButton*>();
    QCOMPARE(buttons.size(), 1);
    QTest::mouseClick(buttons.first(), Qt::LeftButton);
    QVERIFY(!d.isVisible());
    QCOMPARE(d.result(), int(QDialog::Accepted));
}

// The title bar holds the title in bold beside an icon and up to three buttons, which take
// some 100 pixels in common themes (openbox cut "Tallixについて" short at 181 pixels).
void AboutDialogTest::wideEnoughForItsTitle() {
    AboutDialog d;
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QFont bold = QApplication::font("QMdiSubWindowTitleBar");
    bold.setBold(true);
    const int title = QFontMetrics(bold).horizontalAdvance(d.windowTitle());
    QVERIFY2(d.width() >= title + 100, qPrintable(QString("%1 for %2").arg(d.width()).arg(title)));
    QVERIFY(!(d.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
}

QTEST_MAIN(AboutDialogTest)
#include "about_dialog_test.moc"
