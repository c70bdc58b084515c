#pragma once

#include "cloud/CloudDevice.h"

#include <QString>

// What this device last took in from the cloud, kept in a small file beside its store, so that a
// request tells without loading the store whether the cloud holds anything new for it. The mark
// holds the container's change mark as the last complete fetch began, and the store file as
// that fetch's save left it: another change to either, or a store file replaced or lost, makes
// the next request catch up again. Losing the file only costs a catch-up. A store that still owes
// the cloud a change after a pass keeps no mark, so that the next request catches up and sends
// it.
class CatchUpMark {
public:
    CatchUpMark(QString markFile, QString storeFile)
        : markFile_(std::move(markFile)), storeFile_(std::move(storeFile)) {}

    // The container's change mark for this device now; empty when it could not be read.
    static QString containerMark(const cloud::CloudDevice& device);

    // Whether the store took in everything up to `containerMark` and has not changed since.
    bool current(const QString& containerMark) const;
    // Notes that the store, as it is on disk now, holds everything up to `containerMark`.
    void record(const QString& containerMark) const;
    // Takes the mark away: the next request catches up.
    void forget() const;

private:
    QString contentFor(const QString& containerMark) const;

    QString markFile_;
    QString storeFile_;
};
