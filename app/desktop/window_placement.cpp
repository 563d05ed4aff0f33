#include "app/desktop/window_placement.h"

#include <algorithm>

namespace tallix {

namespace {

// The strip along the top that a window manager draws the title bar in, and
// how much of it must lie on a screen for the user to take hold of it.
constexpr int TITLE_HEIGHT = 24;
constexpr int GRIP_WIDTH = 80;
constexpr int GRIP_HEIGHT = 12;
constexpr int FAR_OUT = 1 << 29;

QRect desktopBounds(const QList<QRect>& screens) {
    QRect bounds;
    for (const QRect& screen : screens)
        bounds |= screen;
    return bounds;
}

bool titleBarReachable(const QRect& window, const QList<QRect>& screens) {
    const QRect title(window.left(), window.top(), window.width(),
                      std::min(TITLE_HEIGHT, window.height()));
    const int gripWidth = std::min(GRIP_WIDTH, window.width());
    const int gripHeight = std::min(GRIP_HEIGHT, title.height());
    return std::any_of(screens.begin(), screens.end(), [&](const QRect& screen) {
        const QRect shown = screen & title;
        return shown.width() >= gripWidth && shown.height() >= gripHeight;
    });
}

qint64 distance(const QRect& screen, const QRect& window) {
    const auto gap = [](qint64 low, qint64 high, qint64 otherLow, qint64 otherHigh) {
        return std::max<qint64>({0, otherLow - high, low - otherHigh});
    };
    const qint64 dx = gap(window.left(), window.right(), screen.left(), screen.right());
    const qint64 dy = gap(window.top(), window.bottom(), screen.top(), screen.bottom());
    return dx * dx + dy * dy;
}

const QRect& nearestScreen(const QRect& window, const QList<QRect>& screens) {
    return *std::min_element(screens.begin(), screens.end(), [&](const QRect& a, const QRect& b) {
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
    if (!titleBarReachable(window, screens))
        window = moveOnto(window, nearestScreen(window, screens));
    return WindowRect{window.left(), window.top(), window.left() + window.width(),
                      window.top() + window.height()};
}

}  // namespace tallix
