#include "app/dialogs/help_window.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QKeySequence>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "app/dialogs/control_description.h"
#include "app/dialogs/help_links.h"

namespace tallix {

namespace {

// Reads pages, pictures and style sheets from the help folder alone, each within the limit.
class HelpBrowser : public QTextBrowser {
  public:
    using QTextBrowser::QTextBrowser;
    void setFolder(const QString& folder) { folder_ = folder; }

    // A refusal is an empty resource: given none at all, the document would read the file
    // itself, without limit.
    QVariant loadResource(int, const QUrl& name) override {
        // The document resolves the names in a page against the page's folder; a relative
        // name that comes here is taken the same way.
        const QUrl url = name.isRelative() ? document()->baseUrl().resolved(name) : name;
        const std::optional<QString> path = helpFile(url, folder_);
        const std::optional<QByteArray> bytes = path ? readHelpFile(*path) : std::nullopt;
        return QVariant(bytes.value_or(QByteArray("")));
    }

  private:
    QString folder_;
};

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    browser_ = new HelpBrowser(this);
    browser_->setOpenLinks(false);
    browser_->setOpenExternalLinks(false);
    // The page's own margins are for browsers, which centre it; here it fills the window.
    browser_->document()->setDocumentMargin(12);
    connect(browser_, &QTextBrowser::anchorClicked, this, &HelpWindow::follow);
    describeControl(browser_, QStringLiteral("ヘルプ"),
                    QStringLiteral("Tallixの使い方の説明です。Esc キーで閉じます。"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    setWindowTitle(QStringLiteral("Tallix"));
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        if (!browser_->documentTitle().isEmpty()) setWindowTitle(browser_->documentTitle());
    });
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);
    resize(640, 560);
}

void HelpWindow::showPage(const QString& path) {
    helpFolder_ = QFileInfo(path).absolutePath();
    static_cast<HelpBrowser*>(browser_)->setFolder(helpFolder_);
    browser_->setSource(QUrl::fromLocalFile(path));
    show();
    raise();
    activateWindow();
}

void HelpWindow::follow(const QUrl& link) {
    const QUrl target = browser_->source().resolved(link);
    switch (helpLinkAction(link, browser_->source(), helpFolder_)) {
        case HelpLinkAction::Scroll:
            browser_->scrollToAnchor(target.fragment());
            break;
        case HelpLinkAction::Show:
            browser_->setSource(target);
            break;
        case HelpLinkAction::OpenOutside:
            QDesktopServices::openUrl(target);
            break;
        case HelpLinkAction::Refuse:
            break;
    }
}

}  // namespace tallix
