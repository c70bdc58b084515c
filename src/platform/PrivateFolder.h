#pragma once

#include <QString>

// The folders that hold a person's lists, settings and cloud container are theirs alone: each
// one the program makes is made for its owner only (mode 0700), whatever the umask. A folder
// that is already there keeps its mode: its owner chose it.
namespace PrivateFolder {

// Makes `path` and every missing folder above it; true when `path` is a folder afterwards.
bool make(const QString& path, QString* error = nullptr);

} // namespace PrivateFolder
