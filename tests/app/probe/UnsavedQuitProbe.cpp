// The real program with a change it cannot save: it adds a list named "Kept" in its window, to a
// store the app tests made unwritable or, with TALLYBIRD_PROBE_FAIL_SAVES set, through saves that
// fail (a full disk, as a retry could mend). With TALLYBIRD_PROBE_QUIT set it is then asked to
// quit, as a user does with the Quit command. Once its event loop runs it says "ready" on
// standard output, and "asked" after it when "Quit without saving?" is up.
#include "ProgramMain.h"
#include "TallybirdApp.h"
#include "store/ListStore.h"
#include "store/StoreFileSink.h"
#include "ui/window/MainWindow.h"

#include <QAction>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

class FullDisk final : public StoreFileSink {
public:
    bool replace(const QString&, const Content&, QString* error) override {
        *error = QStringLiteral("No space left on device");
        return false;
    }
};

} // namespace

int main(int argc, char* argv[]) {
    ProgramMain::Hooks hooks;
    hooks.programShown = [](TallybirdApp& program) {
        ListStore& store = *program.core().store();
        if (qEnvironmentVariableIsSet("TALLYBIRD_PROBE_FAIL_SAVES"))
            store.setFileSink(std::make_shared<FullDisk>());
        store.addList(QStringLiteral("Kept"));
        store.flushSaves();
        MainWindow* window = program.window();
        // From the event loop, as a user's command and a signal come.
        if (qEnvironmentVariableIsSet("TALLYBIRD_PROBE_QUIT")) {
            QTimer::singleShot(0, window,
                               [window] { window->action(WindowMenus::Command::quit)->trigger(); });
        }
        QTimer::singleShot(200, window, [window] {
            const auto* question = window->findChild<QMessageBox*>();
            std::puts(question && question->isVisible() ? "ready asked" : "ready");
            std::fflush(stdout);
        });
    };
    return ProgramMain::run(argc, argv, hooks);
}
