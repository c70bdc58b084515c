#pragma once

#include <QObject>
#include <QString>

#include <optional>

// A request to open a list, left by whoever asks (the open-list command) for the window's
// lists page to claim. Used on the main thread only.
class ListNavigation : public QObject {
    Q_OBJECT
public:
    static ListNavigation& shared();

    std::optional<QString> requestedListID() const { return requestedListID_; }
    void setRequestedListID(const std::optional<QString>& id);

signals:
    void requestedListIDChanged();

private:
    ListNavigation() = default;
    std::optional<QString> requestedListID_;
};
