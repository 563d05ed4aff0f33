#pragma once

#include <QObject>

class QWidget;

namespace tallix {

// How the window leaves the screen when closed and how it comes back when called up.
//
// A Wayland client can minimise its window but not restore it, and the compositor need not
// tell it that the window is minimised (GNOME answers with a configure that carries no state
// at all): the window may be off the screen while Qt believes it shown. This class remembers
// that it minimised the window itself, and brings the window back by mapping it anew, which
// every compositor shows and puts in front.
class WindowRecall : public QObject {
    Q_OBJECT
  public:
    explicit WindowRecall(QWidget& window);

    // Hides the window when a tray icon can bring it back; otherwise minimises it, so that the
    // task bar still offers it.
    void setAside(bool toTray);
    // Shows the window in its normal state and in front, from hidden, minimised (by the
    // program or by the desktop) or behind other windows.
    void bringBack();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Whether the window may be off the screen although Qt reports it shown.
    bool mayBeOutOfSight() const;

    QWidget& window_;
    bool minimisedByUs_ = false;
};

}  // namespace tallix
