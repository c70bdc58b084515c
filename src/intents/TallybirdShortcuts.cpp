#include "intents/TallybirdShortcuts.h"

namespace {

QStringList addPhrases() {
    return {
        QStringLiteral("Add an item to {list} in {app}"),
        QStringLiteral("Add an item to {list} on {app}"),
        QStringLiteral("Add something to {list} in {app}"),
        QStringLiteral("Add something to {list} on {app}"),
        QStringLiteral("Add to {list} in {app}"),
        QStringLiteral("Add to {list} on {app}"),
        QStringLiteral("Add to my {list} in {app}"),
        QStringLiteral("Put something on {list} in {app}"),
        QStringLiteral("{app}, add an item to {list}"),
        QStringLiteral("{app}, add to {list}"),
        QStringLiteral("In {app} add an item to {list}"),
        QStringLiteral("On {app} add an item to {list}"),
        QStringLiteral("In {app} add to {list}"),
    };
}

// Sixteen questions, each said two ways: with the list and then the program, or addressed to
// the program first.
QStringList readPhrases() {
    QStringList phrases;
    for (const QString& noun : {QStringLiteral("things"), QStringLiteral("items")}) {
        const QStringList questions{
            QStringLiteral("How many %1 are left in"), QStringLiteral("How many %1 are left on"),
            QStringLiteral("How many %1 left in"),     QStringLiteral("How many %1 left on"),
            QStringLiteral("How many %1 are in"),      QStringLiteral("How many %1 are on"),
            QStringLiteral("How many %1 in"),          QStringLiteral("How many %1 on"),
        };
        for (const QString& pattern : questions) {
            const QString question = pattern.arg(noun);
            phrases.append(question + QStringLiteral(" {list} in {app}"));
            phrases.append(QStringLiteral("{app}, ") + question.left(1).toLower() +
                           question.mid(1) + QStringLiteral(" {list}"));
        }
    }
    phrases += {
        QStringLiteral("What's left in {list} in {app}"),
        QStringLiteral("{app}, what's left in {list}"),
        QStringLiteral("What's left on {list} in {app}"),
        QStringLiteral("{app}, what's left on {list}"),
        QStringLiteral("What's in {list} in {app}"),
        QStringLiteral("{app}, what's in {list}"),
        QStringLiteral("What's on {list} in {app}"),
        QStringLiteral("{app}, what's on {list}"),
        QStringLiteral("Read {list} in {app}"),
        QStringLiteral("{app}, read {list}"),
        QStringLiteral("Read my {list} in {app}"),
        QStringLiteral("{app}, read my {list}"),
        QStringLiteral("In {app} how many things are left in {list}"),
        QStringLiteral("In {app} how many items are left in {list}"),
        QStringLiteral("In {app} what's left in {list}"),
        QStringLiteral("In {app} what's in {list}"),
        QStringLiteral("In {app} read {list}"),
        QStringLiteral("On {app} how many things are left in {list}"),
        QStringLiteral("On {app} what's left in {list}"),
    };
    return phrases;
}

QStringList tickPhrases() {
    return {
        QStringLiteral("Tick something off {list} in {app}"),
        QStringLiteral("Tick something off {list} on {app}"),
        QStringLiteral("Tick something off my {list} in {app}"),
        QStringLiteral("Cross something off {list} in {app}"),
        QStringLiteral("Check something off {list} in {app}"),
        QStringLiteral("Tick an item off {list} in {app}"),
        QStringLiteral("{app}, tick something off {list}"),
        QStringLiteral("{app}, cross something off {list}"),
        QStringLiteral("Tick something off in {list} in {app}"),
        QStringLiteral("Tick something off from {list} in {app}"),
        QStringLiteral("In {app} tick something off {list}"),
        QStringLiteral("On {app} tick something off {list}"),
    };
}

QStringList openPhrases() {
    return {
        QStringLiteral("Open {list} in {app}"),    QStringLiteral("Open {list} on {app}"),
        QStringLiteral("Show me {list} in {app}"), QStringLiteral("Show me {list} on {app}"),
        QStringLiteral("Show {list} in {app}"),    QStringLiteral("{app}, open {list}"),
        QStringLiteral("{app}, show me {list}"),   QStringLiteral("{app}, show {list}"),
        QStringLiteral("In {app} show me {list}"), QStringLiteral("On {app} show me {list}"),
        QStringLiteral("In {app} open {list}"),    QStringLiteral("On {app} open {list}"),
        QStringLiteral("In {app} show {list}"),
    };
}

QStringList startPhrases() {
    return {
        QStringLiteral("Start a new list in {app}"), QStringLiteral("Start a new list on {app}"),
        QStringLiteral("Make a new list in {app}"),  QStringLiteral("Create a list in {app}"),
        QStringLiteral("{app}, start a new list"),
    };
}

AppShortcut shortcut(IntentKind intent, QStringList phrases, const char* image) {
    return AppShortcut{intent, std::move(phrases), IntentKinds::title(intent),
                       QString::fromLatin1(image)};
}

} // namespace

QString TallybirdShortcuts::applicationName() {
    return QStringLiteral("Tallybird");
}

QList<AppShortcut> TallybirdShortcuts::appShortcuts() {
    return {
        shortcut(IntentKind::addItem, addPhrases(), "plus.circle"),
        shortcut(IntentKind::readList, readPhrases(), "text.bubble"),
        shortcut(IntentKind::completeItem, tickPhrases(), "checkmark.circle"),
        shortcut(IntentKind::openList, openPhrases(), "arrow.up.forward.app"),
        shortcut(IntentKind::createList, startPhrases(), "square.and.pencil"),
    };
}
