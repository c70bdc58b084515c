#pragma once

#include <QList>
#include <QString>

#include <optional>

// The choice between the shipped vocabulary pack and newer ones.
namespace LexiconResolution {

enum class Source { bundled, cached, remote };

QString rawValue(Source source);
std::optional<Source> sourceFromRaw(const QString& raw);
// Among packs of equal version the higher rank wins: bundled 0, remote 1, cached 2.
int rank(Source source);

struct Candidate {
    Source source = Source::bundled;
    qint64 version = 0;
    qint64 minBuild = 0;
    bool isSignatureValid = false;

    bool operator==(const Candidate&) const = default;
};

// The candidate to use: the shipped one unless another with a valid signature, a minimum build
// this build meets, and a higher version (or an equal version and a higher rank) beats it.
Candidate adopt(const Candidate& bundled, const QList<Candidate>& others, qint64 build);

} // namespace LexiconResolution
