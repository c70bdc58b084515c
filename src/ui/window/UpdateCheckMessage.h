#pragma once

#include "platform/UpdateFeed.h"

#include <QString>

// What the window says when a check for updates ends. The feed's notes are shown as plain
// text; the program installs nothing and at most opens the download page.
struct UpdateCheckMessage {
    QString title;
    QString text;
    QString notes;              // plain text; empty: none
    QString openDownloadButton; // empty: there is no page to open
    QString closeButton;

    static UpdateCheckMessage of(const UpdateCheckResult& result, const QString& currentVersion);
};
