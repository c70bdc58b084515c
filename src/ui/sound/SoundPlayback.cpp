// Option ids to the program's own sounds.
#include "SoundPlayback.h"

#include <QStringList>

namespace {
struct Entry {
    const char* id;
    const char* sound;
};
constexpr Entry entries[] = {{"tick", "Tink"},  {"tap", "Pop"},    {"click", "Morse"},
                             {"ding", "Glass"}, {"chime", "Ping"}, {"swoosh", "Blow"},
                             {"done", "Hero"}};
} // namespace

namespace SoundPlayback {

std::optional<QString> soundName(const SoundOption& option) {
    for (const Entry& entry : entries) {
        if (option.id == QLatin1String(entry.id))
            return QString::fromLatin1(entry.sound);
    }
    return std::nullopt;
}

QStringList allSoundNames() {
    QStringList names;
    for (const Entry& entry : entries)
        names << QString::fromLatin1(entry.sound);
    return names;
}

QString resourcePath(const QString& soundName) {
    return QStringLiteral(":/sounds/") + soundName + QStringLiteral(".wav");
}

} // namespace SoundPlayback
