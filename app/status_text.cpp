#include "app/status_text.h"

#include <QMainWindow>
#include <QStatusBar>

namespace tallix {

namespace {

const QString IDLE_DESCRIPTION =
    QStringLiteral("時間のかかる計算の経過と中断のキー、中断した貼り付けの残り行数を表示します。");

}  // namespace

void showStatusText(QMainWindow& window, const QString& text) {
    QStatusBar* bar = window.statusBar();
    if (bar->accessibleName().isEmpty()) bar->setAccessibleName(QStringLiteral("状態表示"));
    bar->showMessage(text);
    bar->setAccessibleDescription(text);
    bar->show();
}

void hideStatusText(QStatusBar& bar) {
    bar.clearMessage();
    bar.setAccessibleDescription(IDLE_DESCRIPTION);
    bar.hide();
}

}  // namespace tallix
