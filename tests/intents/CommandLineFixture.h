#pragma once

#include "IntentsTestSupport.h"

#include "intents/CommandLine.h"

#include <QDir>

// Runs the command line in this process with no program listening, as a user would type it.
class CommandLineTest : public ProfileTest {
protected:
    int typed(const QStringList& words) {
        console.said.clear();
        console.notes.clear();
        CommandLineEnvironment environment{
            console,
            defaults,
            RequestRoute::Settings{SharedStore::source(),
                                   QDir(dir.path()).filePath(QStringLiteral("nobody.sock")),
                                   IntentFrame::noSync(), storeWaitMs},
            [this](const std::optional<QString>& requested) {
                programRuns.append(requested.value_or(QStringLiteral("(none)")));
                return 0;
            },
        };
        return CommandLine::execute(CommandLine::parse(QStringList{"tallybird"} + words),
                                    environment);
    }

    FakeConsole console;
    QStringList programRuns; // the open request each program start was given
    int storeWaitMs = 300;
};
