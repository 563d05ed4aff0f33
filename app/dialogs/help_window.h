// The help page in a window of the program's own, for desktops that cannot show it.
#pragma once

#include <QWidget>

class QTextBrowser;

namespace tallix {

class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the page at `path` (its links and anchors work) and brings the window forward.
    void showPage(const QString& path);
    QTextBrowser* browser() const { return browser_; }

  private:
    QTextBrowser* browser_;
};

}  // namespace tallix
