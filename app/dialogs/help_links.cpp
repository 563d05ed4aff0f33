#include "app/dialogs/help_links.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tallix {

namespace {

bool samePage(const QUrl& a, const QUrl& b) {
    return a.adjusted(QUrl::RemoveFragment | QUrl::NormalizePathSegments) ==
           b.adjusted(QUrl::RemoveFragment | QUrl::NormalizePathSegments);
}

}  // namespace

std::optional<QString> helpFile(const QUrl& url, const QString& helpFolder) {
    if (!url.isLocalFile()) return std::nullopt;
    // Canonical paths on both sides: a link inside the folder may lead out of it (a "..", a
    // symbolic link to /dev/zero or to another user's files).
    const QString folder = QFileInfo(helpFolder).canonicalFilePath();
    const QFileInfo target(QFileInfo(url.toLocalFile()).canonicalFilePath());
    if (folder.isEmpty() || !target.exists() || !target.isFile()) return std::nullopt;
    if (!target.filePath().startsWith(folder + QLatin1Char('/'))) return std::nullopt;
    return target.filePath();
}

HelpLinkAction helpLinkAction(const QUrl& link, const QUrl& page, const QString& helpFolder) {
    const QUrl target = page.resolved(link);
    const QString scheme = target.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
        scheme == QLatin1String("mailto"))
        return target.isValid() ? HelpLinkAction::OpenOutside : HelpLinkAction::Refuse;
    if (target.hasFragment() && samePage(target, page)) return HelpLinkAction::Scroll;
    // A page too large to read would show as an empty one.
    const std::optional<QString> file = helpFile(target, helpFolder);
    return file && QFileInfo(*file).size() <= MAX_HELP_RESOURCE_BYTES ? HelpLinkAction::Show
                                                                      : HelpLinkAction::Refuse;
}

std::optional<QByteArray> readHelpFile(const QString& path, qint64 limit) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    // Read one byte beyond the limit: the size a file reports is no bound on what it yields.
    QByteArray bytes = file.read(limit + 1);
    if (bytes.size() > limit || file.error() != QFileDevice::NoError) return std::nullopt;
    return bytes;
}

}  // namespace tallix
