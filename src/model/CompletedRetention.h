#pragma once

#include "TBItem.h"

#include <QList>
#include <QString>

#include <optional>

// How many ticked-off items a list keeps. Its raw value is stored with the list.
class CompletedRetention {
public:
    enum Value { never, keep50, keep100, keep200, all };

    constexpr CompletedRetention(Value value) : value_(value) {}
    constexpr operator Value() const { return value_; }

    static const QList<CompletedRetention>& allCases();
    // "never", "50", "100", "200" or "all"; anything else, or nothing, keeps all.
    static CompletedRetention read(const std::optional<QString>& raw);
    QString rawValue() const;

    // The open items in their given order, then the done items the list keeps, newest ticked
    // first.
    QList<TBItem> survivors(const QList<TBItem>& items) const;

private:
    Value value_;
};
