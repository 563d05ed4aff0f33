#include "app/main_frame.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

#include "app/console/calc_view.h"
#include "app/console/input_blocker.h"
#include "app/console_font.h"
#include "app/desktop/help.h"
#include "app/desktop/program_icon.h"
#include "app/desktop/tray.h"
#include "app/desktop/tray_watch.h"
#include "app/desktop/wayland_session.h"
#include "app/desktop/window_placement.h"
#include "app/desktop/window_recall.h"
#include "app/dialogs/about_dialog.h"
#include "app/dialogs/help_window.h"
#include "app/dialogs/message_box.h"
#include "app/dialogs/no_hotkey_notice.h"
#include "app/dialogs/options_dialog.h"
#include "app/hotkey/hotkey_trigger.h"
#include "app/status_text.h"
#include "engine/engine.h"

Q_LOGGING_CATEGORY(lcWindow, "tallix.window")

namespace tallix {

namespace {

const QString HOTKEY_TAKEN =
    QStringLiteral("呼び出しキーは既に使われています。「設定」-「オプション」で変更してください。");

QList<QRect> availableAreas() {
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas << screen->availableGeometry();
    return areas;
}

// A Wayland client neither learns nor chooses where its window is: what Qt
// reports there as the position is no place the user chose. Nor does a window
// manager frame the window there: the title bar is the program's own drawing.
bool platformKnowsPosition() {
    return !onWayland();
}

WindowRect withPlace(const WindowRect& size, int left, int top) {
    return WindowRect{left, top, left + size.width(), top + size.height()};
}

WindowRect outerRect(const QRect& frame) {
    return WindowRect{frame.left(), frame.top(), frame.left() + frame.width(),
                      frame.top() + frame.height()};
}

}  // namespace

MainFrame::MainFrame(Settings& settings, QWidget* parent, std::unique_ptr<HotkeyBinding> hotkey)
    : QMainWindow(parent, Qt::WindowStaysOnTopHint),
      settings_(settings),
      hotkeyBinding_(hotkey ? std::move(hotkey) : HotkeyBinding::forPlatform()),
      recall_(new WindowRecall(*this)) {
    setWindowTitle(QStringLiteral("Tallix"));
    setWindowIcon(programIcon());
    view_ = new CalcView(settings_, this);
    setCentralWidget(view_);
    showSlowLineProgress();
    showRecalculation();
    createMenus();
    placeWindow();

    createTray();
    hotkeyCombination_ = settings_.hotkeyCombination();
    connect(hotkeyBinding_.get(), &HotkeyBinding::bound, this, &MainFrame::hotkeyBound);
    connect(hotkeyBinding_.get(), &HotkeyBinding::activated, this, &MainFrame::callUp);
    connect(hotkeyBinding_.get(), &HotkeyBinding::triggerChanged, this,
            &MainFrame::takeDesktopTrigger);
    registerHotkey();
    maxPrec_ = settings_.maxPrec();
    set_precision(maxPrec_);
}

MainFrame::~MainFrame() {
    storeRestoredRect();
    tray_.reset();
    hotkeyBinding_->unbind();
}

// A status bar only while a slow line runs (how long it has run, and the key
// that stops it) or after Esc stopped a paste.
void MainFrame::showSlowLineProgress() {
    connect(view_, &CalcView::evaluationRunning, this, [this](qint64 elapsedMs) {
        showStatusText(*this, QStringLiteral("計算中 %1 秒    Esc: 中断")
                                  .arg(static_cast<double>(elapsedMs) / 1000.0, 0, 'f', 1));
    });
    connect(view_, &CalcView::evaluationEnded, this, &MainFrame::hideStatusBar);
    // Said until the user next changes the console.
    connect(view_, &CalcView::pasteStopped, this, [this](qsizetype unevaluated) {
        if (unevaluated == 0) return;
        showStatusText(*this,
                       QStringLiteral("計算を中断しました    残り %1 行は未計算").arg(unevaluated));
        connect(view_, &QPlainTextEdit::textChanged, this, &MainFrame::hideStatusBar,
                Qt::SingleShotConnection);
    });
}

void MainFrame::hideStatusBar() {
    if (auto* bar = findChild<QStatusBar*>()) hideStatusText(*bar);
}

// A tray that comes up after the program (started at login before the panel) gets the icon
// as soon as it is there; from then on closing the window hides it to the tray.
void MainFrame::createTray() {
    if (TrayWatch::trayPresent()) {
        addTrayIcon();
        return;
    }
    auto* watch = new TrayWatch(this);
    connect(watch, &TrayWatch::appeared, this, [this, watch] {
        qCDebug(lcWindow) << "a tray appeared";
        addTrayIcon();
        watch->deleteLater();
    });
    watch->watch();
}

void MainFrame::addTrayIcon() {
    tray_ = std::make_unique<Tray>(windowIcon());
    connect(tray_.get(), &Tray::openRequested, this, [this] { callUp(QString()); });
    connect(tray_.get(), &Tray::exitRequested, this, &MainFrame::exitRequested);
}

// The desktop may take its time to answer (and ask its user first): the window does not wait
// for it. Only the answer to this first binding brings the start-up message: a binding the
// options make before that answer has its own warning, and takes the place of this one.
void MainFrame::registerHotkey() {
    startupWarning_ = connect(
        hotkeyBinding_.get(), &HotkeyBinding::bound, this,
        [this](HotkeyBinding::Result result) {
            if (result == HotkeyBinding::Result::AlreadyUsed) showWarning(this, HOTKEY_TAKEN);
            if (result == HotkeyBinding::Result::Unsupported) tellNoHotkeyOnce(this, settings_);
        },
        Qt::SingleShotConnection);
    hotkeyBinding_->bind(hotkeyCombination_.mod, hotkeyCombination_.ch);
}

void MainFrame::hotkeyBound(HotkeyBinding::Result result) {
    hotkeyMechanism_ = result != HotkeyBinding::Result::Unsupported;
}

// What the desktop binds is the call-up key now, whatever was asked for: the options show it
// and the next start asks for it.
void MainFrame::takeDesktopTrigger(int mod, int letter) {
    desktopTrigger_ = HotkeyCombination{mod, letter};
    if (hotkeyCombination_ == *desktopTrigger_) return;
    qCDebug(lcWindow).noquote() << "the desktop binds" << hotkeyText(*desktopTrigger_);
    hotkeyCombination_ = *desktopTrigger_;
    settings_.setHotkeyCombination(hotkeyCombination_);
}

void MainFrame::createMenus() {
    createFileMenu();
    createEditMenu();
    createSettingsMenu();
    createHelpMenu();
    for (QAction* title : menuBar()->actions()) {
        connect(title->menu(), &QMenu::aboutToHide, this, &MainFrame::returnFocusAfterMenu,
                Qt::QueuedConnection);
    }
}

// A menu closed with Esc leaves the menu bar holding the keyboard, with nothing highlighted,
// and the next key went to it instead of the console.
void MainFrame::returnFocusAfterMenu() {
    if (QApplication::activePopupWidget() == nullptr && menuBar()->hasFocus()) view_->setFocus();
}

void MainFrame::createFileMenu() {
    QMenu* menu = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    addSheetFileCommands(menu);
    menu->addAction(QStringLiteral("閉じる(&C)"), QKeySequence(Qt::Key_Escape), this,
                    &MainFrame::hideFrame);
    menu->addSeparator();
    menu->addAction(QStringLiteral("Tallixの終了(&X)"), this, &MainFrame::exitRequested);
}

void MainFrame::createEditMenu() {
    QMenu* menu = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    auto add = [&](const char* text, QList<QKeySequence> keys, void (QPlainTextEdit::*slot)()) {
        QAction* action = menu->addAction(QString::fromUtf8(text), view_, slot);
        action->setShortcuts(keys);
        return action;
    };
    QAction* undo = add("元に戻す(&U)", {Qt::CTRL | Qt::Key_Z, Qt::ALT | Qt::Key_Backspace},
                        &QPlainTextEdit::undo);
    menu->addSeparator();
    QAction* cut = add("切り取り(&T)", {Qt::CTRL | Qt::Key_X, Qt::SHIFT | Qt::Key_Delete},
                       &QPlainTextEdit::cut);
    QAction* copy =
        add("コピー(&C)", {Qt::CTRL | Qt::Key_C, Qt::CTRL | Qt::Key_Insert}, &QPlainTextEdit::copy);
    QAction* paste = add("貼り付け(&P)", {Qt::CTRL | Qt::Key_V, Qt::SHIFT | Qt::Key_Insert},
                         &QPlainTextEdit::paste);
    menu->addSeparator();
    QAction* selectAll = add("全て選択(&A)", {Qt::CTRL | Qt::Key_A}, &QPlainTextEdit::selectAll);
    addSheetEditCommands(menu);

    undo->setEnabled(false);
    cut->setEnabled(false);
    copy->setEnabled(false);
    connect(view_, &QPlainTextEdit::undoAvailable, undo, &QAction::setEnabled);
    connect(view_, &QPlainTextEdit::copyAvailable, cut, &QAction::setEnabled);
    connect(view_, &QPlainTextEdit::copyAvailable, copy, &QAction::setEnabled);
    auto updatePaste = [paste] { paste->setEnabled(QGuiApplication::clipboard()->text() != ""); };
    auto updateSelectAll = [this, selectAll] {
        selectAll->setEnabled(!view_->document()->isEmpty());
    };
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, paste, updatePaste);
    connect(menu, &QMenu::aboutToShow, paste, updatePaste);
    connect(view_, &QPlainTextEdit::textChanged, selectAll, updateSelectAll);
    updatePaste();
    updateSelectAll();

    // The console's own menu offers these very commands, not the text control's standard ones
    // (other texts, a paste that would not go line by line).
    view_->setContextMenuPolicy(Qt::ActionsContextMenu);
    view_->addActions(menu->actions());
}

void MainFrame::createSettingsMenu() {
    QMenu* menu = menuBar()->addMenu(QStringLiteral("設定(&S)"));
    menu->addAction(QStringLiteral("フォント(&F)..."), this,
                    [this] { chooseConsoleFont(*view_, settings_); });
    menu->addAction(QStringLiteral("オプション(&O)..."), this, &MainFrame::showOptions);
}

void MainFrame::createHelpMenu() {
    QMenu* menu = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    menu->addAction(QStringLiteral("目次(&C)"), QKeySequence(Qt::Key_F1), this,
                    &MainFrame::showHelp);
    menu->addSeparator();
    menu->addAction(QStringLiteral("Tallixについて(&A)..."), this, &MainFrame::showAbout);
}

void MainFrame::showOptions() {
    OptionsActions actions;
    actions.unregisterHotkey = [this] {
        disconnect(startupWarning_);
        hotkeyBinding_->unbind();
    };
    actions.registerHotkey = [this](int mod, int ch) {
        disconnect(startupWarning_);
        desktopTrigger_.reset();
        // The desktop may show its own prompt meanwhile; this window takes no input until
        // the answer is there.
        const InputBlocker blocker(this, [] {});
        // A desktop that keeps the shortcut without a key yet took it: its user sets the key
        // there, as the options then say.
        const HotkeyBinding::Result result = hotkeyBinding_->bindAndWait(mod, ch);
        return result == HotkeyBinding::Result::Registered ||
               result == HotkeyBinding::Result::Unassigned ||
               result == HotkeyBinding::Result::Unsupported;
    };
    actions.setPrecision = [](int digits) { set_precision(digits); };
    actions.store = [this](int mod, int ch, int digits) {
        hotkeyCombination_ = desktopTrigger_.value_or(HotkeyCombination{mod, ch});
        settings_.setHotkeyCombination(hotkeyCombination_);
        maxPrec_ = digits;
        settings_.setMaxPrec(digits);
    };
    actions.warn = [this](const QString& text) { showWarning(this, text); };
    runOptions(
        this, OptionValues{hotkeyCombination_.mod, hotkeyCombination_.ch, maxPrec_},
        HotkeyState{hotkeyBinding_->isBound(), hotkeyMechanism_, hotkeyBinding_->desktopNote()},
        actions);
}

void MainFrame::showHelp() {
    HelpFallbacks fallbacks;
    fallbacks.warn = [this](const QString& text) { showWarning(this, text); };
    fallbacks.showPage = [this](const QString& path) {
        if (!helpWindow_) helpWindow_ = new HelpWindow(this);
        helpWindow_->showPage(path);
    };
    openHelp(QCoreApplication::applicationDirPath(), this, fallbacks);
}

void MainFrame::showAbout() {
    AboutDialog about(this);
    about.exec();
}

void MainFrame::callUp(const QString& activationToken) {
    // Wayland lets a window take the focus only with a token from whoever started the
    // request; Qt's Wayland plugin takes it from this variable when the window is shown or
    // activated, and clears it once used.
    if (!activationToken.isEmpty()) qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    qCDebug(lcWindow).noquote() << "called up" << (activationToken.isEmpty() ? "" : "with token")
                                << activationToken;
    showFrame();
    if (!activationToken.isEmpty() && qEnvironmentVariableIsSet("XDG_ACTIVATION_TOKEN")) {
        qCDebug(lcWindow) << "the platform did not use the token";
        // It must not reach the programs this one starts.
        qunsetenv("XDG_ACTIVATION_TOKEN");
    }
}

void MainFrame::showFrame() {
    recall_->bringBack();
    // The window remembers where the keyboard was when it was hidden; called up, it is for
    // typing a line.
    view_->setFocus(Qt::ActiveWindowFocusReason);
}

void MainFrame::hideFrame() {
    qCDebug(lcWindow) << (hasTrayIcon() ? "hidden to the tray" : "minimised");
    recall_->setAside(hasTrayIcon());
}

void MainFrame::closeEvent(QCloseEvent* event) {
    event->ignore();
    hideFrame();
}

// The stored rectangle is the outer one, frame included, so the window opens
// at the client size that makes the frame fit it. The frame's size is known
// only once a window manager has framed the window. Where the program draws
// its own title bar (Wayland) there is no window manager's frame to fit: the
// rectangle is the window's inside, so that the title bar, which Qt adds only
// as the window is mapped, never takes its room from the console. A stored
// rectangle the screens cannot show is brought within them before the window
// is first drawn; it is stored back only when the window's place is stored
// anyway.
// Where the platform keeps positions to itself, the stored place is left as
// it is for the next session that knows one.
void MainFrame::placeWindow() {
    const WindowRect stored = settings_.windowRect();
    openingRect_ = placeOnScreens(stored, availableAreas());
    if (!platformKnowsPosition()) openingRect_ = withPlace(openingRect_, stored.left, stored.top);
    normalRect_ = openingRect_;
    move(openingRect_.left, openingRect_.top);
    resize(openingRect_.width(), openingRect_.height());
}

void MainFrame::fitFrameToRect() {
    const QMargins frame(geometry().left() - frameGeometry().left(),
                         geometry().top() - frameGeometry().top(),
                         frameGeometry().right() - geometry().right(),
                         frameGeometry().bottom() - geometry().bottom());
    if (frame.isNull()) return;
    frameFitted_ = true;
    resize(openingRect_.width() - frame.left() - frame.right(),
           openingRect_.height() - frame.top() - frame.bottom());
    move(openingRect_.left, openingRect_.top);
}

void MainFrame::trackNormalRect() {
    if (!isVisible() || windowState() != Qt::WindowNoState) return;
    normalRect_ = outerRect(platformKnowsPosition() ? frameGeometry() : geometry());
}

bool MainFrame::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::WindowStateChange:
            if (!frameFitted_ && platformKnowsPosition() && isVisible() &&
                windowState() == Qt::WindowNoState) {
                fitFrameToRect();
            }
            trackNormalRect();
            break;
        case QEvent::WindowActivate:
            // The console is the window's one place for keys. Back from a dialog opened from
            // the menu bar, Qt handed the keyboard to the bar, and the keys typed next were
            // lost.
            if (QApplication::activePopupWidget() == nullptr)
                view_->setFocus(Qt::ActiveWindowFocusReason);
            break;
        default:
            break;
    }
    return handled;
}

WindowRect MainFrame::restoredRect() const {
    if (!platformKnowsPosition())
        return withPlace(normalRect_, openingRect_.left, openingRect_.top);
    return normalRect_;
}

void MainFrame::storeRestoredRect() {
    settings_.setWindowRect(restoredRect());
}

}  // namespace tallix
