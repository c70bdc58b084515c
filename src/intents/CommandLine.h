#pragma once

#include "intents/Console.h"
#include "intents/ExitCode.h"
#include "intents/IntentKind.h"
#include "intents/RequestRoute.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// What was typed after the program's name.
struct CommandLineOptions {
    QString error; // non-empty: the command line could not be read
    bool help = false;
    bool version = false;
    std::optional<QString> profile;
    std::optional<QString> cloud; // --cloud: the container (a file or a postgresql:// URI)
    QString command;              // empty: run the program
    QStringList arguments;        // the words after the command
    std::optional<QString> listName;
    std::optional<QString> listID;
    std::optional<int> choice;  // --choose N, counted from 1
    std::optional<bool> answer; // --yes or --no
    QString helpText;
};

// Everything the command line needs from the process it runs in.
struct CommandLineEnvironment {
    Console& console;
    Defaults& defaults;
    RequestRoute::Settings route;
    // Runs the program until it is told to quit, with a request to open a list already set
    // when one is given; returns the exit code.
    std::function<int(const std::optional<QString>& requestedListID)> runProgram;
};

// The command line: `tallybird add|tick|start|open|read|lists|say …`. It resolves the request's
// parameters (asking on a terminal, reading flags when scripted), sends the request on its
// route and prints the spoken sentences.
namespace CommandLine {

// The exit codes, by their names: CommandLine::ok, CommandLine::notFound, …
using enum ExitCode::Code;

CommandLineOptions parse(const QStringList& arguments); // arguments[0] is the program
int execute(const CommandLineOptions& options, CommandLineEnvironment& environment);

} // namespace CommandLine
