#pragma once

#include <QString>

struct BundleInfo;

// What the About box says: the program's name, the version line of this build and two plain
// statements about the program. Plain values, no widgets.
struct AboutContent {
    QString windowTitle; // "About Tallybird"
    QString name;        // "Tallybird"
    // "Version " + the build's version line (BundleInfo::versionLine).
    QString version;
    QString promise; // "Free forever. No account, no ads, nothing collected."
    QString privacy; // where the lists live, and that they are never sent to us
    QString closeTitle;

    static AboutContent of(const BundleInfo& bundle);
};
