#include "app/dialogs/dialog_frame.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDialog>
#include <QFontMetrics>
#include <QSpacerItem>

namespace tallix {

namespace {

// Window managers draw titles in a bold face of about the program's size, beside the window's
// icon and up to three buttons: room for four squares of the title bar's height besides the text.
int titleBarWidth(const QString& title) {
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int square = metrics.height() + 8;
    return metrics.horizontalAdvance(title) + 4 * square + 2 * metrics.averageCharWidth();
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
