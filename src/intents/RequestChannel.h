#pragma once

#include <QString>

#include <sys/stat.h>
#include <sys/types.h>

// Where the running program listens for requests: a socket in the user's runtime folder, named
// after the program's data folder so that two profiles are two programs.
namespace RequestChannel {

// The other sockets of a program are named after the request socket with a suffix of at most
// this many bytes ("-window"): the path chosen leaves room for it.
constexpr qsizetype longestSuffix = 7;

// The socket's path, or why there is none. Chosen before the store is taken, so that a program
// that cannot listen says so without holding it.
struct Place {
    QString serverName; // empty when there is none
    QString error;      // a sentence saying why there is none
};

// $XDG_RUNTIME_DIR when it names a folder and the socket's path fits in a socket's address
// (107 bytes), else a folder of this user's own under the temporary folder. That folder is
// made for this user only; one that is there already is used only when it is a folder (not a
// link to one) that this user owns, and is not changed otherwise.
Place place();
// place().serverName.
QString serverName();

// Why the file `info` describes (as lstat found it, without following a link) is no folder to
// keep this user's sockets in; empty when it is one.
QString refusal(const struct stat& info, uid_t user);

} // namespace RequestChannel
