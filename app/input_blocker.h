#pragma once

#include <QObject>
#include <functional>

namespace tallix {

// While it lives, the whole program takes no keys, clicks or drops, except
// Esc, which is handed to `onEscape`.
class InputBlocker : public QObject {
  public:
    explicit InputBlocker(std::function<void()> onEscape);
    ~InputBlocker() override;
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::function<void()> onEscape_;
};

}  // namespace tallix
