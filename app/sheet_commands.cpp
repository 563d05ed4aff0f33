// The window's commands for sheets: open and save in the File menu,
// recalculate all and copy result in the Edit menu (and so in the console's
// own menu), and what the status bar says about them.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>

#include "app/console/calc_view.h"
#include "app/console/result_copy.h"
#include "app/console/sheet_file.h"
#include "app/dialogs/message_box.h"
#include "app/main_frame.h"

namespace tallix {

namespace {

const QString SHEET_FILTER = QStringLiteral("テキスト (*.txt);;すべてのファイル (*)");
constexpr int STATUS_SHOWN_MS = 8000;

}  // namespace

void MainFrame::addSheetFileCommands(QMenu* menu) {
    menu->addAction(QStringLiteral("開く…(&O)"), QKeySequence(Qt::CTRL | Qt::Key_O), this,
                    &MainFrame::openSheet);
    menu->addAction(QStringLiteral("名前を付けて保存…(&A)"), QKeySequence(Qt::CTRL | Qt::Key_S),
                    this, &MainFrame::saveSheet);
    menu->addSeparator();
}

void MainFrame::addSheetEditCommands(QMenu* menu) {
    menu->addSeparator();
    menu->addAction(QStringLiteral("すべて再計算(&R)"), QKeySequence(Qt::Key_F9), view_,
                    &CalcView::recalculateAll);
    menu->addAction(QStringLiteral("結果をコピー(&Y)"),
                    QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), this, &MainFrame::copyResult);
}

// How far a recalculation has come, while it runs; after Esc, how many lines
// it left, until the user next changes the console.
void MainFrame::showRecalculation() {
    connect(view_, &CalcView::recalculationProgress, this, [this](int line, int lines) {
        statusBar()->showMessage(
            QStringLiteral("再計算中 %1 / %2 行    Esc: 中断").arg(line + 1).arg(lines));
        statusBar()->show();
    });
    connect(view_, &CalcView::recalculationEnded, this, [this](qsizetype unevaluated) {
        if (unevaluated == 0) {
            hideStatusBar();
            return;
        }
        statusBar()->showMessage(
            QStringLiteral("再計算を中断しました    残り %1 行は再計算していません")
                .arg(unevaluated));
        statusBar()->show();
        connect(view_, &QPlainTextEdit::textChanged, this, &MainFrame::hideStatusBar,
                Qt::SingleShotConnection);
    });
}

// Said for a while, or until the user changes the console.
void MainFrame::tellInStatusBar(const QString& text) {
    statusBar()->showMessage(text);
    statusBar()->show();
    connect(view_, &QPlainTextEdit::textChanged, this, &MainFrame::hideStatusBar,
            Qt::SingleShotConnection);
    QTimer::singleShot(STATUS_SHOWN_MS, statusBar(), [this, text] {
        if (statusBar()->currentMessage() == text) hideStatusBar();
    });
}

void MainFrame::copyResult() {
    tellInStatusBar(tallix::copyResult(view_->textCursor().block()));
}

void MainFrame::openSheet() {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("開く"),
                                                      settings_.sheetFolder(), SHEET_FILTER);
    if (!path.isEmpty()) openSheetFrom(path);
}

void MainFrame::saveSheet() {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("名前を付けて保存"),
                                                      settings_.sheetFolder(), SHEET_FILTER);
    if (!path.isEmpty()) saveSheetTo(path);
}

bool MainFrame::openSheetFrom(const QString& path) {
    QString text;
    const QString error = readSheet(path, text);
    if (!error.isEmpty()) {
        showWarning(this, QStringLiteral("%1 を開けませんでした。\n%2")
                              .arg(QDir::toNativeSeparators(path), error));
        return false;
    }
    showSheet(*view_, text);
    settings_.setSheetFolder(QFileInfo(path).absolutePath());
    return true;
}

bool MainFrame::saveSheetTo(const QString& path) {
    const QString error = tallix::saveSheet(*view_->document(), path);
    if (!error.isEmpty()) {
        showWarning(this,
                    QStringLiteral("%1 に保存できませんでした。コンソールはそのままです。\n%2")
                        .arg(QDir::toNativeSeparators(path), error));
        return false;
    }
    settings_.setSheetFolder(QFileInfo(path).absolutePath());
    tellInStatusBar(QStringLiteral("%1 に保存しました").arg(QDir::toNativeSeparators(path)));
    return true;
}

}  // namespace tallix
