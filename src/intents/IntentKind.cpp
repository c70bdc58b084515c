#include "intents/IntentKind.h"

#include <array>

namespace {
constexpr std::array allKinds{IntentKind::addItem, IntentKind::readList, IntentKind::completeItem,
                              IntentKind::openList, IntentKind::createList};
}

QString IntentKinds::title(IntentKind kind) {
    switch (kind) {
    case IntentKind::addItem:
        return QStringLiteral("Add an item");
    case IntentKind::readList:
        return QStringLiteral("Read a list");
    case IntentKind::completeItem:
        return QStringLiteral("Tick an item off");
    case IntentKind::openList:
        return QStringLiteral("Open a list");
    case IntentKind::createList:
        return QStringLiteral("Start a list");
    }
    return {};
}

QString IntentKinds::command(IntentKind kind) {
    switch (kind) {
    case IntentKind::addItem:
        return QStringLiteral("add");
    case IntentKind::readList:
        return QStringLiteral("read");
    case IntentKind::completeItem:
        return QStringLiteral("tick");
    case IntentKind::openList:
        return QStringLiteral("open");
    case IntentKind::createList:
        return QStringLiteral("start");
    }
    return {};
}

std::optional<IntentKind> IntentKinds::fromCommand(const QString& word) {
    for (IntentKind kind : allKinds) {
        if (command(kind) == word)
            return kind;
    }
    return std::nullopt;
}

bool IntentKinds::takesList(IntentKind kind) {
    return kind != IntentKind::createList;
}

QStringList IntentKinds::parameterTitles(IntentKind kind) {
    switch (kind) {
    case IntentKind::addItem:
    case IntentKind::completeItem:
        return {QStringLiteral("List"), QStringLiteral("Item")};
    case IntentKind::createList:
        return {QStringLiteral("Name")};
    case IntentKind::readList:
    case IntentKind::openList:
        break;
    }
    return {QStringLiteral("List")};
}
