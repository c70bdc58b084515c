#pragma once

#include <QString>

// Where the program keeps its files: "tallybird" in the XDG data, config and cache homes, or
// one profile folder for everything when the program was started with --profile DIR.
namespace AppPaths {
void setProfile(const QString& dir); // empty returns to the XDG folders
QString profile();

// Each folder is created when asked for, for its owner only (see PrivateFolder); the path is
// returned even if creating it failed.
QString dataDir();
QString configDir();
QString cacheDir();
} // namespace AppPaths
