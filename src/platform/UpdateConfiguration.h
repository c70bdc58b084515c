#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// Where this build looks for newer versions of itself, fixed when the program is built. A build
// made without a feed can never check; the program is installed and updated by the system's
// package tools, so a check at most points the user to a download page.
struct UpdateConfiguration {
    QUrl feed;            // the signed feed; its signature is at the same address plus ".sig"
    QByteArray publicKey; // the feed signer's raw Ed25519 key
    QString currentVersion;

    // The values this program was built with.
    static UpdateConfiguration ofThisBuild();

    // Whether a check can ever be made: an https feed with a host, and a key of the right size.
    bool canCheck() const;
    QUrl signatureAddress() const;
};
