// The notes section's model: the limits and why a note was refused, putting a refused note back
// without losing what was typed since, the author name through the list's share, and answers
// that arrive after the editor closed or moved on.
#include "ui/item/NotesThreadModel.h"
#include "ItemEditorTestBase.h"
#include "model/ItemNotes.h"
#include "model/NoteAuthor.h"

#include <functional>

namespace {

// A share look-up that answers when the test says so.
struct FakeShare {
    std::optional<NoteAuthorName::Share> share;
    bool answerAtOnce = true;
    QList<std::function<void()>> waiting;
    int lookups = 0;

    NoteAuthorName::ShareLookup lookup() {
        return [this](const QString&, std::function<void(std::optional<NoteAuthorName::Share>)> r) {
            ++lookups;
            const std::optional<NoteAuthorName::Share> answer = share;
            if (answerAtOnce)
                r(answer);
            else
                waiting.append([r, answer] { r(answer); });
        };
    }
    void answerAll() {
        const QList<std::function<void()>> now = std::exchange(waiting, {});
        for (const auto& answer : now)
            answer();
    }
};

PersonNameComponents named(const QString& given, const QString& family) {
    PersonNameComponents names;
    names.givenName = given;
    names.familyName = family;
    return names;
}

class NotesThreadModelTest : public ItemEditorTestBase {
public:
    std::unique_ptr<NotesThreadModel> open(const TBItem& item) {
        auto model = std::make_unique<NotesThreadModel>(*t.store);
        model->setShareLookup(share.lookup());
        model->show({item.id, item.listID});
        return model;
    }
    void send(NotesThreadModel& model, const QString& text) {
        model.setDraft(text);
        model.commitNote();
    }
    QStringList noteTexts(const QString& itemID) const {
        QStringList out;
        if (const TBItem* item = t.store->findItem(itemID))
            for (const ItemNotes::Entry& entry : ItemNotes::parse(item->notes))
                out << entry.text;
        return out;
    }
    // Fills the item's thread with `count` notes of `length` characters each.
    void fill(const TBItem& item, int count, int length = 1) {
        for (int i = 0; i < count; ++i)
            ASSERT_TRUE(t.store->addNote(QString(length, QChar('a' + i % 26)), item.id, "", ""));
    }
    int rawLength(const QString& itemID) const {
        return int(t.store->findItem(itemID)->notes.size());
    }

    FakeShare share;
};

TEST_F(NotesThreadModelTest, ARefusedNoteAndTheLimitTextSayWhichLimitWasReached) {
    const QString notes = "This note is full — up to 100 notes per item.";
    const QString characters = "That could not be added — a note holds up to 8000 characters.";
    const QString gone = "That item no longer exists.";
    struct Row {
        const char* what;
        std::function<void(NotesThreadModelTest&, const TBItem&, NotesThreadModel&)> arrange;
        QString typed;
        std::optional<QString> message;
        std::optional<QString> limitText;
        bool deleteAfterSending = false;
    };
    const Row rows[] = {
        {"a note to a thread of 99 is added",
         [](auto& test, auto& item, auto&) { test.fill(item, 99); }, "one more", std::nullopt,
         notes},
        {"the 101st note is refused for the count",
         [](auto& test, auto& item, auto& model) {
             test.fill(item, 99);
             test.send(model, "the hundredth"); // queued before the one under test
         },
         "one too many", notes, notes},
        {"a note past 8000 characters is refused for the length",
         [](auto& test, auto& item, auto&) { test.fill(item, 4, 1900); }, QString(400, 'x'),
         characters, std::nullopt},
        {"an item deleted before the note's turn", [](auto&, auto&, auto&) {}, "after it went",
         gone, std::nullopt, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const TBList list = t.list("Shop");
        const TBItem item = t.item(list, "Milk");
        std::unique_ptr<NotesThreadModel> model = open(item);
        row.arrange(*this, item, *model);
        send(*model, row.typed);
        if (row.deleteAfterSending)
            t.store->deleteItem(item.id);
        t.turn();
        EXPECT_EQ(model->face().message, row.message);
        EXPECT_EQ(model->face().limitText, row.limitText);
        EXPECT_EQ(model->face().showsComposer, !row.limitText.has_value());
        EXPECT_EQ(model->draft(), row.message ? row.typed : QString());
    }
}

TEST_F(NotesThreadModelTest, AThreadFullByLengthShowsTheLengthSentenceInsteadOfTheComposer) {
    const TBList list = t.list("Shop");
    const TBItem item = t.item(list, "Milk");
    fill(item, 4, 1900);
    const QString filler = "filler";
    // One more note that brings the thread to exactly 8000 characters.
    const int overhead = int(ItemNotes::line({QString(36, 'i'), Date(0), "", "", ""}).size());
    const int room = ItemNotes::maxCharacters - rawLength(item.id) - 1 - overhead;
    ASSERT_TRUE(t.store->addNote(QString(room, 'z'), item.id, "", ""));
    ASSERT_EQ(rawLength(item.id), ItemNotes::maxCharacters);
    std::unique_ptr<NotesThreadModel> model = open(item);
    const NotesThreadModel::Face face = model->face();
    EXPECT_FALSE(face.showsComposer);
    EXPECT_EQ(face.limitText, "That could not be added — a note holds up to 8000 characters.");
    EXPECT_EQ(face.rows.size(), 5);
}

TEST_F(NotesThreadModelTest, ARefusedNoteComesBackWithoutLosingWhatWasTypedSince) {
    struct Row {
        const char* what;
        QString typedSince;
        QString expected;
    };
    const Row rows[] = {
        {"into an empty composer, as it was", "", "Get the blue one\nnot the red"},
        {"before the new text, on its own line", "and milk",
         "Get the blue one\nnot the red\nand milk"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const TBList list = t.list("Shop");
        const TBItem item = t.item(list, "Milk");
        fill(item, 100);
        std::unique_ptr<NotesThreadModel> model = open(item);
        // Sent while the thread was not yet full on screen: the store refuses it.
        send(*model, "  Get the blue one\nnot the red \n");
        EXPECT_TRUE(model->draft().isEmpty()) << "the composer empties at once";
        model->setDraft(row.typedSince);
        t.turn();
        EXPECT_EQ(model->draft(), row.expected);
        EXPECT_EQ(noteTexts(item.id).size(), 100);
    }
}

TEST_F(NotesThreadModelTest, TheNextNoteThatIsAddedClearsTheMessage) {
    const TBList list = t.list("Shop");
    const TBItem item = t.item(list, "Milk");
    fill(item, 3, 2500);
    std::unique_ptr<NotesThreadModel> model = open(item);
    send(*model, QString(400, 'x'));
    t.turn();
    ASSERT_TRUE(model->message());
    model->setDraft({});
    send(*model, "short");
    t.turn();
    EXPECT_FALSE(model->message());
    EXPECT_TRUE(noteTexts(item.id).contains("short"));
    send(*model, " \n\t ");
    t.turn();
    EXPECT_EQ(model->draft(), " \n\t ") << "a blank note stays in the composer";
    EXPECT_FALSE(model->face().canSave);
}

TEST_F(NotesThreadModelTest, NotesAreWrittenUnderTheNameTheSharedListsShareGives) {
    struct Row {
        const char* what;
        bool shared;
        std::optional<NoteAuthorName::Share> share;
        QString typedName;
        QString author;
        std::optional<QString> diagnosis;
    };
    const NoteAuthorName::Share userNamed{named("Ann", "Lee"), named("Bo", "Ray"), false};
    const NoteAuthorName::Share ownerOnly{std::nullopt, named("Bo", "Ray"), true};
    const NoteAuthorName::Share notOwner{std::nullopt, named("Bo", "Ray"), false};
    const Row rows[] = {
        {"a private list keeps the name empty", false, userNamed, "Typed", "", std::nullopt},
        {"the share names the user", true, userNamed, "Typed", "Ann Lee",
         "The cloud container provided your name."},
        {"the owner's name for the list the user owns", true, ownerOnly, "Typed", "Bo Ray",
         "The cloud container provided your name from the list you own."},
        {"not the owner: the typed name", true, notOwner, "  Typed  ", "Typed",
         "The cloud container did not provide a name, so the one typed here is used."},
        {"no share and nothing typed", true, std::nullopt, "", "",
         "The cloud container did not provide a name, and none has been typed here."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        t.defaults.remove(NoteAuthorName::diagnosisKey);
        NoteAuthor::setPreferredName(t.defaults, row.typedName);
        share.share = row.share;
        TBList list = t.list("Trip");
        if (row.shared) {
            list.hasShare = true;
            t.store->updateList(list);
        }
        const TBItem item = t.item(list, "Tent");
        std::unique_ptr<NotesThreadModel> model = open(item);
        EXPECT_EQ(model->authorName(), row.author);
        send(*model, "Pack it dry");
        t.turn();
        const QList<ItemNotes::Entry> entries = ItemNotes::parse(t.store->findItem(item.id)->notes);
        ASSERT_EQ(entries.size(), 1);
        EXPECT_EQ(entries.first().authorName, row.author);
        EXPECT_EQ(t.defaults.string(NoteAuthorName::diagnosisKey), row.diagnosis);
    }
}

TEST_F(NotesThreadModelTest, OtherPeoplesNotesShowTheirKeptNameAndOnlyOwnNotesCanBeDeleted) {
    TBList list = t.list("Trip");
    list.hasShare = true;
    t.store->updateList(list);
    const TBItem item = t.item(list, "Tent");
    t.store->signedIn("_me", EngineScope::privateDatabase);
    ASSERT_TRUE(t.store->addNote("Mine", item.id, "_me", "Me"));
    t.clock.advance(1);
    ASSERT_TRUE(t.store->addNote("Theirs", item.id, "_ann", "Ann Lee"));
    t.clock.advance(1);
    ASSERT_TRUE(t.store->addNote("Early", item.id, "", ""));
    PersonAlias alias;
    alias.personID = "_ann";
    alias.alias = "Annie";
    t.store->setAlias(alias);
    std::unique_ptr<NotesThreadModel> model = open(item);

    QStringList shown;
    for (const NotesThreadModel::Row& row : model->face().rows)
        shown << row.text + " | " + (row.showsAvatar ? row.avatarLabel : "-") + " | " +
                     row.nameLine.value_or("-") + " | " + row.deleteLabel.value_or("-");
    EXPECT_EQ(shown, QStringList({"Mine | - | - | Delete note by Me: Mine",
                                  "Theirs | Edit the name kept for Annie | Annie | -",
                                  "Early | - | - | Delete note: Early"}));

    QSignalSpy person(model.get(), &NotesThreadModel::personRequested);
    model->editPerson(model->face().rows.at(1).id);
    ASSERT_EQ(person.count(), 1);
    EXPECT_EQ(model->editingPerson(), (PersonRoute{"_ann", "Ann Lee"}));
    model->removeNote(model->face().rows.at(1).id); // not theirs to delete
    model->removeNote(model->face().rows.at(0).id);
    EXPECT_EQ(noteTexts(item.id), QStringList({"Theirs", "Early"}));
}

TEST_F(NotesThreadModelTest, EachDeleteButtonNamesItsNoteByItsWords) {
    const QString sixty = QString(60, QLatin1Char('a'));
    // A family: one character of five code points.
    const QString family = QString::fromUtf8("\U0001F468\u200D\U0001F469\u200D\U0001F467");
    struct Row {
        const char* what;
        QString author;
        QString text;
        QString label;
    };
    const Row rows[] = {
        {"a note of one's own", "", "Pack it dry", "Delete note: Pack it dry"},
        {"a note under a name", "Me", "Pack it dry", "Delete note by Me: Pack it dry"},
        {"sixty characters, whole", "", sixty, "Delete note: " + sixty},
        {"a longer note, cut and marked", "", sixty + "b", "Delete note: " + sixty + "…"},
        {"cut at a word's end, without the blank", "", QString(59, 'a') + " and more",
         "Delete note: " + QString(59, 'a') + "…"},
        {"never inside a character", "", QString(59, 'a') + family + "x",
         "Delete note: " + QString(59, 'a') + family + "…"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const TBItem item = t.item(t.list("Trip"), "Tent");
        ASSERT_TRUE(
            t.store->addNote(row.text, item.id, row.author.isEmpty() ? "" : "_me", row.author));
        std::unique_ptr<NotesThreadModel> model = open(item);
        ASSERT_EQ(model->face().rows.size(), 1);
        EXPECT_EQ(model->face().rows.first().deleteLabel.value_or("-"), row.label);
    }
}

TEST_F(NotesThreadModelTest, AnAnswerAfterTheEditorClosedOrMovedOnOnlyReachesTheStore) {
    struct Row {
        const char* what;
        bool close; // otherwise the editor shows another item
        bool refused;
    };
    const Row rows[] = {
        {"closed, added", true, false},
        {"closed, refused", true, true},
        {"another item, added", false, false},
        {"another item, refused", false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        share.answerAtOnce = false;
        share.share = NoteAuthorName::Share{named("Ann", "Lee"), std::nullopt, false};
        TBList list = t.list("Trip");
        list.hasShare = true;
        t.store->updateList(list);
        const TBItem item = t.item(list, "Tent");
        const TBItem other = t.item(list, "Stove");
        if (row.refused)
            fill(item, 100);
        std::unique_ptr<NotesThreadModel> model = open(item);
        send(*model, "Pack it dry");
        t.turn(); // the note's task now waits for the share
        if (row.close) {
            model.reset();
        } else {
            model->show({other.id, list.id});
            model->setDraft("typed for the stove");
        }
        share.answerAll();
        t.turn();
        EXPECT_EQ(noteTexts(item.id).contains("Pack it dry"), !row.refused);
        if (!row.refused) {
            EXPECT_EQ(ItemNotes::parse(t.store->findItem(item.id)->notes).last().authorName,
                      "Ann Lee");
        }
        if (model) {
            EXPECT_EQ(model->draft(), "typed for the stove");
            EXPECT_FALSE(model->message());
            EXPECT_TRUE(noteTexts(other.id).isEmpty());
        }
    }
}

} // namespace
