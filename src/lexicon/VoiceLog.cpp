#include "lexicon/VoiceLog.h"

#include <QMutexLocker>

#include <utility>

const QString VoiceLog::emptyMessage =
    QStringLiteral("No voice session has been recorded on this device yet. Start voice mode, say "
                   "a few items, stop, then copy again.");

VoiceLog::VoiceLog(QStringList lines, std::optional<Date> started)
    : lines_(std::move(lines)), started_(started) {}

VoiceLog& VoiceLog::shared() {
    static VoiceLog log;
    return log;
}

QString VoiceLog::copyableText() const {
    QString joined;
    {
        const QMutexLocker locker(&lock_);
        joined = lines_.join(QLatin1Char('\n'));
    }
    return joined.isEmpty() ? emptyMessage : joined;
}
