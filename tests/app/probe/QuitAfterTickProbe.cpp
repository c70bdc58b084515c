// The real program, which plays the tick's sound in its window and quits at once through the
// menu command, as a user who ticks an item and quits does. The app tests run it as a child
// process.
#include "ProgramMain.h"
#include "ui/sound/SoundEffects.h"
#include "ui/window/MainWindow.h"

#include <QAction>
#include <QTimer>

int main(int argc, char* argv[]) {
    ProgramMain::Hooks hooks;
    hooks.windowShown = [](MainWindow& window) {
        // What the list screen plays on a tick.
        SoundEffects::play(SoundEffect::itemCompleted);
        QTimer::singleShot(300, &window,
                           [&window] { window.action(WindowMenus::Command::quit)->trigger(); });
    };
    return ProgramMain::run(argc, argv, hooks);
}
