#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The brand font, Hanken Grotesk SemiBold (SIL Open Font License). It is not part of the
// source tree: scripts/setup fetches it into the build cache, and the build compiles it in when
// it is there. Without it the brand texts use the system font; start-up never fails over it.
namespace BrandFont {

inline const QString fileName = QStringLiteral("HankenGrotesk_600SemiBold.ttf");

// Where the font may be, in order: compiled in, then scripts/setup's cache folder.
QStringList candidatePaths();
// Registers the first file of `paths` that Qt can load and returns its family; none when no
// file loads.
std::optional<QString> registerFirst(const QStringList& paths);
// Registers the font once per process (later calls only return).
void ensureRegistered();
// The registered family, registering it first when needed; none when the font is missing.
std::optional<QString> family();

} // namespace BrandFont
