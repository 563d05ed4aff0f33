#include "app/dialogs/help_window.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace tallix {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    browser_ = new QTextBrowser(this);
    // Links within the page and to other local pages stay here; the web goes to the browser.
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    setWindowTitle(QStringLiteral("Tallix"));
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        if (!browser_->documentTitle().isEmpty()) setWindowTitle(browser_->documentTitle());
    });
    resize(640, 560);
}

void HelpWindow::showPage(const QString& path) {
    browser_->setSource(QUrl::fromLocalFile(path));
    show();
    raise();
    activateWindow();
}

}  // namespace tallix
