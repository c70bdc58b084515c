#pragma once

#include "platform/UpdateFeed.h"

#include <QObject>

// Whatever checks for newer versions of the program. It says whether a check can be started
// now and reports each check's outcome; it never installs anything. Main thread only.
class UpdateBackEnd : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Begins working; the current answer of canCheckForUpdates() is then announced once, and
    // every later change of it too.
    virtual void start() = 0;
    virtual bool canCheckForUpdates() const = 0;
    // Starts a check the user asked for; ignored while none can be started.
    virtual void checkForUpdates() = 0;

signals:
    void canCheckForUpdatesChanged(bool canCheck);
    void checkFinished(const UpdateCheckResult& result);
};
