// Where a stored window rectangle opens, on made-up screen layouts: too big
// to draw, lost off every screen, partly off a screen, too small to use.
#include <QTest>

#include "app/desktop/window_placement.h"

using namespace tallix;

Q_DECLARE_METATYPE(tallix::WindowRect)

namespace {

const QList<QRect> ONE{QRect(0, 0, 1024, 768)};
const QList<QRect> LAPTOP{QRect(0, 0, 1280, 800)};
// A laptop left of a larger monitor, its panel taking the bottom 40 pixels.
const QList<QRect> TWO{QRect(0, 0, 800, 560), QRect(800, 0, 1920, 1080)};

}  // namespace

class WindowPlacementTest : public QObject {
    Q_OBJECT

  private slots:
    void placeOnScreens_data() {
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<WindowRect>("stored");
        QTest::addColumn<WindowRect>("placed");
        const int big = 2'000'000'000;
        QTest::newRow("fits") << ONE << WindowRect{100, 50, 400, 250}
                              << WindowRect{100, 50, 400, 250};
        QTest::newRow("two thousand million square")
            << ONE << WindowRect{0, 0, big, big} << WindowRect{0, 0, 1024, 768};
        QTest::newRow("32767 square")
            << ONE << WindowRect{0, 0, 32767, 32767} << WindowRect{0, 0, 1024, 768};
        QTest::newRow("16777217 by 16777240")
            << ONE << WindowRect{10, 20, 10 + 16777217, 20 + 16777240}
            << WindowRect{0, 0, 1024, 768};
        QTest::newRow("a corner showing")
            << ONE << WindowRect{995, 700, 1295, 900} << WindowRect{724, 568, 1024, 768};
        QTest::newRow("title bar above the screen")
            << ONE << WindowRect{100, -150, 400, 50} << WindowRect{100, 0, 400, 200};
        QTest::newRow("far out") << ONE << WindowRect{-big, -big, -big + 300, -big + 200}
                                 << WindowRect{0, 0, 300, 200};
        QTest::newRow("too small")
            << ONE << WindowRect{50, 50, 51, 51} << WindowRect{50, 50, 210, 150};
        QTest::newRow("on the second screen")
            << TWO << WindowRect{2000, 100, 2400, 400} << WindowRect{2000, 100, 2400, 400};
        QTest::newRow("across both screens")
            << TWO << WindowRect{600, 100, 1200, 500} << WindowRect{600, 100, 1200, 500};
        QTest::newRow("second screen gone")
            << ONE << WindowRect{2000, 100, 2400, 400} << WindowRect{624, 100, 1024, 400};
        QTest::newRow("shrunk to the nearest screen")
            << TWO << WindowRect{-3000, 0, -1500, 900} << WindowRect{0, 0, 800, 560};
        QTest::newRow("in the far corner, whole")
            << ONE << WindowRect{724, 568, 1024, 768} << WindowRect{724, 568, 1024, 768};
        QTest::newRow("an 80 by 80 corner showing")
            << LAPTOP << WindowRect{1200, 700, 1600, 1000} << WindowRect{880, 500, 1280, 800};
        QTest::newRow("right edge past the screen")
            << LAPTOP << WindowRect{1000, 100, 1300, 300} << WindowRect{980, 100, 1280, 300};
        QTest::newRow("bottom edge past the screen")
            << LAPTOP << WindowRect{100, 700, 400, 900} << WindowRect{100, 600, 400, 800};
        QTest::newRow("left and top edges past the screen")
            << LAPTOP << WindowRect{-50, -20, 250, 180} << WindowRect{0, 0, 300, 200};
        QTest::newRow("across both screens, below the smaller one")
            << TWO << WindowRect{600, 400, 1200, 700} << WindowRect{800, 400, 1400, 700};
        QTest::newRow("mostly on the smaller screen, partly below it")
            << TWO << WindowRect{100, 400, 700, 700} << WindowRect{100, 260, 700, 560};
        QTest::newRow("taller than the screen it is mostly on")
            << TWO << WindowRect{0, 0, 600, 900} << WindowRect{0, 0, 600, 560};
        QTest::newRow("no screens")
            << QList<QRect>{} << WindowRect{0, 0, big, big} << WindowRect{0, 0, big, big};
    }

    void placeOnScreens() {
        QFETCH(QList<QRect>, screens);
        QFETCH(WindowRect, stored);
        QFETCH(WindowRect, placed);
        const WindowRect got = tallix::placeOnScreens(stored, screens);
        QVERIFY2(
            got == placed,
            qPrintable(
                QString("%1,%2,%3,%4").arg(got.left).arg(got.top).arg(got.right).arg(got.bottom)));
    }
};

QTEST_MAIN(WindowPlacementTest)
#include "window_placement_test.moc"
