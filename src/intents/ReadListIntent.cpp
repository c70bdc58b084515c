#include "intents/ReadListIntent.h"

#include "intents/IntentKind.h"
#include "lexicon/VoiceReadback.h"

namespace {
constexpr int readCap = 5;
constexpr int askBeyond = 3;
} // namespace

QString ReadListIntent::title() {
    return IntentKinds::title(IntentKind::readList);
}

void ReadListIntent::outcome(const IntentFrame& frame, const QString& listID,
                             const OutcomeHandler& done) {
    const std::optional<TBList> list = frame.findList(listID);
    if (!list) {
        done(IntentFrame::listGone());
        return;
    }
    // No view-only test: every list that can be found can be read.
    QList<TBItem> outstanding;
    for (const TBItem& item : frame.store().itemsOf(list->id)) {
        if (!item.done)
            outstanding.append(item);
    }
    frame.markVoiceCommandRun();
    const ReadPlan plan = VoiceReadback::plan(list->name, outstanding, readCap, askBeyond);
    if (plan.kind == ReadPlan::Kind::ask)
        done(IntentOutcome::confirm(plan.question, plan.followUp));
    else
        done(IntentOutcome::reply(plan.text));
}
