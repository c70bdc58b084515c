#pragma once

#include "platform/UpdateBackEnd.h"

// An update back end of a build without a feed, for pictures of the window: the check stays
// greyed out.
class NoUpdates final : public UpdateBackEnd {
public:
    void start() override { emit canCheckForUpdatesChanged(false); }
    bool canCheckForUpdates() const override { return false; }
    void checkForUpdates() override {}
};
