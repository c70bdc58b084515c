#include "lists/ListsTestSupport.h"

#include "ui/editor/ListEditorModel.h"
#include "ui/editor/ListIcon.h"

#include <QHash>
#include <QSet>
#include <QSignalSpy>

#include <functional>

namespace {

using ListType = TagSuggestions::ListType;
using Stage = StarterTagOffer::Stage;

class ListEditor : public ListsTest {
protected:
    std::unique_ptr<ListEditorModel> create() {
        return std::make_unique<ListEditorModel>(*store, ListEditorMode::create());
    }
    std::unique_ptr<ListEditorModel> edit(const QString& listID) {
        return std::make_unique<ListEditorModel>(*store,
                                                 ListEditorMode::edit(*store->findList(listID)));
    }
    // The list as if its last save had reached the cloud: no marks left.
    void settleMarks(const QString& listID) {
        store->confirmListSaved(*store->findList(listID), {});
        if (store->dirtyFilings().contains(listID))
            store->confirmFilingSaved(listID, store->collection(listID).value_or(""), {});
        ASSERT_FALSE(store->dirtyLists().contains(listID));
    }
    const TBList& only() {
        EXPECT_EQ(store->lists().size(), 1);
        return store->lists().first();
    }
    QStringList marks(const QString& listID) {
        QStringList names = store->dirtyLists().value(listID).values();
        names.sort();
        return names;
    }
};

// Counts what a save tells the rest of the program: store announcements and settings writes.
struct Writes {
    Writes(ListStore& store, Defaults& defaults)
        : announced(&store, &ListStore::changed), settings(&defaults, &Defaults::changed) {}
    QSignalSpy announced;
    QSignalSpy settings;
};

TEST_F(ListEditor, ANewListStartsEmptyAsAOneOffChecklistOnBlue) {
    auto editor = create();
    EXPECT_EQ(editor->title(), "New list");
    EXPECT_EQ(editor->confirmTitle(), "Create");
    EXPECT_EQ(editor->confirmAccessibilityLabel(), "Create list");
    EXPECT_FALSE(editor->canConfirm());
    EXPECT_EQ(editor->headingName(), "New list");
    EXPECT_EQ(editor->kindCaption(), "ONE-OFF");
    EXPECT_EQ(editor->headingAccessibilityLabel(), "Preview: New list, One-off");
    EXPECT_TRUE(editor->showsDueSection());
    EXPECT_FALSE(editor->showsRetentionSection());
    EXPECT_FALSE(editor->showsTagSection());
    EXPECT_FALSE(editor->hasDueDate());
    EXPECT_EQ(editor->dueDate(), clock.now().addingSeconds(7 * 86400));
    EXPECT_EQ(editor->retentionValue(), "Always");
    EXPECT_EQ(editor->groupValue(), "None");
    EXPECT_EQ(editor->groupAccessibilityLabel(), "Group: None");

    QStringList selectedIcons;
    for (const auto& group : editor->iconGroups())
        for (const auto& cell : group.cells)
            if (cell.selected)
                selectedIcons.append(group.title + "/" + cell.symbol);
    EXPECT_EQ(selectedIcons, QStringList{"EVERYDAY/checklist"});
    QStringList selectedColours;
    for (const auto& cell : editor->colourCells())
        if (cell.selected)
            selectedColours.append(cell.colour.name);
    EXPECT_EQ(selectedColours, QStringList{"Blue"});

    const auto rows = editor->kindRows();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].accessibilityLabel,
              "One-off. You finish it once. Shows how far along you are.");
    EXPECT_TRUE(rows[0].selected);
    EXPECT_FALSE(rows[1].selected);
}

TEST_F(ListEditor, ANameOfOnlyBlanksOrLineBreaksCannotBeConfirmed) {
    const struct {
        const char* what;
        const char* name;
        bool canConfirm;
        const char* heading;
    } cases[] = {
        {"nothing", "", false, "New list"},
        {"spaces and tabs", "  \t ", false, "New list"},
        {"a line break", "\n", false, "New list"},
        {"line breaks of every kind", "\r\n\u2028", false, "New list"},
        {"a name with blanks around it", "  Groceries \t", true, "Groceries"},
    };
    for (const auto& c : cases) {
        auto editor = create();
        editor->setName(QString::fromUtf8(c.name));
        EXPECT_EQ(editor->canConfirm(), c.canConfirm) << c.what;
        EXPECT_EQ(editor->headingName(), c.heading) << c.what;
        EXPECT_EQ(editor->save() == ListEditorModel::SaveResult::refused, !c.canConfirm) << c.what;
    }
    // Only the named list was made.
    ASSERT_EQ(store->lists().size(), 1);
    EXPECT_EQ(store->lists().first().name, "Groceries");
}

TEST_F(ListEditor, AnEditedListLoadsItsValuesGroupAndReminder) {
    const TBList list = makeList("Trip", [&](TBList& l) {
        l.icon = "tent";
        l.colourID = "green";
        l.dueDate = clock.now().addingSeconds(3600);
    });
    store->setCollection(QString("Holidays"), list.id);
    defaults().setBool("reminder." + list.id, true);

    auto editor = edit(list.id);
    EXPECT_EQ(editor->title(), "Edit list");
    EXPECT_EQ(editor->confirmAccessibilityLabel(), "Save list");
    EXPECT_EQ(editor->name(), "Trip");
    EXPECT_EQ(editor->icon(), "tent");
    EXPECT_EQ(editor->colourID(), "green");
    EXPECT_TRUE(editor->hasDueDate());
    EXPECT_EQ(editor->dueDate(), clock.now().addingSeconds(3600));
    EXPECT_EQ(editor->groupValue(), "Holidays");
    EXPECT_TRUE(editor->wantsReminder());
    // Ongoing switches the due date off, so the reminder goes too.
    editor->setKind(TBListKind::ongoing);
    EXPECT_FALSE(editor->hasDueDate());
    EXPECT_FALSE(editor->wantsReminder());
    EXPECT_TRUE(editor->showsRetentionSection());

    const TBList odd = makeList("Odd", [](TBList& l) {
        l.completedRetentionRaw = "75";
        l.colourID = "mauve";
        l.icon = "rocket";
    });
    auto oddEditor = edit(odd.id);
    EXPECT_EQ(oddEditor->retention(), CompletedRetention::all);
    EXPECT_EQ(oddEditor->iconColour().id, "blue");
    for (const auto& cell : oddEditor->colourCells())
        EXPECT_FALSE(cell.selected) << cell.colour.id.toStdString();
}

TEST_F(ListEditor, TheStarterTagOfferFollowsTheNameAndIcon) {
    const QStringList shopping = TagSuggestions::starterTags(ListType::shopping);
    QStringList noMeat = shopping;
    noMeat.removeAll("meat");
    using Step = std::function<void(ListEditorModel&)>;
    const auto name = [](const char* n) { return Step([n](ListEditorModel& e) { e.setName(n); }); };
    const auto icon = [](const char* s) { return Step([s](ListEditorModel& e) { e.setIcon(s); }); };
    const auto choose = [](ListType t) {
        return Step([t](ListEditorModel& e) { e.chooseTagType(t); });
    };
    const auto remove = [](const char* t) {
        return Step([t](ListEditorModel& e) { e.removeOfferedTag(t); });
    };
    const auto add = [](const char* t) {
        return Step([t](ListEditorModel& e) { e.confirmNewTag(t); });
    };
    const Step decline = [](ListEditorModel& e) { e.declineTags(); };
    const Step undo = [](ListEditorModel& e) { e.undoDeclineTags(); };

    const struct {
        const char* what;
        QList<Step> steps;
        Stage stage;
        std::optional<ListType> chosen;
        QStringList tags;
    } cases[] = {
        {"a plain name offers nothing", {name("Birthday")}, Stage::hidden, {}, {}},
        {"a shop's name offers the shopping tags",
         {name("Aldi run")},
         Stage::offering,
         ListType::shopping,
         shopping},
        {"the cart icon offers them too",
         {icon("cart")},
         Stage::offering,
         ListType::shopping,
         shopping},
        {"more typing keeps the user's edits",
         {name("Coles"), remove("meat"), add("snacks"), name("Coles Friday")},
         Stage::offering,
         ListType::shopping,
         noMeat + QStringList{"snacks"}},
        {"deleting the word empties the offer", {name("Coles"), name("")}, Stage::hidden, {}, {}},
        {"the hammer asks which kind", {icon("hammer")}, Stage::choosing, {}, {}},
        {"choosing a kind offers its tags",
         {icon("hammer"), choose(ListType::renovation)},
         Stage::offering,
         ListType::renovation,
         {"demolition", "materials", "paint", "fittings", "hire"}},
        {"a cart after a chosen hardware run offers shopping",
         {icon("hammer"), choose(ListType::hardware), icon("cart")},
         Stage::offering,
         ListType::shopping,
         shopping},
        {"an icon that recognises nothing clears the choice",
         {icon("hammer"), choose(ListType::project), icon("book")},
         Stage::hidden,
         {},
         {}},
        {"declining keeps the choice through later edits",
         {name("Coles"), remove("meat"), decline, name("Coles Friday"), icon("hammer")},
         Stage::declined,
         ListType::shopping,
         noMeat},
        {"undo with one kind refills fresh tags",
         {name("Coles"), remove("meat"), decline, undo},
         Stage::offering,
         ListType::shopping,
         shopping},
        {"undo with several kinds and none chosen asks again",
         {icon("hammer"), decline, undo},
         Stage::choosing,
         {},
         {}},
        {"undo with several kinds keeps the earlier choice and its tags",
         {icon("hammer"), choose(ListType::project), remove("tools"), decline, undo},
         Stage::offering,
         ListType::project,
         {"planning", "materials", "finishing"}},
        {"a tag added twice is there once, at the end",
         {name("Coles"), add("snacks"), add("#snacks")},
         Stage::offering,
         ListType::shopping,
         shopping + QStringList{"snacks"}},
        {"a typed text that makes no tag adds nothing",
         {name("Coles"), add("#!?")},
         Stage::offering,
         ListType::shopping,
         shopping},
        {"removing every tag leaves the offer open",
         {icon("hammer"), choose(ListType::project), remove("planning"), remove("materials"),
          remove("tools"), remove("finishing")},
         Stage::offering,
         ListType::project,
         {}},
    };
    for (const auto& c : cases) {
        auto editor = create();
        for (const Step& step : c.steps)
            step(*editor);
        EXPECT_EQ(editor->tagOffer().stage(), c.stage) << c.what;
        EXPECT_EQ(editor->tagOffer().chosen(), c.chosen) << c.what;
        EXPECT_EQ(editor->tagOffer().tags(), c.tags) << c.what;
        EXPECT_EQ(editor->showsTagSection(), c.stage != Stage::hidden) << c.what;
    }
}

TEST_F(ListEditor, TheOfferSpeaksOfTheChosenKind) {
    auto editor = create();
    editor->setIcon("hammer");
    EXPECT_EQ(editor->recognisedTypes(),
              (QList<ListType>{ListType::hardware, ListType::renovation, ListType::project}));
    EXPECT_EQ(ListEditorModel::kindButtonAccessibilityLabel(ListType::hardware),
              "Hardware run list");
    editor->chooseTagType(ListType::hardware);
    EXPECT_EQ(editor->offerSentence(),
              "Looks like a hardware run list \u2014 start it with these tags?");
    EXPECT_EQ(ListEditorModel::removeTagAccessibilityLabel("paint"), "Remove tag paint");
}

TEST_F(ListEditor, AnEditedListNeverOffersTags) {
    const TBList list = makeList("Groceries", [](TBList& l) { l.icon = "cart"; });
    auto editor = edit(list.id);
    editor->setName("Coles groceries");
    editor->setIcon("hammer");
    EXPECT_TRUE(editor->recognisedTypes().isEmpty());
    EXPECT_EQ(editor->tagOffer().stage(), Stage::hidden);
}

TEST_F(ListEditor, CreatingWithEveryDefaultMakesAPlainOneOffList) {
    auto editor = create();
    editor->setName(" Birthday ");
    Writes writes(*store, defaults());
    EXPECT_EQ(editor->save(), ListEditorModel::SaveResult::saved);

    const TBList& list = only();
    EXPECT_EQ(editor->createdListID(), list.id);
    EXPECT_EQ(list.name, "Birthday");
    EXPECT_EQ(list.icon, "checklist");
    EXPECT_EQ(list.colourID, "blue");
    EXPECT_EQ(list.kind, TBListKind::oneOff);
    EXPECT_FALSE(list.dueDate);
    EXPECT_FALSE(list.completedRetentionRaw);
    EXPECT_FALSE(store->collection(list.id));
    EXPECT_EQ(defaults().boolValue("reminder." + list.id), false);
    EXPECT_FALSE(defaults().contains("tagsDeclined." + list.id));
    EXPECT_FALSE(defaults().contains("starterTags." + list.id));
    // One announcement for the whole new list.
    EXPECT_EQ(writes.announced.count(), 1);
}

TEST_F(ListEditor, CreatingKeepsEveryChoice) {
    const struct {
        const char* what;
        std::function<void(ListEditorModel&)> arrange;
        std::function<void(const TBList&)> check;
    } cases[] = {
        {"an ongoing list keeps its retention and group",
         [](ListEditorModel& e) {
             e.setName("Pantry");
             e.setKind(TBListKind::ongoing);
             e.setRetention(CompletedRetention::keep50);
             e.setIcon("house");
             e.setColourID("teal");
             e.confirmNewGroup("  Home \n");
         },
         [&](const TBList& l) {
             EXPECT_EQ(l.kind, TBListKind::ongoing);
             EXPECT_EQ(l.completedRetentionRaw, "50");
             EXPECT_EQ(l.icon, "house");
             EXPECT_EQ(l.colourID, "teal");
             EXPECT_EQ(store->collection(l.id), "Home");
             EXPECT_FALSE(l.dueDate);
         }},
        {"a due date switched on keeps the preset of when the editor opened",
         [&](ListEditorModel& e) {
             e.setName("Tax return");
             clock.advance(3600);
             e.setHasDueDate(true);
         },
         [&](const TBList& l) { EXPECT_EQ(l.dueDate, berlinTime(2025, 3, 17, 11, 0)); }},
        {"an ongoing list keeps no due date",
         [](ListEditorModel& e) {
             e.setName("Chores");
             e.setHasDueDate(true);
             e.setKind(TBListKind::ongoing);
             e.setHasDueDate(true);
         },
         [](const TBList& l) { EXPECT_FALSE(l.dueDate); }},
        {"a retention chosen while ongoing is not kept by a one-off list",
         [](ListEditorModel& e) {
             e.setName("Move house");
             e.setKind(TBListKind::ongoing);
             e.setRetention(CompletedRetention::never);
             e.setKind(TBListKind::oneOff);
         },
         [](const TBList& l) { EXPECT_FALSE(l.completedRetentionRaw); }},
        {"the starter tags left are kept in order",
         [](ListEditorModel& e) {
             e.setName("Coles");
             e.removeOfferedTag("produce");
             e.confirmNewTag("snacks");
         },
         [&](const TBList& l) {
             EXPECT_EQ(defaults().stringList("starterTags." + l.id),
                       QStringList({"bakery", "dairy", "meat", "freezer", "pantry", "drinks",
                                    "household", "snacks"}));
             EXPECT_FALSE(defaults().contains("tagsDeclined." + l.id));
         }},
        {"declined tags are remembered and no starter tags kept",
         [](ListEditorModel& e) {
             e.setName("Coles");
             e.declineTags();
         },
         [&](const TBList& l) {
             EXPECT_EQ(defaults().boolValue("tagsDeclined." + l.id), true);
             EXPECT_FALSE(defaults().contains("starterTags." + l.id));
         }},
        {"an offer emptied by the user keeps no starter tags",
         [](ListEditorModel& e) {
             e.setName("Workshop");
             e.setIcon("hammer");
             e.chooseTagType(ListType::project);
             for (const QString& tag : TagSuggestions::starterTags(ListType::project))
                 e.removeOfferedTag(tag);
         },
         [&](const TBList& l) {
             EXPECT_FALSE(defaults().contains("starterTags." + l.id));
             EXPECT_FALSE(defaults().contains("tagsDeclined." + l.id));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        startAfresh();
        auto editor = create();
        c.arrange(*editor);
        ASSERT_EQ(editor->save(), ListEditorModel::SaveResult::saved);
        c.check(only());
    }
}

TEST_F(ListEditor, SavingAnEditWithoutAChangeWritesNothing) {
    const TBList list = makeList(" Trip ", [&](TBList& l) {
        l.kind = TBListKind::ongoing;
        l.dueDate = clock.now(); // arrived from another device: an ongoing list shows none
        l.completedRetentionRaw = "75";
    });
    store->setCollection(QString("Holidays"), list.id);
    defaults().setBool("reminder." + list.id, true);
    settleMarks(list.id);
    const TBList before = *store->findList(list.id);

    auto editor = edit(list.id);
    Writes writes(*store, defaults());
    EXPECT_EQ(editor->save(), ListEditorModel::SaveResult::saved);
    EXPECT_EQ(*store->findList(list.id), before);
    EXPECT_EQ(writes.announced.count(), 0);
    EXPECT_EQ(writes.settings.count(), 0);
    EXPECT_TRUE(store->dirtyLists().isEmpty());
    EXPECT_TRUE(store->dirtyFilings().isEmpty());
}

TEST_F(ListEditor, SavingAnEditTakesOnlyWhatTheUserChanged) {
    const struct {
        const char* what;
        std::function<void(ListEditorModel&)> edit;
        QStringList marks;
        std::function<void(const TBList&)> check;
    } cases[] = {
        {"a new name",
         [](ListEditorModel& e) { e.setName("Road trip"); },
         {"name"},
         [](const TBList& l) { EXPECT_EQ(l.name, "Road trip"); }},
        {"a due date",
         [](ListEditorModel& e) { e.setHasDueDate(true); },
         {"dueDate"},
         [&](const TBList& l) { EXPECT_EQ(l.dueDate, clock.now().addingSeconds(7 * 86400)); }},
        {"ongoing with a retention",
         [](ListEditorModel& e) {
             e.setKind(TBListKind::ongoing);
             e.setRetention(CompletedRetention::keep200);
         },
         {"completedRetention", "kind"},
         [](const TBList& l) { EXPECT_EQ(l.completedRetentionRaw, "200"); }},
        {"a retention picked, then back to one-off",
         [](ListEditorModel& e) {
             e.setKind(TBListKind::ongoing);
             e.setRetention(CompletedRetention::never);
             e.setKind(TBListKind::oneOff);
         },
         {},
         [](const TBList& l) { EXPECT_FALSE(l.completedRetentionRaw); }},
        {"an icon and a colour",
         [](ListEditorModel& e) {
             e.setIcon("car");
             e.setColourID("red");
         },
         {"colour", "icon"},
         [](const TBList& l) { EXPECT_EQ(l.colourID, "red"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        startAfresh();
        const TBList list = makeList("Trip");
        settleMarks(list.id);
        auto editor = edit(list.id);
        // Another device renames the list and recolours it meanwhile.
        TBList theirs = list;
        theirs.colourID = "green";
        theirs.name = "Their trip";
        store->applyServerList(theirs, {});
        c.edit(*editor);
        ASSERT_EQ(editor->save(), ListEditorModel::SaveResult::saved);
        const TBList& saved = *store->findList(list.id);
        c.check(saved);
        if (!c.marks.contains("name")) {
            EXPECT_EQ(saved.name, "Their trip");
        }
        if (!c.marks.contains("colour")) {
            EXPECT_EQ(saved.colourID, "green");
        }
        EXPECT_EQ(marks(list.id), c.marks);
        EXPECT_TRUE(store->dirtyFilings().isEmpty()) << "the group did not change";
    }
}

TEST_F(ListEditor, TheGroupIsFiledOnlyWhenItChanged) {
    const TBList list = makeList("Trip");
    store->setCollection(QString("Holidays"), list.id);
    store->setCollection(QString("Work"), makeList("Reports").id);
    settleMarks(list.id);

    auto editor = edit(list.id);
    EXPECT_EQ(editor->groupNames(), (QStringList{"Holidays", "Work"}));
    editor->setCollection(QString("Work"));
    editor->setCollection(QString("Holidays")); // and back
    editor->save();
    EXPECT_FALSE(store->dirtyFilings().contains(list.id));

    auto again = edit(list.id);
    again->setCollection(std::nullopt);
    again->save();
    EXPECT_FALSE(store->collection(list.id));
    EXPECT_TRUE(store->dirtyFilings().contains(list.id));
}

TEST_F(ListEditor, AListDeletedWhileOpenIsNotBroughtBack) {
    const TBList list = makeList("Trip");
    auto editor = edit(list.id);
    QSignalSpy gone(editor.get(), &ListEditorModel::listGone);
    editor->setName("Road trip");
    editor->setCollection(QString("Holidays"));
    editor->setHasDueDate(true);
    store->deleteList(list.id);
    EXPECT_EQ(gone.count(), 1);

    Writes writes(*store, defaults());
    EXPECT_EQ(editor->save(), ListEditorModel::SaveResult::gone);
    EXPECT_TRUE(store->lists().isEmpty());
    EXPECT_FALSE(store->collection(list.id));
    EXPECT_FALSE(store->dirtyFilings().contains(list.id));
    EXPECT_FALSE(store->dirtyLists().contains(list.id));
    EXPECT_FALSE(defaults().contains("reminder." + list.id));
    EXPECT_EQ(writes.announced.count(), 0);
}

TEST_F(ListEditor, OnlyListsThatMayBeEditedHereOpen) {
    const TBList own = makeList("Mine");
    const TBList theirs = makeList("Theirs", [](TBList& l) {
        l.zoneOwnerName = "_sam";
        l.sharePermission = TBSharePermission::readOnly;
    });
    const TBList writable = makeList("Shared", [](TBList& l) {
        l.zoneOwnerName = "_sam";
        l.sharePermission = TBSharePermission::readWrite;
    });
    EXPECT_TRUE(ListEditorModel::canOpen(*store, ListEditorMode::create()));
    EXPECT_TRUE(ListEditorModel::canOpen(*store, ListEditorMode::edit(own)));
    EXPECT_FALSE(ListEditorModel::canOpen(*store, ListEditorMode::edit(theirs)));
    EXPECT_TRUE(ListEditorModel::canOpen(*store, ListEditorMode::edit(writable)));
    TBList deleted = own;
    deleted.id = "no-such-list";
    EXPECT_FALSE(ListEditorModel::canOpen(*store, ListEditorMode::edit(deleted)));
}

TEST_F(ListEditor, AListThatTurnedReadOnlyKeepsItsFieldsAndSaysSo) {
    const TBList list = makeList("Shared", [&](TBList& l) {
        l.zoneOwnerName = "_sam";
        l.sharePermission = TBSharePermission::readWrite;
        l.dueDate = clock.now();
    });
    defaults().setBool("reminder." + list.id, true);
    settleMarks(list.id);
    auto editor = edit(list.id);
    editor->setName("Mine now");
    editor->setKind(TBListKind::ongoing);
    editor->setCollection(QString("Friends"));
    QSignalSpy turned(editor.get(), &ListEditorModel::listTurnedViewOnly);
    EXPECT_FALSE(editor->isViewOnlyNow());
    store->applySharePermission(list.id, TBSharePermission::readOnly);
    makeList("Other"); // a later change says nothing more
    EXPECT_EQ(turned.count(), 1);
    EXPECT_TRUE(editor->isViewOnlyNow());
    const TBList before = *store->findList(list.id);

    EXPECT_EQ(editor->save(), ListEditorModel::SaveResult::viewOnly);
    EXPECT_EQ(editor->viewOnlyMessage(),
              "Shared is view only now, so your changes were not saved.");
    EXPECT_EQ(*store->findList(list.id), before);
    EXPECT_FALSE(store->dirtyLists().contains(list.id));
    EXPECT_EQ(defaults().boolValue("reminder." + list.id), true);
    EXPECT_FALSE(store->collection(list.id)) << "nothing of the edit is kept";
}

TEST_F(ListEditor, TheReminderFlagFollowsTheKindAndDueDate) {
    const TBList list = makeList("Tax", [&](TBList& l) { l.dueDate = clock.now(); });
    defaults().setBool("reminder." + list.id, true);
    auto editor = edit(list.id);
    editor->setKind(TBListKind::ongoing);
    editor->save();
    EXPECT_EQ(defaults().boolValue("reminder." + list.id), false);
    EXPECT_FALSE(store->findList(list.id)->dueDate);
}

TEST_F(ListEditor, TheMenusAndPromptsSayWhatIsChosen) {
    auto editor = create();
    editor->setKind(TBListKind::ongoing);
    editor->setRetention(CompletedRetention::keep100);
    QStringList checked;
    QStringList titles;
    for (const auto& entry : editor->retentionEntries()) {
        titles.append(entry.title);
        if (entry.checked)
            checked.append(entry.title);
    }
    EXPECT_EQ(titles, (QStringList{"Never", "Last 50", "Last 100", "Last 200", "Always"}));
    EXPECT_EQ(checked, QStringList{"Last 100"});
    EXPECT_EQ(editor->retentionAccessibilityLabel(), "Keep completed items: Last 100");
    EXPECT_TRUE(editor->groupNames().isEmpty());

    NamePromptModel group = ListEditorModel::newGroupPrompt();
    EXPECT_EQ(group.title(), "New group");
    EXPECT_EQ(group.placeholder(), "Name, such as Home");
    EXPECT_EQ(group.confirmTitle(), "Create");
    editor->confirmNewGroup(" \n ");
    EXPECT_EQ(editor->groupValue(), "None");
    editor->confirmNewGroup("  Home  ");
    EXPECT_EQ(editor->groupValue(), "Home");
    EXPECT_EQ(ListEditorModel::newGroupTitle(), "New group\u2026");

    NamePromptModel tag = ListEditorModel::newTagPrompt();
    EXPECT_EQ(tag.title(), "New tag");
    EXPECT_EQ(tag.placeholder(), "Name, such as snacks");
    EXPECT_EQ(tag.confirmTitle(), "Add");
}

// Every icon the editor offers is named as a person would say it, never by its symbol's name; a
// symbol from outside the catalogue (a newer device's) still reads as its words.
TEST_F(ListEditor, IconsReadAsWordsToAScreenReader) {
    const QHash<QString, QString> spoken = {
        {"checklist", "Checklist"},
        {"cart", "Shopping cart"},
        {"fork.knife", "Fork and knife"},
        {"house", "House"},
        {"washer", "Washing machine"},
        {"pawprint", "Paw print"},
        {"briefcase", "Briefcase"},
        {"laptopcomputer", "Laptop"},
        {"calendar", "Calendar"},
        {"chart.bar", "Bar chart"},
        {"envelope", "Envelope"},
        {"airplane", "Plane"},
        {"car", "Car"},
        {"map", "Map"},
        {"tent", "Tent"},
        {"beach.umbrella", "Beach umbrella"},
        {"heart", "Heart"},
        {"dumbbell", "Dumbbell"},
        {"book", "Book"},
        {"gift", "Gift"},
        {"birthday.cake", "Birthday cake"},
        {"graduationcap", "Graduation cap"},
        {"stethoscope", "Stethoscope"},
        {"hammer", "Hammer"},
        {"leaf", "Leaf"},
        {"music.note", "Music note"},
    };
    const auto editor = create();
    QSet<QString> offered;
    QSet<QString> names;
    for (const auto& group : editor->iconGroups()) {
        for (const auto& cell : group.cells) {
            SCOPED_TRACE(cell.symbol.toStdString());
            offered.insert(cell.symbol);
            EXPECT_EQ(cell.accessibilityLabel, spoken.value(cell.symbol, "(no name)"));
            EXPECT_EQ(ListIcon::accessibilityLabel(cell.symbol), cell.accessibilityLabel);
            names.insert(cell.accessibilityLabel);
        }
    }
    EXPECT_EQ(offered.size(), spoken.size()) << "every icon offered, each once";
    EXPECT_EQ(names.size(), offered.size()) << "no two icons share a name";

    const struct {
        const char* symbol;
        const char* label;
    } unknown[] = {
        {"sparkles.rectangle", "sparkles rectangle"},
        {"a.fill.b", "a  b"},
        {"heart.fill", "heart"},
    };
    for (const auto& c : unknown)
        EXPECT_EQ(ListIcon::accessibilityLabel(c.symbol), c.label) << c.symbol;
}

} // namespace
