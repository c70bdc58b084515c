#include "model/PersonAlias.h"
#include "model/PersonDisplay.h"
#include "model/TBCircle.h"
#include "model/TBPerson.h"
#include "model/UserIdentity.h"
#include "platform/JsonRead.h"

#include <gtest/gtest.h>

namespace {

TEST(PersonTest, MakesPeopleFromHandles) {
    const struct {
        const char* handle;
        std::optional<QString> email;
        std::optional<QString> phone; // both absent: refused
    } cases[] = {
        {"  Ada.Lovelace@Example.ORG \n", "ada.lovelace@example.org", std::nullopt},
        {"ÉMILE@X", "émile@x", std::nullopt},
        {"not-an-address@", "not-an-address@", std::nullopt},
        {"+44 (20) 7946-0958", std::nullopt, "+442079460958"},
        {"1234-", std::nullopt, std::nullopt},
        {"1234+", std::nullopt, "1234+"},
        {"12 ½ 34", std::nullopt, "12½34"},    // a fraction counts as a number
        {"१२३ ext ४५", std::nullopt, "१२३४५"}, // Devanagari digits
        {"   \t\n", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.handle);
        const auto person = TBPerson::make("P", "  Ada \n", c.handle);
        if (!c.email && !c.phone) {
            EXPECT_FALSE(person);
            continue;
        }
        ASSERT_TRUE(person);
        EXPECT_EQ(*person, (TBPerson{"P", "Ada", c.email, c.phone}));
    }
    // The display name falls back to the handle.
    EXPECT_EQ(TBPerson::make("P", " ", "A@B.C")->displayName(), "a@b.c");
    EXPECT_EQ(TBPerson::make("P", "", "+1 555 0100")->displayName(), "+15550100");
    EXPECT_EQ(TBPerson::make("P", "Bo", "+1 555 0100")->displayName(), "Bo");
}

TEST(PersonAliasTest, Emptiness) {
    const struct {
        const char* label;
        PersonAlias alias;
        bool empty;
    } cases[] = {{"nothing", {"P", {}, {}, {}, {}}, true},
                 {"blank alias", {"P", " \n\t", {}, {}, {}}, true},
                 {"alias", {"P", "Mum", {}, {}, {}}, false},
                 {"empty photo", {"P", "", QByteArray(), {}, {}}, false},
                 {"empty linked name", {"P", {}, {}, "", {}}, false},
                 {"one handle", {"P", " ", {}, {}, {"a@b.c"}}, false}};
    for (const auto& c : cases)
        EXPECT_EQ(c.alias.isEmpty(), c.empty) << c.label;
}

TEST(PersonAliasTest, JsonRoundTripAndStrictness) {
    const PersonAlias alias{"P", "Mum", QByteArray("\x00\xff\x10", 3), "Mother", {"a", "b"}};
    const Json json = alias.toJson();
    EXPECT_EQ(json.dump(), R"({"personID":"P","alias":"Mum","photo":"AP8Q","linkedName":"Mother",)"
                           R"("handles":["a","b"]})");
    EXPECT_EQ(PersonAlias::fromJson(Json::parse(json.dump())), alias);

    const PersonAlias bare = PersonAlias::fromJson(Json::parse(R"({"personID":"P"})"));
    EXPECT_EQ(bare, (PersonAlias{"P", std::nullopt, std::nullopt, std::nullopt, {}}));
    EXPECT_EQ(bare.toJson().dump(), R"({"personID":"P","handles":[]})");

    for (const char* text :
         {R"({"alias":"x"})", R"({"personID":"P","photo":"AP8Q\n"})",
          R"({"personID":"P","photo":"A*8Q"})", R"({"personID":"P","photo":[0,255]})",
          R"({"personID":"P","alias":1})", R"({"personID":"P","handles":"a"})",
          R"({"personID":"P","handles":["a",2]})"})
        EXPECT_THROW(PersonAlias::fromJson(Json::parse(text)), DecodeError) << text;
}

TEST(PersonDisplayTest, Initials) {
    const std::pair<QString, QString> cases[] = {
        {"ada lovelace byron", "AL"},
        {"  ada   lovelace ", "AL"},
        {"    ", "?"},
        {"ada\tlovelace", "A"}, // only the space character splits
        {"straße ßig", "SSS"},
        {"👨‍👩‍👧 family", "👨‍👩‍👧F"},
        {"e\u0301mile zola", "E\u0301Z"},
        {"ǳemal", "Ǳ"}};
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(PersonDisplay::initials(name), expected) << name.toStdString();
}

TEST(PersonDisplayTest, ResolvePrefersAliasThenStoredName) {
    using PersonDisplay::Source;
    const QByteArray photo("img");
    const PersonAlias named{"P", " Mum ", photo, std::nullopt, {}};
    const PersonAlias blank{"P", " ", photo, "Linked", {"h"}};

    EXPECT_EQ(PersonDisplay::resolve("Ada King", named),
              (PersonDisplay::Resolved{"Mum", "M", photo, Source::alias}));
    EXPECT_EQ(PersonDisplay::resolve(" Ada King ", blank),
              (PersonDisplay::Resolved{"Ada King", "AK", photo, Source::storedName}));
    EXPECT_EQ(PersonDisplay::resolve("Ada", std::nullopt),
              (PersonDisplay::Resolved{"Ada", "A", std::nullopt, Source::storedName}));
    EXPECT_EQ(PersonDisplay::resolve("\n", blank),
              (PersonDisplay::Resolved{std::nullopt, std::nullopt, photo, Source::unknown}));
    EXPECT_EQ(PersonDisplay::resolve("", std::nullopt),
              (PersonDisplay::Resolved{std::nullopt, std::nullopt, std::nullopt, Source::unknown}));
}

TEST(CircleTest, JsonRoundTripAndRequiredKeys) {
    const TBCircle circle{
        "C",
        "Family",
        {*TBPerson::make("P1", "Mum", "mum@x.org"), *TBPerson::make("P2", "", "+1 555 0100")},
        3};
    EXPECT_EQ(circle.toJson().dump(),
              R"({"id":"C","name":"Family","members":[{"id":"P1","name":"Mum",)"
              R"("emailAddress":"mum@x.org"},{"id":"P2","name":"","phoneNumber":"+15550100"}],)"
              R"("order":3.0})");
    EXPECT_EQ(TBCircle::fromJson(Json::parse(circle.toJson().dump())), circle);

    for (const char* text :
         {R"({"name":"F","members":[],"order":0})", R"({"id":"C","members":[],"order":0})",
          R"({"id":"C","name":"F","order":0})", R"({"id":"C","name":"F","members":[]})",
          R"({"id":"C","name":"F","members":{},"order":0})",
          R"({"id":"C","name":"F","members":[],"order":"0"})",
          R"({"id":"C","name":"F","members":[{"id":"P"}],"order":0})",
          R"({"id":"C","name":"F","members":[{"id":"P","name":"x","phoneNumber":5}],"order":0})"})
        EXPECT_THROW(TBCircle::fromJson(Json::parse(text)), DecodeError) << text;
}

TEST(UserIdentityTest, ReportListsScopesInTextOrder) {
    UserIdentity identity;
    identity.knownRecordNames = {"_a", "_b"};
    EXPECT_EQ(identity.report(), "The cloud container has not identified this device yet.");
    identity.byScope = {{"shared", "_b"}, {"private", "_a"}, {"migrated", "_old"}};
    EXPECT_EQ(identity.report(),
              QStringLiteral("migrated: _old \u00B7 private: _a \u00B7 shared: _b"));
}

TEST(UserIdentityTest, JsonRoundTripAndStrictness) {
    const UserIdentity identity =
        UserIdentity::fromJson(Json::parse(R"({"knownRecordNames":["_z","_a","_z"],)"
                                           R"("byScope":{"shared":"_z","private":"_a"}})"));
    EXPECT_EQ(identity.knownRecordNames, (std::set<QString>{"_a", "_z"}));
    EXPECT_EQ(identity.toJson().dump(),
              R"({"knownRecordNames":["_a","_z"],"byScope":{"private":"_a","shared":"_z"}})");
    EXPECT_EQ(UserIdentity::fromJson(identity.toJson()), identity);

    for (const char* text :
         {R"({"byScope":{}})", R"({"knownRecordNames":[]})",
          R"({"knownRecordNames":"_a","byScope":{}})", R"({"knownRecordNames":[1],"byScope":{}})",
          R"({"knownRecordNames":[],"byScope":[]})",
          R"({"knownRecordNames":[],"byScope":{"private":1}})"})
        EXPECT_THROW(UserIdentity::fromJson(Json::parse(text)), DecodeError) << text;
}

} // namespace
