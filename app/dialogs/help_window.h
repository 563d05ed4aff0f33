// The help page in a window of the program's own, for desktops that cannot show it.
#pragma once

#include <QWidget>

class QTextBrowser;
class QUrl;

namespace tallix {

// Follows only what a help page needs: its own anchors and the other files of its folder, shown
// here; web and mail addresses, handed to the desktop's opener. Any other link does nothing,
// and no file is read beyond a size limit.
class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the page at `path` and brings the window forward; the page's folder is the help
    // folder from then on.
    void showPage(const QString& path);
    QTextBrowser* browser() const { return browser_; }

  private:
    void follow(const QUrl& link);

    QTextBrowser* browser_;
    QString helpFolder_;
};

}  // namespace tallix
