// Building the lists page for the window.
#include "ListsPaneFactory.h"

#include "ListsPane.h"
#include "model/ListNavigation.h"
#include "model/SettingsPresentation.h"
#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"

ListsPane* makeListsPane(ListStore& store, const std::optional<QString>& openList,
                         VoiceController* voice, QWidget* parent) {
    auto* screen =
        new ListsScreenModel(store, Defaults::standard(), Clock::shared(), ListNavigation::shared(),
                             SettingsPresentation::shared(), voice);
    screen->followOpenList(openList);
    auto* pane = new ListsPane(*screen, store, parent);
    // The model goes with the page, after the page's widgets (it is the page's last child).
    screen->setParent(pane);
    return pane;
}
