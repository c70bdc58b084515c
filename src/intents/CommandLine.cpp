#include "intents/CommandLine.h"

#include "intents/AddItemIntent.h"
#include "intents/CompleteItemIntent.h"
#include "intents/CreateListIntent.h"
#include "intents/ListEntityQuery.h"
#include "intents/PhraseMatcher.h"
#include "intents/RequestClient.h"
#include "intents/RequestCodec.h"

#include <QCommandLineParser>
#include <QSet>

namespace CommandLine {

namespace {

constexpr int attemptsAtAChoice = 3;

QString quoted(const QString& text) {
    return QStringLiteral("“") + text + QStringLiteral("”");
}

// What each exit code means; the sentence of a request that was not done is still printed.
QString exitCodesHelp() {
    QString help = QStringLiteral("\nExit codes (the reply is printed either way):\n");
    for (const ExitCode::Meaning& meaning : ExitCode::meanings())
        help += QStringLiteral("  %1  %2\n").arg(int(meaning.code)).arg(meaning.text);
    return help;
}

// The commands, each request's parameters named by their titles, as the help shows them.
QString commandsHelp() {
    const auto line = [](const QString& usage, const QString& what) {
        return QStringLiteral("  ") + usage.leftJustified(28) + what + QLatin1Char('\n');
    };
    const auto request = [&](IntentKind kind, const QString& what) {
        QString usage = IntentKinds::command(kind);
        for (const QString& title : IntentKinds::parameterTitles(kind))
            usage += QStringLiteral(" [") + title + QLatin1Char(']');
        return line(usage, what);
    };
    return QStringLiteral("Commands:\n") +
           line(QStringLiteral("(none)"), QStringLiteral("Open Tallybird's window.")) +
           request(IntentKind::addItem, QStringLiteral("Add an item to a list.")) +
           request(IntentKind::completeItem,
                   QStringLiteral("Tick an item off a list (--choose N when several match).")) +
           request(IntentKind::createList, QStringLiteral("Start a new list.")) +
           request(IntentKind::openList, QStringLiteral("Show a list in Tallybird.")) +
           request(IntentKind::readList, QStringLiteral("Say what is left on a list (--yes or "
                                                        "--no to the question).")) +
           line(QStringLiteral("lists"),
                QStringLiteral("Print every list, one a line: its id, a tab, its name.")) +
           line(QStringLiteral("say UTTERANCE [TEXT]"),
                QStringLiteral("Run the request a spoken phrase asks for.")) +
           QStringLiteral("List is --list <name> or --list-id <id>. A missing Item or Name is "
                          "asked for on a terminal.\n"
                          "Names and items are printed as plain text: tabs, line breaks, other "
                          "control characters\nand bidirectional controls in them are shown as "
                          "\uFFFD (U+FFFD), so a line of\n\"lists\" splits at its only tab.\n") +
           exitCodesHelp();
}

// One run of a command: its options, its environment and the way to the store.
class Session {
public:
    Session(const CommandLineOptions& options, CommandLineEnvironment& environment)
        : options_(options), env_(environment), console_(environment.console),
          notice_([this](const QString& note) { tell(note); }),
          route_(noticing(environment.route), environment.defaults),
          directory_(route_.directory()) {}

    int run();

private:
    // Notes about the store, said on the console once each.
    void tell(const QString& note);
    RequestRoute::Settings noticing(RequestRoute::Settings settings) const;
    // Brings the device up to date before the first look at the lists, when no program runs.
    void ensureCurrent();
    // A line typed in answer; nobody waits for the store meanwhile.
    std::optional<QString> readLine();

    int lists();
    int say();
    int request(IntentKind kind, const std::optional<QString>& spokenList,
                std::optional<QString> text);
    int open(const QString& listID);
    int finish(const IntentRequest& request, const IntentOutcome& outcome);
    int chooseItem(const IntentRequest& request, const IntentOutcome& outcome);
    int confirm(const IntentOutcome& outcome);

    // Each returns the value, or sets `code` to why there is none.
    std::optional<QString> listID(const std::optional<QString>& spokenName, int& code);
    std::optional<QString> textParameter(IntentKind kind, int& code);
    std::optional<int> pick(const QStringList& labels, int& code);

    std::optional<QString> textArgument(qsizetype from) const;
    // Every list, or none and `code` set when the store that holds them could not be opened
    // (it said why on the console).
    std::optional<QList<ListEntity>> allLists(int& code) const;

    const CommandLineOptions& options_;
    CommandLineEnvironment& env_;
    Console& console_;
    QSet<QString> told_;
    RequestRoute::Notice notice_;
    bool current_ = false;
    RequestRoute route_;
    ListDirectory directory_;
};

void Session::tell(const QString& note) {
    if (told_.contains(note))
        return;
    told_.insert(note);
    console_.note(note);
}

RequestRoute::Settings Session::noticing(RequestRoute::Settings settings) const {
    settings.notice = notice_;
    return settings;
}

void Session::ensureCurrent() {
    if (current_)
        return;
    current_ = true;
    if (!RequestClient::programAnswers(env_.route.serverName))
        route_.catchUp();
}

std::optional<QString> Session::readLine() {
    route_.letGo();
    return console_.readLine();
}

int Session::run() {
    // A settings file that could not be read was set aside when the settings were first read.
    if (const std::optional<QString> notice = env_.defaults.unreadableFileNotice())
        tell(*notice);
    const QString& command = options_.command;
    if (command.isEmpty())
        return env_.runProgram(std::nullopt);
    if (command == QLatin1String("lists"))
        return lists();
    if (command == QLatin1String("say"))
        return say();
    const std::optional<IntentKind> kind = IntentKinds::fromCommand(command);
    if (!kind) {
        console_.note(
            QStringLiteral("Unknown command %1; see tallybird --help.").arg(quoted(command)));
        return badParameter;
    }
    const bool takesText = *kind == IntentKind::addItem || *kind == IntentKind::completeItem ||
                           *kind == IntentKind::createList;
    if (!takesText && !options_.arguments.isEmpty()) {
        console_.note(QStringLiteral("%1 takes no text; name the list with --list NAME or "
                                     "--list-id ID.")
                          .arg(quoted(command)));
        return badParameter;
    }
    if (!IntentKinds::takesList(*kind) && (options_.listName || options_.listID)) {
        console_.note(QStringLiteral("%1 takes no list.").arg(quoted(command)));
        return badParameter;
    }
    return request(*kind, options_.listName, textArgument(0));
}

int Session::lists() {
    if (!options_.arguments.isEmpty()) {
        console_.note(QStringLiteral("“lists” takes no text."));
        return badParameter;
    }
    ensureCurrent();
    // A store file that cannot be opened is no list at all, not an empty one: a script must not
    // take it for one. Why was said on the notice.
    int code = ok;
    const std::optional<QList<ListEntity>> found = allLists(code);
    if (!found)
        return code;
    for (const ListEntity& entity : *found)
        console_.sayFields({entity.id, entity.name});
    return ok;
}

int Session::say() {
    if (options_.arguments.isEmpty()) {
        console_.note(QStringLiteral("Say what: tallybird say \"Read Groceries in Tallybird\"."));
        return badParameter;
    }
    if (options_.listName || options_.listID) {
        console_.note(QStringLiteral("The list is named in what is said."));
        return badParameter;
    }
    const QString utterance = options_.arguments.first();
    const std::optional<SpokenRequest> spoken = PhraseMatcher::match(utterance);
    if (!spoken) {
        console_.note(QStringLiteral("No request answers to %1.").arg(quoted(utterance)));
        return badParameter;
    }
    return request(spoken->intent, spoken->listName, textArgument(1));
}

std::optional<QString> Session::textArgument(qsizetype from) const {
    if (options_.arguments.size() <= from)
        return std::nullopt;
    // A single word stays exactly as given, blanks included.
    return options_.arguments.mid(from).join(u' ');
}

int Session::request(IntentKind kind, const std::optional<QString>& spokenList,
                     std::optional<QString> text) {
    int code = ok;
    IntentRequest request;
    request.kind = kind;
    ensureCurrent();
    if (IntentKinds::takesList(kind) && !options_.listID && spokenList)
        route_.takeStoreForLookUp(kind);
    if (IntentKinds::takesList(kind)) {
        const std::optional<QString> id = listID(spokenList, code);
        if (!id)
            return code;
        request.listID = *id;
    }
    if (kind == IntentKind::openList)
        return open(request.listID);
    if (kind != IntentKind::readList) {
        if (!text)
            text = textParameter(kind, code);
        if (!text)
            return code;
        request.text = *text;
        if (!RequestCodec::fits(request)) {
            console_.note(QStringLiteral("The text is too long."));
            return badParameter;
        }
    }
    return finish(request, route_.perform(request));
}

int Session::open(const QString& listID) {
    route_.letGo();
    IntentRequest request{IntentKind::openList, listID, {}, std::nullopt};
    const RequestClient::Result sent = RequestClient::send(env_.route.serverName, request);
    switch (sent.reach) {
    case RequestClient::Result::Reach::answered:
        return finish(request, sent.outcome);
    case RequestClient::Result::Reach::lost:
        console_.note(RequestRoute::lostAnswer());
        return unreachable;
    case RequestClient::Result::Reach::busy:
        console_.note(RequestRoute::busyAnswer());
        return unreachable;
    case RequestClient::Result::Reach::noProgram:
        break;
    }
    // No program runs: this process becomes it, with the request already set.
    return env_.runProgram(listID);
}

int Session::finish(const IntentRequest& request, const IntentOutcome& outcome) {
    switch (outcome.kind) {
    case IntentOutcome::Kind::reply:
        if (!outcome.text.isEmpty())
            console_.say(outcome.text);
        if (!outcome.note.isEmpty())
            console_.note(outcome.note);
        // A request that was not done says why in its sentence, and exits with it.
        return outcome.exit;
    case IntentOutcome::Kind::failed:
        console_.note(outcome.text);
        return outcome.exit == ok ? failed : outcome.exit;
    case IntentOutcome::Kind::choose:
        return chooseItem(request, outcome);
    case IntentOutcome::Kind::confirm:
        return confirm(outcome);
    }
    return failed;
}

int Session::chooseItem(const IntentRequest& request, const IntentOutcome& outcome) {
    console_.say(outcome.text);
    QStringList labels;
    for (const IntentChoice& choice : outcome.choices)
        labels.append(choice.text);
    int code = ok;
    const std::optional<int> index = pick(labels, code);
    if (!index)
        return code;
    // The chosen item goes by its id: its text alone may answer for several items.
    IntentRequest chosen = request;
    chosen.itemID = outcome.choices[*index].id;
    chosen.text = outcome.choices[*index].text;
    const IntentOutcome next = route_.perform(chosen);
    if (next.kind == IntentOutcome::Kind::choose) {
        console_.note(QStringLiteral("The choice did not settle which item."));
        return failed;
    }
    return finish(chosen, next);
}

int Session::confirm(const IntentOutcome& outcome) {
    console_.say(outcome.text);
    std::optional<bool> answer = options_.answer;
    for (int attempt = 0; !answer && console_.interactive() && attempt < attemptsAtAChoice;
         ++attempt) {
        console_.prompt(QStringLiteral("[y/n] "));
        const std::optional<QString> line = readLine();
        if (!line) {
            console_.note(QStringLiteral("Cancelled."));
            return failed;
        }
        const QString word = line->trimmed().toLower();
        if (word == QLatin1String("y") || word == QLatin1String("yes"))
            answer = true;
        else if (word == QLatin1String("n") || word == QLatin1String("no"))
            answer = false;
    }
    if (!answer) {
        if (console_.interactive())
            return badParameter;
        console_.note(QStringLiteral("Answer with --yes or --no."));
        return cannotAsk;
    }
    // Declining says nothing further.
    if (*answer)
        console_.say(outcome.followUp);
    return ok;
}

std::optional<int> Session::pick(const QStringList& labels, int& code) {
    if (options_.choice) {
        const int choice = *options_.choice;
        if (choice >= 1 && choice <= labels.size())
            return choice - 1;
        console_.note(QStringLiteral("There is no choice %1: choose 1 to %2.")
                          .arg(choice)
                          .arg(labels.size()));
        code = badParameter;
        return std::nullopt;
    }
    for (qsizetype k = 0; k < labels.size(); ++k)
        console_.note(QStringLiteral("  %1. %2").arg(k + 1).arg(labels[k]));
    if (!console_.interactive()) {
        console_.note(QStringLiteral("Choose one with --choose N."));
        code = cannotAsk;
        return std::nullopt;
    }
    for (int attempt = 0; attempt < attemptsAtAChoice; ++attempt) {
        console_.prompt(QStringLiteral("Choose 1 to %1: ").arg(labels.size()));
        const std::optional<QString> line = readLine();
        if (!line) {
            console_.note(QStringLiteral("Cancelled."));
            code = failed;
            return std::nullopt;
        }
        bool number = false;
        const int choice = line->trimmed().toInt(&number);
        if (number && choice >= 1 && choice <= labels.size())
            return choice - 1;
    }
    code = badParameter;
    return std::nullopt;
}

std::optional<QString> Session::listID(const std::optional<QString>& spokenName, int& code) {
    if (options_.listID)
        return options_.listID;

    // Without a name and a terminal there is nothing to look up.
    if (!spokenName && !console_.interactive()) {
        console_.note(QStringLiteral("Name the list with --list NAME or --list-id ID."));
        code = badParameter;
        return std::nullopt;
    }
    const std::optional<QList<ListEntity>> found = allLists(code);
    if (!found)
        return std::nullopt;
    QList<ListEntity> candidates;
    if (spokenName) {
        candidates = ListEntityQuery::matching(*spokenName, *found);
        if (candidates.size() == 1)
            return candidates.first().id;
        if (candidates.isEmpty()) {
            console_.note(QStringLiteral("No list answers to %1.").arg(quoted(*spokenName)));
            code = notFound;
            return std::nullopt;
        }
        console_.note(QStringLiteral("Several lists answer to %1:").arg(quoted(*spokenName)));
    } else {
        candidates = *found;
        if (candidates.isEmpty()) {
            console_.note(QStringLiteral("There are no lists yet."));
            code = notFound;
            return std::nullopt;
        }
        console_.note(QStringLiteral("Which list?"));
    }

    if (!console_.interactive()) {
        for (const ListEntity& entity : candidates)
            console_.note(QStringLiteral("  %1  %2").arg(entity.id, entity.name));
        console_.note(QStringLiteral("Choose one with --list-id ID."));
        // As with an item that several answer to: a question nobody is there to answer.
        code = cannotAsk;
        return std::nullopt;
    }
    QStringList labels;
    for (const ListEntity& entity : candidates)
        labels.append(QStringLiteral("%1  (%2)").arg(entity.name, entity.id));
    // A --choose answers the item question, not this one.
    CommandLineOptions asked = options_;
    asked.choice.reset();
    Session listSession(asked, env_);
    const std::optional<int> index = listSession.pick(labels, code);
    if (!index)
        return std::nullopt;
    return candidates[*index].id;
}

std::optional<QList<ListEntity>> Session::allLists(int& code) const {
    std::optional<QList<ListEntity>> found = directory_.readableLists();
    if (!found)
        code = unreachable;
    return found;
}

std::optional<QString> Session::textParameter(IntentKind kind, int& code) {
    QString prompt;
    QString missing;
    switch (kind) {
    case IntentKind::addItem:
        prompt = AddItemIntent::itemPrompt();
        missing = QStringLiteral("Say what to add after the command.");
        break;
    case IntentKind::completeItem:
        prompt = CompleteItemIntent::itemPrompt();
        missing = QStringLiteral("Say which item to tick off after the command.");
        break;
    default:
        prompt = CreateListIntent::namePrompt();
        missing = QStringLiteral("Say the new list's name after the command.");
        break;
    }
    if (!console_.interactive()) {
        console_.note(missing);
        code = badParameter;
        return std::nullopt;
    }
    console_.say(prompt);
    const std::optional<QString> line = readLine();
    if (!line) {
        console_.note(QStringLiteral("Cancelled."));
        code = failed;
    }
    return line;
}

} // namespace

CommandLineOptions parse(const QStringList& arguments) {
    CommandLineOptions options;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Tallybird keeps lists: shopping, packing, anything.\n\n") + commandsHelp());
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption profile(
        QStringLiteral("profile"),
        QStringLiteral("Keep the store, settings and caches in <dir> instead of the XDG folders."),
        QStringLiteral("dir"));
    const QCommandLineOption cloud(
        QStringLiteral("cloud"),
        QStringLiteral("Sync through the cloud container <container> instead of the shared one: "
                       "a container file, or a PostgreSQL server's postgresql:// address."),
        QStringLiteral("container"));
    const QCommandLineOption list(QStringLiteral("list"),
                                  QStringLiteral("The list, by name as it would be said."),
                                  QStringLiteral("name"));
    const QCommandLineOption listID(QStringLiteral("list-id"), QStringLiteral("The list, by id."),
                                    QStringLiteral("id"));
    const QCommandLineOption choose(QStringLiteral("choose"),
                                    QStringLiteral("Answer “Which one?” with choice <n>."),
                                    QStringLiteral("n"));
    const QCommandLineOption yes(QStringLiteral("yes"), QStringLiteral("Answer a question yes."));
    const QCommandLineOption no(QStringLiteral("no"), QStringLiteral("Answer a question no."));
    parser.addOptions({profile, cloud, list, listID, choose, yes, no});
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("What to do."),
                                 QStringLiteral("[command]"));
    options.helpText = parser.helpText();

    // The window's launch argument that shows the voice settings; one dash and a long name,
    // which the parser would read as a row of single-letter options.
    QStringList parsed = arguments;
    parsed.removeAll(QStringLiteral("-uitest-voice"));
    if (!parser.parse(parsed)) {
        options.error = parser.errorText();
        return options;
    }
    options.help = parser.isSet(help);
    options.version = parser.isSet(version);
    if (parser.isSet(profile))
        options.profile = parser.value(profile);
    if (parser.isSet(cloud))
        options.cloud = parser.value(cloud);
    QStringList words = parser.positionalArguments();
    if (!words.isEmpty())
        options.command = words.takeFirst();
    options.arguments = words;

    if (parser.isSet(list) && parser.isSet(listID)) {
        options.error = QStringLiteral("Give either --list or --list-id, not both.");
        return options;
    }
    if (parser.isSet(list))
        options.listName = parser.value(list);
    if (parser.isSet(listID)) {
        options.listID = parser.value(listID);
        if (!RequestCodec::isValidId(*options.listID)) {
            options.error = QStringLiteral("%1 is not a list id.").arg(quoted(*options.listID));
            return options;
        }
    }
    if (parser.isSet(choose)) {
        bool number = false;
        options.choice = parser.value(choose).toInt(&number);
        if (!number) {
            options.error = QStringLiteral("--choose takes a number.");
            return options;
        }
    }
    if (parser.isSet(yes) && parser.isSet(no)) {
        options.error = QStringLiteral("Give either --yes or --no, not both.");
        return options;
    }
    if (parser.isSet(yes) || parser.isSet(no))
        options.answer = parser.isSet(yes);
    return options;
}

int execute(const CommandLineOptions& options, CommandLineEnvironment& environment) {
    if (!options.error.isEmpty()) {
        environment.console.note(options.error);
        return badParameter;
    }
    Session session(options, environment);
    return session.run();
}

} // namespace CommandLine
