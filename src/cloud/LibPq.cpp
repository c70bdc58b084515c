// Loading the PostgreSQL client library on first use.
#include "LibPq.h"

#include <QFile>

#include <dlfcn.h>

namespace cloud {

namespace {

// The library's stable name (the soname of every libpq since PostgreSQL 8.3), found where the
// dynamic loader looks, unless the environment names another file.
constexpr const char* standardName = "libpq.so.5";
constexpr const char* nameVariable = "TALLYBIRD_LIBPQ";

struct Loaded {
    LibPq functions;
    QString error; // empty when loaded
};

Loaded load() {
    Loaded loaded;
    const QByteArray named = qgetenv(nameVariable);
    const QByteArray libraryName = named.isEmpty() ? QByteArray(standardName) : named;
    // Never unloaded: connections may live until the process ends.
    void* handle = ::dlopen(libraryName.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        loaded.error =
            QStringLiteral("The PostgreSQL client library (%1) could not be loaded: %2")
                .arg(QFile::decodeName(libraryName), QString::fromLocal8Bit(::dlerror()));
        return loaded;
    }
#define TALLYBIRD_LIBPQ_RESOLVE(name)                                                              \
    loaded.functions.name = reinterpret_cast<decltype(&::name)>(::dlsym(handle, #name));           \
    if (!loaded.functions.name) {                                                                  \
        loaded.error = QStringLiteral("The PostgreSQL client library (%1) is too old: it has "     \
                                      "no %2.")                                                    \
                           .arg(QFile::decodeName(libraryName), QLatin1String(#name));             \
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
