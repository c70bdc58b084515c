#pragma once

#include "intents/IntentKind.h"

#include <QList>
#include <QString>
#include <QStringList>

// One request with the spoken phrases that start it. In a phrase, "{app}" stands for the
// program's name and "{list}" for the list the request works on; every other character is
// literal.
struct AppShortcut {
    IntentKind intent;
    QStringList phrases;
    QString shortTitle;
    QString systemImageName;
};

// The program's spoken vocabulary: every request and the phrases that start it.
namespace TallybirdShortcuts {
// The program's name as it is spoken in the phrases.
QString applicationName();
// Add, read, tick off, open, start; built afresh on each call.
QList<AppShortcut> appShortcuts();
} // namespace TallybirdShortcuts
