// The help page: where index.htm is looked for and how it is opened.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QObject;

namespace tallix {

// Shown when the help page is missing.
QString helpMissingMessage();

// The places index.htm may lie, in the order they are tried: beside the executable, so that a
// build or an unpacked copy finds its own page first, then the data folders of an installation.
QStringList helpLocations(const QString& exeDir);

// The first of helpLocations() that exists, or an empty string.
QString findHelpFile(const QString& exeDir);

// The program that opens a document with the desktop's associated application.
QString helpOpener();

// What opening the help may lead to besides the desktop's opener.
struct HelpFallbacks {
    // Gets helpMissingMessage() when there is no page at all.
    std::function<void(const QString& message)> warn;
    // Gets the page's path when the opener cannot be started or reports failure (no opener,
    // no program for HTML files): the program shows the page itself.
    std::function<void(const QString& path)> showPage;
};

// Opens the help page found from exeDir. The opener's verdict arrives later, so `context`
// bounds the lifetime of that check.
void openHelp(const QString& exeDir, QObject* context, const HelpFallbacks& fallbacks);

}  // namespace tallix
