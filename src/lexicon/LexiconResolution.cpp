#include "lexicon/LexiconResolution.h"

namespace LexiconResolution {

QString rawValue(Source source) {
    switch (source) {
    case Source::bundled:
        return QStringLiteral("bundled");
    case Source::cached:
        return QStringLiteral("cached");
    case Source::remote:
        return QStringLiteral("remote");
    }
    return QString();
}

std::optional<Source> sourceFromRaw(const QString& raw) {
    for (Source source : {Source::bundled, Source::cached, Source::remote}) {
        if (rawValue(source) == raw) {
            return source;
        }
    }
    return std::nullopt;
}

int rank(Source source) {
    switch (source) {
    case Source::bundled:
        return 0;
    case Source::remote:
        return 1;
    case Source::cached:
        return 2;
    }
    return 0;
}

Candidate adopt(const Candidate& bundled, const QList<Candidate>& others, qint64 build) {
    Candidate best = bundled;
    for (const Candidate& candidate : others) {
        if (!candidate.isSignatureValid || candidate.minBuild > build) {
            continue;
        }
        if (candidate.version > best.version ||
            (candidate.version == best.version && rank(candidate.source) > rank(best.source))) {
            best = candidate;
        }
    }
    return best;
}

} // namespace LexiconResolution
