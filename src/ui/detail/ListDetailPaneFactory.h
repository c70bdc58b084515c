#pragma once

#include "platform/Clock.h"

#include <QByteArray>

class CloudSync;
class ListDetailView;
class ListStore;
class QWidget;

// A list's pane as the window builds it: its screen model, owned by the pane, on the program's
// clock, with the hero's due words in the user's locale and time zone, and the share look-up
// and preparation through `cloud` (none: every look-up fails, silently). The window then shows
// a list with pane->screen().show(listID) and gives the presenters of its sheets. `locale` is an
// ICU locale name; empty takes the process's.
ListDetailView* makeListDetailPane(ListStore& store, CloudSync* cloud, QWidget* parent = nullptr,
                                   const Clock& clock = Clock::shared(),
                                   const QByteArray& locale = {});
