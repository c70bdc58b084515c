#pragma once

#include <QString>

// Where the running program listens for requests: a socket in the user's runtime folder, named
// after the program's data folder so that two profiles are two programs.
namespace RequestChannel {
// The socket's full path. Uses $XDG_RUNTIME_DIR when it names a folder, else a folder of this
// user's own under the temporary folder.
QString serverName();
} // namespace RequestChannel
