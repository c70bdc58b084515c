#pragma once

#include "platform/JsonFwd.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// What this device keeps about a person who writes notes, keyed by the author id in the notes.
struct PersonAlias {
    QString personID;
    std::optional<QString> alias;
    std::optional<QByteArray> photo;
    std::optional<QString> linkedName;
    QStringList handles;

    bool operator==(const PersonAlias&) const = default;

    // True when nothing worth keeping is left in the alias.
    bool isEmpty() const;

    Json toJson() const;
    static PersonAlias fromJson(const Json& element); // throws DecodeError
};
