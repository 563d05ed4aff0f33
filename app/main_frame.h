// The program itself: the window that joins the console, the call-up key, the dialogs and the
// tray. Only this top level (with CalcApp and main) may use every room.
#pragma once

#include <QMainWindow>
#include <QMargins>
#include <memory>
#include <optional>

#include "app/hotkey/hotkey_binding.h"
#include "app/settings/settings.h"

class QMenu;

namespace tallix {

class CalcView;
class HelpWindow;
class Tray;
class WindowRecall;

// The program's window: the console, the menu bar, always on top. Closing
// it only hides it (or minimises it when there is no tray icon); the hotkey
// and the tray icon bring it back. It opens where it was when the program
// last ended, and stores that place when it is destroyed.
class MainFrame : public QMainWindow {
    Q_OBJECT
  public:
    // Without a `hotkey`, the one of the running platform.
    explicit MainFrame(Settings& settings, QWidget* parent = nullptr,
                       std::unique_ptr<HotkeyBinding> hotkey = {});
    ~MainFrame() override;

    CalcView* view() const { return view_; }
    Settings& settings() const { return settings_; }
    HotkeyBinding& hotkeyBinding() { return *hotkeyBinding_; }
    // False once the session turned out to offer no global hotkey at all.
    bool hasHotkeyMechanism() const { return hotkeyMechanism_; }
    // True while the window waits for the desktop to answer a binding.
    bool isWaitingForDesktop() const { return hotkeyBinding_->isWaiting(); }
    bool hasTrayIcon() const { return tray_ != nullptr; }

    // The call-up key and the precision in force (the options dialog changes them).
    HotkeyCombination hotkeyCombination() const { return hotkeyCombination_; }
    void setHotkeyCombination(const HotkeyCombination& key) { hotkeyCombination_ = key; }
    int maxPrec() const { return maxPrec_; }
    void setMaxPrec(int digits) { maxPrec_ = digits; }

    // The outer edges of the window in its normal state, wherever it is now.
    WindowRect restoredRect() const;
    void storeRestoredRect();

  public slots:
    void showFrame();
    // Shows the window at a request from outside (the hotkey, a second launch); the token, if
    // any, is the launcher's permission to take the focus.
    void callUp(const QString& activationToken);
    void hideFrame();
    void showOptions();
    void showHelp();
    void showAbout();
    // The sheet commands of the File and Edit menus; the two with a path
    // are what the file choosers lead to. False when the file could not be
    // written or read (the user has been told, and the console is as it was).
    void openSheet();
    void saveSheet();
    bool openSheetFrom(const QString& path);
    bool saveSheetTo(const QString& path);
    void copyResult();

  signals:
    void exitRequested();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void createMenus();
    void createFileMenu();
    void createEditMenu();
    void createSettingsMenu();
    void createHelpMenu();
    void addSheetFileCommands(QMenu* menu);
    void addSheetEditCommands(QMenu* menu);
    void showRecalculation();
    void tellInStatusBar(const QString& text);
    void returnFocusAfterMenu();
    void createTray();
    void addTrayIcon();
    void showSlowLineProgress();
    void hideStatusBar();
    void registerHotkey();
    void hotkeyBound(HotkeyBinding::Result result);
    void takeDesktopTrigger(int mod, int letter);
    void placeWindow();
    void fitFrameToRect();
    void trackNormalRect();

    Settings& settings_;
    CalcView* view_ = nullptr;
    std::unique_ptr<Tray> tray_;
    HelpWindow* helpWindow_ = nullptr;  // made on first need
    std::unique_ptr<HotkeyBinding> hotkeyBinding_;
    WindowRecall* recall_;  // a child
    bool hotkeyMechanism_ = true;
    QMetaObject::Connection startupWarning_;  // until the start-up binding has its answer
    HotkeyCombination hotkeyCombination_;
    std::optional<HotkeyCombination>
        desktopTrigger_;  // the desktop's own choice for the last binding
    int maxPrec_ = DEFAULT_PRECISION;
    WindowRect openingRect_;  // as stored when the program started
    WindowRect normalRect_;   // as the window is now, or was when last in its normal state
    bool frameFitted_ = false;
};

}  // namespace tallix
