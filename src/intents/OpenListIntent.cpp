#include "intents/OpenListIntent.h"

#include "intents/IntentKind.h"
#include "model/ListNavigation.h"

QString OpenListIntent::title() {
    return IntentKinds::title(IntentKind::openList);
}

void OpenListIntent::perform(const QString& listID, Defaults& defaults) {
    ListNavigation::shared().setRequestedListID(listID);
    defaults.setBool(QStringLiteral("siri.voiceCommandHasRun"), true);
}
