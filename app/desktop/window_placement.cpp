#include "app/desktop/window_placement.h"

#include <QRegion>
#include <algorithm>

namespace tallix {

namespace {

constexpr int FAR_OUT = 1 << 29;

QRect desktopBounds(const QList<QRect>& screens) {
    QRect bounds;
    for (const QRect& screen : screens)
        bounds |= screen;
    return bounds;
}

// Screens may meet edge to edge: a window across two of them is wholly shown
// when the screens together cover it, though neither holds all of it.
bool whollyShown(const QRect& window, const QList<QRect>& screens) {
    QRegion uncovered(window);
    for (const QRect& screen : screens)
        uncovered -= screen;
    return uncovered.isEmpty();
}

qint64 area(const QRect& rect) {
    return rect.isEmpty() ? 0 : qint64(rect.width()) * rect.height();
}

qint64 distance(const QRect& screen, const QRect& window) {
    const auto gap = [](qint64 low, qint64 high, qint64 otherLow, qint64 otherHigh) {
        return std::max<qint64>({0, otherLow - high, low - otherHigh});
    };
    const qint64 dx = gap(window.left(), window.right(), screen.left(), screen.right());
    const qint64 dy = gap(window.top(), window.bottom(), screen.top(), screen.bottom());
    return dx * dx + dy * dy;
}

// The screen that shows most of the window, or the nearest one when none shows any.
const QRect& homeScreen(const QRect& window, const QList<QRect>& screens) {
    return *std::min_element(screens.begin(), screens.end(), [&](const QRect& a, const QRect& b) {
        const qint64 shownA = area(a & window), shownB = area(b & window);
        if (shownA != shownB) return shownA > shownB;
        return distance(a, window) < distance(b, window);
    });
}

QRect moveOnto(QRect window, const QRect& screen) {
    window.setWidth(std::min(window.width(), screen.width()));
    window.setHeight(std::min(window.height(), screen.height()));
    window.moveLeft(
        std::clamp(window.left(), screen.left(), screen.left() + screen.width() - window.width()));
    window.moveTop(
        std::clamp(window.top(), screen.top(), screen.top() + screen.height() - window.height()));
    return window;
}

}  // namespace

WindowRect placeOnScreens(const WindowRect& stored, const QList<QRect>& screens) {
    if (screens.isEmpty()) return stored;
    const QRect bounds = desktopBounds(screens);
    // In 64 bits: the edges of a hand-edited rectangle may lie far apart.
    const qint64 width =
        std::clamp<qint64>(qint64(stored.right) - stored.left,
                           std::min(MIN_WINDOW_WIDTH, bounds.width()), bounds.width());
    const qint64 height =
        std::clamp<qint64>(qint64(stored.bottom) - stored.top,
                           std::min(MIN_WINDOW_HEIGHT, bounds.height()), bounds.height());
    // A place this far out is on no screen and will move; held here, the
    // edges stay within int.
    const int left = std::clamp(stored.left, -FAR_OUT, FAR_OUT);
    const int top = std::clamp(stored.top, -FAR_OUT, FAR_OUT);
    QRect window(left, top, int(width), int(height));
    if (!whollyShown(window, screens)) window = moveOnto(window, homeScreen(window, screens));
    return WindowRect{window.left(), window.top(), window.left() + window.width(),
                      window.top() + window.height()};
}

}  // namespace tallix
