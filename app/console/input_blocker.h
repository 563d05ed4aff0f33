#pragma once

#include <QObject>
#include <QWidget>
#include <functional>

namespace tallix {

// While it lives, the window of `guarded` takes no keys, clicks or drops, except
// Esc, which is handed to `onEscape`, and no shortcut of the program fires. Other
// windows (the tray icon and its menu, the help window) work as usual, so the
// program can still be shown or ended from the tray.
class InputBlocker : public QObject {
  public:
    InputBlocker(QWidget* guarded, std::function<void()> onEscape);
    ~InputBlocker() override;
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool isGuarded(QObject* watched) const;

    QWidget* guarded_;  // the window
    std::function<void()> onEscape_;
};

}  // namespace tallix
