// Which links of the help page the program's own help window may follow, and how.
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <optional>

namespace tallix {

// What the help window does with a link.
enum class HelpLinkAction {
    Scroll,       // an anchor of the page shown: scroll to it
    Show,         // a file in the help folder: show it here
    OpenOutside,  // http, https, mailto: hand it to the desktop's opener
    Refuse,       // anything else: another scheme, a file outside the help folder, a device
};

// The most a local resource of the help may hold; a larger one is not read.
inline constexpr qint64 MAX_HELP_RESOURCE_BYTES = 4 * 1024 * 1024;

// `link` as the page gives it, `page` the file shown, `helpFolder` the folder the help lies in.
// Links are resolved against the page first.
HelpLinkAction helpLinkAction(const QUrl& link, const QUrl& page, const QString& helpFolder);

// The path of a regular file inside `helpFolder` (after following links) that `url` names,
// or nothing.
std::optional<QString> helpFile(const QUrl& url, const QString& helpFolder);

// The contents of a help file, or nothing when it is larger than `limit` or unreadable.
std::optional<QByteArray> readHelpFile(const QString& path, qint64 limit = MAX_HELP_RESOURCE_BYTES);

}  // namespace tallix
