// The help page: where index.htm is looked for and how it is opened.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QObject;

namespace tallix {

// Shown when the help page is missing or nothing can open it.
QString help_missing_message();

// The places index.htm may lie, in the order they are tried: beside the executable, so that a
// build or an unpacked copy finds its own page first, then the data folders of an installation.
QStringList help_locations(const QString& exe_dir);

// The first of help_locations() that exists, or an empty string.
QString find_help_file(const QString& exe_dir);

// The program that opens a document with the desktop's associated application.
QString help_opener();

// Opens the help page found from exe_dir. `warn` gets help_missing_message() when there is no
// page or the opener cannot be started or reports failure; the opener's verdict arrives later,
// so `context` bounds the lifetime of that last check.
void open_help(const QString& exe_dir, QObject* context,
               const std::function<void(const QString&)>& warn);

}  // namespace tallix
