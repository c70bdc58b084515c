#pragma once

#include <QList>

#include <algorithm>
#include <set>

// Moving some elements of an array to a new place, as a drag does on the lists page and in a list's
// items.
namespace ArrayMove {

// Returns `array` with the elements at `offsets` taken out, in their order, and inserted before
// the element that stood at `destination` (at the end when `destination` is the count).
// Offsets outside the array are ignored; with none left the array comes back unchanged. The
// destination is clamped into the array, so any input gives a permutation of `array`.
// `offsets` is any range of integers (std::set<int>, QList<int>, ...); repeats count once.
template <typename T, typename Offsets>
QList<T> moving(const QList<T>& array, const Offsets& offsets, qsizetype destination) {
    std::set<qsizetype> valid;
    for (auto offset : offsets) {
        const auto index = static_cast<qsizetype>(offset);
        if (index >= 0 && index < array.size())
            valid.insert(index);
    }
    if (valid.empty())
        return array;

    QList<T> moved;
    QList<T> rest;
    moved.reserve(qsizetype(valid.size()));
    rest.reserve(array.size() - qsizetype(valid.size()));
    qsizetype before = 0;
    for (qsizetype i = 0; i < array.size(); ++i) {
        if (valid.count(i)) {
            moved.append(array[i]);
            if (i < destination)
                ++before;
        } else {
            rest.append(array[i]);
        }
    }
    const qsizetype at = std::clamp(destination - before, qsizetype(0), rest.size());
    QList<T> result = rest.first(at);
    result.append(moved);
    result.append(rest.sliced(at));
    return result;
}

} // namespace ArrayMove
