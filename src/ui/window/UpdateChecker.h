#pragma once

#include "platform/UpdateBackEnd.h"

#include <QObject>

#include <memory>

// The update checker the window's "Check for Updates…" command uses. Creating it starts the
// back end. `canCheckForUpdates` starts false and takes each value the back end reports (the
// first one included) on a later turn of the event loop, so the command is greyed out until
// the back end has answered.
class UpdateChecker : public QObject {
    Q_OBJECT
public:
    explicit UpdateChecker(std::shared_ptr<UpdateBackEnd> backEnd, QObject* parent = nullptr);

    bool canCheckForUpdates() const { return canCheckForUpdates_; }
    void checkForUpdates();

signals:
    void canCheckForUpdatesChanged();
    // A check the user asked for has ended; the window shows the outcome.
    void checkFinished(const UpdateCheckResult& result);

private:
    void take(bool canCheck);

    bool canCheckForUpdates_ = false;
    std::shared_ptr<UpdateBackEnd> backEnd_;
};
