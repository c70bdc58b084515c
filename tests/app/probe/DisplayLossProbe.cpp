// The real program on an X server that the app tests take away: it ticks an item in its
// window as a user does, so the tick's sound is made with Qt's sound objects, and the tick's
// save is still being written (slowly, on purpose) when the test kills the X server. It says
// "ready" on standard output once both are under way.
#include "ProgramMain.h"
#include "TallybirdApp.h"
#include "store/ListStore.h"
#include "store/StoreFileSink.h"
#include "ui/sound/SoundEffects.h"

#include <QThread>

#include <cstdio>
#include <memory>

namespace {

// The program's own sink, a second and a half late: long enough for the display to go while a
// save waits.
class LateSink final : public StoreFileSink {
public:
    bool replace(const QString& path, const Content& content, QString* error) override {
        QThread::msleep(1'500);
        return durable_->replace(path, content, error);
    }

private:
    std::shared_ptr<StoreFileSink> durable_ = StoreFileSink::durable();
};

} // namespace

int main(int argc, char* argv[]) {
    ProgramMain::Hooks hooks;
    hooks.programShown = [](TallybirdApp& program) {
        ListStore& store = *program.core().store();
        const TBList groceries = store.addList(QStringLiteral("Groceries"));
        const std::optional<TBItem> milk = store.addItem(groceries.id, QStringLiteral("Milk"));
        store.flushSaves();
        store.setFileSink(std::make_shared<LateSink>());
        // What the list screen does on a tick.
        SoundEffects::play(SoundEffect::itemCompleted);
        store.setDone(milk->id, true);
        std::puts("ready");
        std::fflush(stdout);
    };
    return ProgramMain::run(argc, argv, hooks);
}
