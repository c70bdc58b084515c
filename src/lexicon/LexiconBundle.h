#pragma once

#include <QString>

// What the program is built with for its vocabulary: the shipped pack, the key that newer packs
// must be signed with, and the build number that a pack's minimum build is compared with.
struct LexiconBundle {
    QString packPath;        // the shipped pack file; empty or missing means none
    QString publicKeyBase64; // Base64 of the 32-byte Ed25519 public key
    QString buildVersion;    // the build number as text

    // The bundle compiled into this program.
    static LexiconBundle app();
};
