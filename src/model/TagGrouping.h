#pragma once

#include "model/TBItem.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Grouping a list's items into sections by their first tag, in the user's shop-walk order.
namespace TagGrouping {

struct Section {
    std::optional<QString> tag; // without "#"; absent for the untagged items
    QList<TBItem> items;        // in the order they were given

    // The tag, or for the untagged section a text no tag can equal.
    QString id() const;
    bool operator==(const Section&) const = default;
};

// The identity of the untagged section: NUL followed by "untagged".
QString untaggedID();

// Sections of `items` (display order): first the tags of `tagOrder` that carry items, in that
// order; then the other tags in text order; last the untagged items, when there are any. Tags are
// compared exactly, so "Dairy" and "dairy" are two sections.
QList<Section> sections(const QList<TBItem>& items, const QStringList& tagOrder);

} // namespace TagGrouping
