#pragma once

#include <QByteArrayView>
#include <QString>

// An eight-byte digest of some bytes (SipHash-2-4 under a fixed key), as sixteen hex digits:
// cheap enough to take of every record a batch sends, and enough to tell a value from a later
// change of it. Not for telling apart values someone made to collide.
namespace ShortDigest {
QString of(QByteArrayView bytes);
} // namespace ShortDigest
