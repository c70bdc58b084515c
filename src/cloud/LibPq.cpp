// Loading the PostgreSQL client library on first use.
#include "LibPq.h"

#include <dlfcn.h>

namespace cloud {

namespace {

// The library's stable name (the soname of every libpq since PostgreSQL 8.3).
constexpr const char* libraryName = "libpq.so.5";

struct Loaded {
    LibPq functions;
    QString error; // empty when loaded
};

Loaded load() {
    Loaded loaded;
    // Never unloaded: connections may live until the process ends.
    void* handle = ::dlopen(libraryName, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        loaded.error = QStringLiteral("The PostgreSQL client library (%1) could not be loaded: %2")
                           .arg(QLatin1String(libraryName), QString::fromLocal8Bit(::dlerror()));
        return loaded;
    }
#define TALLYBIRD_LIBPQ_RESOLVE(name)                                                              \
    loaded.functions.name = reinterpret_cast<decltype(&::name)>(::dlsym(handle, #name));           \
    if (!loaded.functions.name) {                                                                  \
        loaded.error = QStringLiteral("The PostgreSQL client library (%1) is too old: it has "     \
                                      "no %2.")                                                    \
                           .arg(QLatin1String(libraryName), QLatin1String(#name));                 \
        return loaded;                                                                             \
    }
    TALLYBIRD_LIBPQ_FUNCTIONS(TALLYBIRD_LIBPQ_RESOLVE)
#undef TALLYBIRD_LIBPQ_RESOLVE
    return loaded;
}

} // namespace

const LibPq* LibPq::get(QString* error) {
    // A plain value, built once under the language's own guard.
    static const Loaded loaded = load();
    if (!loaded.error.isEmpty()) {
        if (error)
            *error = loaded.error;
        return nullptr;
    }
    return &loaded.functions;
}

} // namespace cloud
