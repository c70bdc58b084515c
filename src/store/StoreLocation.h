#pragma once

#include <QString>

#include <functional>
#include <optional>

// Where the store file lives.
namespace StoreLocation {
// "store.json" in the program's data folder, which is created when missing.
QString prepared();
} // namespace StoreLocation

// How short-lived stores (command-line requests, list look-ups) find the file.
namespace SharedStore {
struct Source {
    std::function<QString()> fileURL; // asked afresh on each use
    bool cloudSync = true;
};
const Source& source();
} // namespace SharedStore
