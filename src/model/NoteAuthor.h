#pragma once

#include "platform/PersonNameFormatter.h"

#include <QString>

#include <optional>

class Defaults;

// The name the user writes notes under. It is kept in this device's settings only.
namespace NoteAuthor {

inline const QString preferredNameKey = QStringLiteral("notes.authorName");

// The stored name trimmed of white space and line breaks; empty when none is stored. Kept under
// `preferredNameKey` in the given settings; their changed(key) tells a change.
QString preferredName(const Defaults& defaults);
// Stores the trimmed name, even when that leaves it empty.
void setPreferredName(Defaults& defaults, const QString& name);

// A person's name as the platform's formatter writes it, trimmed; nothing when absent or empty.
std::optional<QString> formatted(const std::optional<PersonNameComponents>& components);

} // namespace NoteAuthor
