// The bundle values, from the build configuration.
#include "BundleInfo.h"

#include "BundleValues.h"

namespace {

std::optional<QString> present(const char* value) {
    const QString text = QString::fromUtf8(value);
    return text.isEmpty() ? std::nullopt : std::optional(text);
}

} // namespace

QString BundleInfo::versionLine() const {
    const QString dash = QStringLiteral("—");
    return shortVersion.value_or(dash) + QStringLiteral(" (") + buildNumber.value_or(dash) +
           QStringLiteral(") · ") + commit.value_or(QStringLiteral("unknown"));
}

const BundleInfo& BundleInfo::main() {
    static const BundleInfo info{present(TALLYBIRD_SHORT_VERSION), present(TALLYBIRD_BUILD_NUMBER),
                                 present(TALLYBIRD_GIT_COMMIT)};
    return info;
}
