#pragma once

#include <QString>

namespace tallix {

// A folder only this user can enter, to keep the single-instance lock and socket in; empty
// when none can be had. The places, in turn: the user's runtime folder when it is theirs alone;
// the program's folder in the user's cache; a folder of this user's own (named with the user
// id) in the cache, then in the runtime folder. A place must leave room for `longestName`
// within a socket's name, and no symbolic link is followed into a folder of someone else.
QString privateFolder(const QString& longestName);

}  // namespace tallix
