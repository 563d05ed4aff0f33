#include "app/dialogs/dialog_frame.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDialog>
#include <QFontMetrics>
#include <QSpacerItem>
#include <algorithm>

#include "app/desktop/wayland_session.h"

namespace tallix {

namespace {

// Window managers draw titles in a bold face of about the program's size, beside the window's
// icon and up to three buttons: room for four squares of the title bar's height besides the text.
int windowManagerTitleWidth(const QString& title) {
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int square = metrics.height() + 8;
    return metrics.horizontalAdvance(title) + 4 * square + 2 * metrics.averageCharWidth();
}

// On Wayland Qt draws the title bar itself, whatever the window's hints: a 14-pixel face,
// centred across the whole window and cut off where the window's icon ends at the left (35
// pixels in) and where its three buttons begin at the right (77 pixels from the edge), with
// 3-pixel borders. Centred, the title clears the buttons only in a window at least twice their
// room wider than the text.
int qtTitleBarWidth(const QString& title) {
    QFont font;
    font.setPixelSize(14);
    constexpr int BUTTONS = 77;
    constexpr int BORDERS = 2 * 3;
    constexpr int SLACK = 8;
    return QFontMetrics(font).horizontalAdvance(title) + 2 * BUTTONS - BORDERS + SLACK;
}

int titleBarWidth(const QString& title) {
    const int width = windowManagerTitleWidth(title);
    return onWayland() ? std::max(width, qtTitleBarWidth(title)) : width;
}

}  // namespace

void useDialogFrame(QDialog& dialog) {
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint);
    // Modal to the window only: the tray icon's menu (Open, Exit) stays usable meanwhile.
    dialog.setWindowModality(Qt::WindowModal);
    // A dialog of fixed size takes its layout's size, so the width goes into the layout. (A
    // message box makes room for its title itself.)
    if (auto* column = qobject_cast<QBoxLayout*>(dialog.layout())) {
        column->addSpacerItem(new QSpacerItem(titleBarWidth(dialog.windowTitle()), 0,
                                              QSizePolicy::Fixed, QSizePolicy::Minimum));
    }
}

}  // namespace tallix
