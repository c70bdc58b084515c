#pragma once

#include <QDeadlineTimer>
#include <QString>

#include <functional>
#include <memory>

// A place in line for the store file, for processes that open it when no program holds it
// (command-line requests and the catching up before them). Each waits until it is alone with
// the file instead of building a store that cannot write and trying again later, so that many
// requests at once all come through, one after another. The turn is an advisory lock on
// "<store file>.turn", given up when the turn object goes or the process ends.
class StoreTurn {
public:
    ~StoreTurn();
    StoreTurn(const StoreTurn&) = delete;
    StoreTurn& operator=(const StoreTurn&) = delete;

    // Waits for the turn until the deadline; absent when it did not come in time, or when
    // `stopWaiting`, asked every so often, says the wait is no longer needed. Given at once
    // when the turn file cannot be made: nobody can wait in line there.
    static std::unique_ptr<StoreTurn> take(const QString& storeFile, const QDeadlineTimer& deadline,
                                           const std::function<bool()>& stopWaiting = {});

private:
    explicit StoreTurn(int fd) : fd_(fd) {}
    int fd_;
};
