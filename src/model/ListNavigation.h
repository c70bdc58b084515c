#pragma once

#include "TBList.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// A request to open a list, left by whoever asks (the open-list command) for the window's
// lists page to claim. Used on the main thread only.
class ListNavigation : public QObject {
    Q_OBJECT
public:
    static ListNavigation& shared();

    std::optional<QString> requestedListID() const { return requestedListID_; }
    // A later request replaces one not yet claimed.
    void setRequestedListID(const std::optional<QString>& id);

    // The lists page's claim, when it is shown and whenever the request changes: the request
    // is cleared at once, whatever it held, and its id is returned when a list with exactly
    // that id is among the lists in display order; an id that names no list is dropped without
    // a word. `sortedLists` is asked only when there is a request, so the caller rebuilds its
    // sorted lists only then.
    std::optional<QString> claimAnyPendingList(const std::function<QList<TBList>()>& sortedLists);

signals:
    void requestedListIDChanged();

private:
    ListNavigation() = default;
    std::optional<QString> requestedListID_;
};
