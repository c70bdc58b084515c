#pragma once

#include "ArchivedRecords.h"
#include "FieldSet.h"
#include "HeldMarks.h"
#include "PendingZoneDeletion.h"
#include "Tombstone.h"
#include "model/PersonAlias.h"
#include "model/TBCircle.h"
#include "model/TBItem.h"
#include "model/TBList.h"
#include "model/UserIdentity.h"
#include "platform/Date.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

#include <optional>

class QIODevice;
class StoreFileBytes;
struct StoreEncodingCache;

// The current layout of the store file. Keys are written in the order of the fields below;
// the optional fields are those an older file of this layout may lack.
struct DiskV2 {
    // The layout this program writes. A file naming a higher version comes from a newer
    // program, which may keep more in it than this one reads.
    static constexpr double currentVersion = 3;

    // The file's "version" as read (written: always currentVersion).
    double version = currentVersion;
    QList<TBList> lists;
    QList<TBItem> items;
    QMap<QString, FieldSet> dirtyLists;
    QMap<QString, FieldSet> dirtyItems;
    // The archived records as their Base64 text: the store keeps them opaque and writes them back
    // as they came, so a save does not encode them again.
    ArchivedRecords archivedRecords;
    std::optional<QByteArray> engineState;
    std::optional<QByteArray> sharedEngineState;
    std::optional<QString> lastKnownUserRecordName;
    std::optional<UserIdentity> identity;
    std::optional<QList<TBCircle>> circles;
    std::optional<QMap<QString, PersonAlias>> aliases;
    std::optional<QMap<QString, QString>> filings;
    std::optional<QSet<QString>> dirtyFilings;
    std::optional<QSet<QString>> pendingItemDeletions;
    std::optional<QMap<QString, Tombstone>> tombstones;
    std::optional<QSet<QString>> dirtyTombstones;
    std::optional<QMap<QString, PendingZoneDeletion>> pendingZoneDeletions;
    // Account record name to the marks of other people's lists made in it, kept while the
    // device is in another account.
    std::optional<QMap<QString, HeldMarks>> heldMarks;
    // Set by decode() when the file holds members this program does not read (written by a
    // later build, at the top of the document or inside an element): the next save leaves
    // them out. Never written.
    bool holdsUnknownMembers = false;

    // Throws DecodeError when the bytes are not JSON, a required key is missing or any key
    // holds the wrong type. `now` is the creation time of a list element that has none. Bytes
    // with `readingRoom` bytes of capacity after their end are read in place; others are copied.
    static DiskV2 decode(const QByteArray& bytes, Date now);
    // As above, giving the bytes back as they are read (StoreFileBytes): even when it throws,
    // they are no longer all there afterwards.
    static DiskV2 decode(StoreFileBytes& bytes, Date now);
    static constexpr qsizetype readingRoom = 64;
    // The "version" a document names at its top (the last, should it name several), as far as
    // it can be read: absent when the bytes are no JSON object or name no numeric version
    // before they stop reading as JSON. For a document that does not decode in full.
    static std::optional<double> declaredVersion(const QByteArray& bytes);

    // Compact JSON with "version" 3 first, written into `device` a block at a time; absent
    // optionals are left out. With a cache, items unchanged since the last call are not encoded
    // again, and the cache is brought up to date. False when the device refused a write.
    bool encode(QIODevice& device, StoreEncodingCache* cache = nullptr) const;
    QByteArray encode(StoreEncodingCache* cache = nullptr) const;
    // One item's element, exactly as TBItem::toJson() dumps it.
    static QByteArray encodeItem(const TBItem& item);
    // How many items encodeItem() has encoded, on the calling thread and on every thread: the
    // work a save's encoding cache saves, and where it was done.
    static quint64 itemsEncodedOnThisThread();
    static quint64 itemsEncodedInAll();
    // An archived record's member of "archivedRecords": the key, then the Base64 text.
    static QByteArray encodeArchiveMember(const QString& key, const QByteArray& base64);
    static void appendArchiveMember(QByteArray& out, const QString& key, const QByteArray& base64);
};

// The first layout: only lists and items.
struct DiskV1 {
    QList<TBList> lists;
    QList<TBItem> items;
    // Whether the document names a version: the first layout had none, so a document that
    // does and still reads only as this layout is a damaged later one.
    bool namesVersion = false;

    static DiskV1 decode(const QByteArray& bytes, Date now); // throws DecodeError
};

// An old reading of the store file in which each list entry carried its group's name.
struct LegacyFilingFile {
    struct Entry {
        QString id;
        std::optional<QString> groupName;
    };
    QList<Entry> lists;

    static LegacyFilingFile decode(const QByteArray& bytes); // throws DecodeError
};
