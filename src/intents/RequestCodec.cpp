#include "intents/RequestCodec.h"

#include "platform/JsonRead.h"
#include "platform/Unicode.h"

#include <initializer_list>
#include <string>

namespace RequestCodec {

namespace {

// The known shapes nest three deep at most; anything deeper is refused before it is parsed.
bool shallowEnough(const QByteArray& message, int maxDepth) {
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : message) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth > maxDepth)
                return false;
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return true;
}

std::optional<Json> parseObject(const QByteArray& message, qsizetype maxBytes) {
    if (message.isEmpty() || message.size() > maxBytes || !shallowEnough(message, 3))
        return std::nullopt;
    try {
        Json json = JsonRead::parse(message);
        if (!json.is_object())
            return std::nullopt;
        return json;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool onlyKeys(const Json& object, std::initializer_list<const char*> allowed) {
    for (auto it = object.begin(); it != object.end(); ++it) {
        bool known = false;
        for (const char* key : allowed)
            known = known || it.key() == key;
        if (!known)
            return false;
    }
    return true;
}

// A text of any length: the message's size bounds it.
std::optional<QString> text(const Json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string())
        return std::nullopt;
    return JsonRead::toQString(found->get<std::string>());
}

// The text of a request, as long as it may be.
std::optional<QString> requestText(const Json& object, const char* key) {
    std::optional<QString> value = text(object, key);
    if (value && Unicode::graphemeCount(*value) > maxTextLength)
        return std::nullopt;
    return value;
}

std::optional<QString> id(const Json& object, const char* key) {
    std::optional<QString> value = text(object, key);
    if (!value || !isValidId(*value))
        return std::nullopt;
    return value;
}

QByteArray dumped(const Json& json) {
    const std::string bytes = json.dump();
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

// A reply says whether its request was done, a failure what kind it is.
bool carriesExit(IntentOutcome::Kind kind) {
    return kind == IntentOutcome::Kind::reply || kind == IntentOutcome::Kind::failed;
}

// One of the codes a request's outcome may end with: never a code of the command line's own.
std::optional<ExitCode::Code> outcomeExit(const Json& value) {
    if (!value.is_number_integer())
        return std::nullopt;
    const auto code = value.get<long long>();
    for (const ExitCode::Code known : {ExitCode::failed, ExitCode::notFound, ExitCode::refused,
                                       ExitCode::unreachable, ExitCode::notSaved}) {
        if (code == known)
            return known;
    }
    return std::nullopt;
}

QString outcomeName(IntentOutcome::Kind kind) {
    switch (kind) {
    case IntentOutcome::Kind::reply:
        return QStringLiteral("reply");
    case IntentOutcome::Kind::choose:
        return QStringLiteral("choose");
    case IntentOutcome::Kind::confirm:
        return QStringLiteral("confirm");
    case IntentOutcome::Kind::failed:
        return QStringLiteral("failed");
    }
    return {};
}

} // namespace

bool isValidId(const QString& id) {
    if (id.isEmpty() || id.size() > maxIdLength)
        return false;
    for (const QChar c : id) {
        const char16_t u = c.unicode();
        const bool allowed = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') ||
                             (u >= u'0' && u <= u'9') || u == u'-' || u == u'_' || u == u'.' ||
                             u == u':';
        if (!allowed)
            return false;
    }
    return true;
}

bool fits(const IntentRequest& request) {
    return Unicode::graphemeCount(request.text) <= maxTextLength &&
           encode(request).size() <= maxMessageBytes;
}

QByteArray encode(const IntentRequest& request) {
    Json json = Json::object();
    json["request"] = JsonRead::toUtf8(IntentKinds::command(request.kind));
    if (IntentKinds::takesList(request.kind))
        json["list"] = JsonRead::toUtf8(request.listID);
    if (request.kind == IntentKind::addItem || request.kind == IntentKind::completeItem ||
        request.kind == IntentKind::createList)
        json["text"] = JsonRead::toUtf8(request.text);
    if (request.kind == IntentKind::completeItem && request.itemID)
        json["item"] = JsonRead::toUtf8(*request.itemID);
    return dumped(json);
}

std::optional<IntentRequest> decodeRequest(const QByteArray& message) {
    const std::optional<Json> json = parseObject(message, maxMessageBytes);
    if (!json || !onlyKeys(*json, {"request", "list", "text", "item"}))
        return std::nullopt;
    const std::optional<QString> command = text(*json, "request");
    const std::optional<IntentKind> kind =
        command ? IntentKinds::fromCommand(*command) : std::nullopt;
    if (!kind)
        return std::nullopt;

    IntentRequest request;
    request.kind = *kind;
    const bool wantsText = *kind == IntentKind::addItem || *kind == IntentKind::completeItem ||
                           *kind == IntentKind::createList;
    if (IntentKinds::takesList(*kind)) {
        const std::optional<QString> listID = id(*json, "list");
        if (!listID)
            return std::nullopt;
        request.listID = *listID;
    } else if (json->contains("list")) {
        return std::nullopt;
    }
    if (wantsText) {
        const std::optional<QString> value = requestText(*json, "text");
        if (!value)
            return std::nullopt;
        request.text = *value;
    } else if (json->contains("text")) {
        return std::nullopt;
    }
    if (json->contains("item")) {
        const std::optional<QString> itemID = id(*json, "item");
        if (*kind != IntentKind::completeItem || !itemID)
            return std::nullopt;
        request.itemID = itemID;
    }
    return request;
}

QByteArray encode(const IntentOutcome& outcome) {
    Json json = Json::object();
    json["outcome"] = JsonRead::toUtf8(outcomeName(outcome.kind));
    json["text"] = JsonRead::toUtf8(outcome.text);
    if (outcome.kind == IntentOutcome::Kind::reply && !outcome.note.isEmpty())
        json["note"] = JsonRead::toUtf8(outcome.note);
    if (carriesExit(outcome.kind) && outcome.exit != ExitCode::ok)
        json["exit"] = int(outcome.exit);
    if (outcome.kind == IntentOutcome::Kind::confirm)
        json["followUp"] = JsonRead::toUtf8(outcome.followUp);
    if (outcome.kind == IntentOutcome::Kind::choose) {
        Json choices = Json::array();
        for (const IntentChoice& choice : outcome.choices) {
            Json entry = Json::object();
            entry["id"] = JsonRead::toUtf8(choice.id);
            entry["text"] = JsonRead::toUtf8(choice.text);
            choices.push_back(std::move(entry));
        }
        json["choices"] = std::move(choices);
    }
    return dumped(json);
}

std::optional<IntentOutcome> decodeOutcome(const QByteArray& message) {
    const std::optional<Json> json = parseObject(message, maxAnswerBytes);
    if (!json || !onlyKeys(*json, {"outcome", "text", "note", "followUp", "choices", "exit"}))
        return std::nullopt;
    // The answer's size bounds its texts.
    const std::optional<QString> name = text(*json, "outcome");
    const std::optional<QString> said = text(*json, "text");
    if (!name || !said)
        return std::nullopt;

    const bool isReply = *name == QLatin1String("reply");
    std::optional<QString> note;
    if (json->contains("note")) {
        note = text(*json, "note");
        if (!note || !isReply)
            return std::nullopt;
    }
    const bool isFailure = *name == QLatin1String("failed");
    std::optional<ExitCode::Code> exit = isFailure ? ExitCode::failed : ExitCode::ok;
    if (json->contains("exit")) {
        exit = (isReply || isFailure) ? outcomeExit(json->at("exit")) : std::nullopt;
        if (!exit)
            return std::nullopt;
    }
    if (isReply || isFailure) {
        if (json->contains("followUp") || json->contains("choices"))
            return std::nullopt;
        IntentOutcome outcome = isReply ? IntentOutcome::reply(*said, note.value_or(QString()))
                                        : IntentOutcome::failed(*said);
        outcome.exit = *exit;
        return outcome;
    }
    if (*name == QLatin1String("confirm")) {
        const std::optional<QString> followUp = text(*json, "followUp");
        if (!followUp || json->contains("choices"))
            return std::nullopt;
        return IntentOutcome::confirm(*said, *followUp);
    }
    if (*name == QLatin1String("choose")) {
        const auto found = json->find("choices");
        if (json->contains("followUp") || found == json->end() || !found->is_array() ||
            found->empty() || qsizetype(found->size()) > maxChoices)
            return std::nullopt;
        QList<IntentChoice> choices;
        for (const Json& entry : *found) {
            if (!entry.is_object() || !onlyKeys(entry, {"id", "text"}))
                return std::nullopt;
            const std::optional<QString> choiceID = id(entry, "id");
            const std::optional<QString> choiceText = text(entry, "text");
            if (!choiceID || !choiceText)
                return std::nullopt;
            choices.append(IntentChoice{*choiceID, *choiceText});
        }
        return IntentOutcome::choose(*said, choices);
    }
    return std::nullopt;
}

QByteArray taken() {
    return QByteArrayLiteral(R"({"taken":true})");
}

bool isTaken(const QByteArray& message) {
    return message == taken();
}

QByteArray listsQuery() {
    return QByteArrayLiteral(R"({"request":"lists"})");
}

bool isListsQuery(const QByteArray& message) {
    const std::optional<Json> json = parseObject(message, maxMessageBytes);
    return json && json->size() == 1 && text(*json, "request") == QLatin1String("lists");
}

QByteArray encode(const QList<ListEntity>& lists) {
    Json entries = Json::array();
    for (const ListEntity& list : lists)
        entries.push_back(
            Json{{"id", JsonRead::toUtf8(list.id)}, {"name", JsonRead::toUtf8(list.name)}});
    Json json = Json::object();
    json["lists"] = std::move(entries);
    return dumped(json);
}

std::optional<QList<ListEntity>> decodeLists(const QByteArray& message) {
    const std::optional<Json> json = parseObject(message, maxAnswerBytes);
    if (!json || !onlyKeys(*json, {"lists"}))
        return std::nullopt;
    const auto found = json->find("lists");
    if (found == json->end() || !found->is_array())
        return std::nullopt;
    QList<ListEntity> lists;
    for (const Json& entry : *found) {
        if (!entry.is_object() || !onlyKeys(entry, {"id", "name"}))
            return std::nullopt;
        const std::optional<QString> listID = id(entry, "id");
        const std::optional<QString> name = text(entry, "name");
        if (!listID || !name)
            return std::nullopt;
        lists.append(ListEntity{*listID, *name});
    }
    return lists;
}

} // namespace RequestCodec
