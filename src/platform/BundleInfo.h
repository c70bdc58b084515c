#pragma once

#include <QString>

#include <optional>

// What this build of the program says about itself, in one place: the version people see, the
// build number (a vocabulary pack names the lowest build that may use it) and the commit it was
// built from. Each is absent when the build was not given it.
struct BundleInfo {
    std::optional<QString> shortVersion; // "0.1.0"
    std::optional<QString> buildNumber;  // a whole number as text
    std::optional<QString> commit;       // the abbreviated git commit; absent outside a checkout

    // The version line people see: the version, the build number in parentheses, a middle dot
    // and the commit: "0.4.1 (57) · 1a2b3c4". A version or build number the build was not given
    // shows as "—", a missing commit as "unknown".
    QString versionLine() const;

    // The values this program was built with.
    static const BundleInfo& main();
};
