#pragma once

#include "ui/window/UpdateChecker.h"

// An update service that never offers a check: the window's tests that are not about updates.
class NoUpdates final : public UpdateBackEnd {
public:
    void start() override {}
    bool canCheckForUpdates() const override { return false; }
    void checkForUpdates() override {}
};
