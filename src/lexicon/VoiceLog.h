#pragma once

#include "platform/Date.h"

#include <QMutex>
#include <QString>
#include <QStringList>

#include <optional>

// The log of the last voice session, which the settings screen copies. Safe to read from any
// thread. Nothing on this build records a session.
class VoiceLog {
public:
    static const QString emptyMessage;

    explicit VoiceLog(QStringList lines = {}, std::optional<Date> started = std::nullopt);

    // The one log of the process.
    static VoiceLog& shared();

    // The lines joined by line feeds, or the fixed message when that gives an empty text.
    QString copyableText() const;

private:
    mutable QMutex lock_;
    QStringList lines_;
    std::optional<Date> started_;
};
