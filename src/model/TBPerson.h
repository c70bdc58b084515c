#pragma once

#include "platform/JsonFwd.h"

#include <QString>

#include <optional>

// Someone the user shares with, reached by an e-mail address or a phone number.
struct TBPerson {
    QString id;
    QString name; // may be empty
    std::optional<QString> emailAddress;
    std::optional<QString> phoneNumber;

    bool operator==(const TBPerson&) const = default;

    // A person from one free-text handle: text with "@" is a lower-cased e-mail address, any
    // other text keeps its numeric characters and "+" signs as a phone number. Nothing when
    // the handle is blank or leaves fewer than five such characters.
    static std::optional<TBPerson> make(const QString& id, const QString& name,
                                        const QString& handle);

    // The name, else the address, else the number, else empty text.
    QString displayName() const;

    Json toJson() const;
    static TBPerson fromJson(const Json& element); // throws DecodeError
};
