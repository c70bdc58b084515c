#pragma once

#include <QList>
#include <QString>

#include <optional>

class Defaults;

// What the footer line of the lists page counts. The choice is kept in the user's settings.
class ListsSummary {
public:
    enum Value { listCount, itemCount, dueToday };

    constexpr ListsSummary(Value value) : value_(value) {}
    constexpr operator Value() const { return value_; }

    static inline const QString key = QStringLiteral("listsSummaryView");

    static const QList<ListsSummary>& allCases();
    static std::optional<ListsSummary> fromRaw(const QString& raw);
    QString rawValue() const; // the case name

    // The stored mode; listCount when none or an unknown one is stored. Kept under `key` in the
    // given settings; their changed(key) tells a change.
    static ListsSummary stored(const Defaults& defaults);
    static void store(Defaults& defaults, ListsSummary mode);

    // The footer text of this mode. Counts are plain digits, never grouped.
    QString text(qint64 lists, qint64 itemsToGo, qint64 dueToday) const;

private:
    Value value_;
};
