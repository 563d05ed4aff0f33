// Answering the modal windows of the program from a test, one step per window.
#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <functional>

#include "app/dialogs/options_dialog.h"

namespace tallix {

// Answers the modal windows as they come up, one step each; a window shown again (the options
// after a refusal) counts as a new one.
class ModalScript : public QObject {
  public:
    explicit ModalScript(std::deque<std::function<void(QWidget*)>> steps)
        : steps_(std::move(steps)) {
        connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
        timer_.start(20);
    }
    bool finished() const { return steps_.empty(); }

  private:
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            handled_ = nullptr;
            return;
        }
        if (modal == handled_ || steps_.empty()) return;
        handled_ = modal;
        auto step = std::move(steps_.front());
        steps_.pop_front();
        step(modal);
    }

    std::deque<std::function<void(QWidget*)>> steps_;
    QWidget* handled_ = nullptr;
    QTimer timer_;
};

// Steps act first and leave checks to the test: a failed check inside a step would leave the
// window open and the test waiting.
inline void close(QWidget* window) {
    QMetaObject::invokeMethod(window, "reject", Qt::QueuedConnection);
}

inline std::function<void(QWidget*)> applyKey(const QString& key) {
    return [key](QWidget* window) {
        auto* dialog = qobject_cast<OptionsDialog*>(window);
        if (!dialog) return close(window);
        dialog->findChild<QLineEdit*>("key")->setText(key);
        dialog->applyButton()->click();
    };
}

}  // namespace tallix
