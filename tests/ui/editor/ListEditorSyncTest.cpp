// The list editor between two devices: an edit saved while another device renamed the list
// keeps that rename, whether the rename arrived before the save or only after it.
#include "sync/SyncTestSupport.h"

#include "ui/editor/ListEditorModel.h"

namespace synctest {
namespace {

class ListEditorSyncTest : public SyncTest {};

TEST_F(ListEditorSyncTest, AnEditSavedWhileAnotherDeviceRenamedTheListKeepsTheRename) {
    for (const bool fetchedBeforeSaving : {true, false}) {
        SCOPED_TRACE(fetchedBeforeSaving ? "rename fetched before the save"
                                         : "rename fetched after the save");
        container = cloud::Container::inMemory();
        auto a = device("deviceA");
        auto b = device("deviceB");
        const QString listID = a->store().addList("Trip").id;
        ASSERT_FALSE(a->syncNow());
        ASSERT_FALSE(b->syncNow());

        // The editor opens on A; meanwhile B renames the list.
        ListEditorModel editor(a->store(), ListEditorMode::edit(*list(a->store(), listID)));
        TBList renamed = *list(b->store(), listID);
        renamed.name = "Road trip";
        b->store().updateListFields(*list(b->store(), listID), renamed);
        ASSERT_FALSE(b->syncNow());
        if (fetchedBeforeSaving) {
            ASSERT_FALSE(a->syncNow());
            ASSERT_EQ(list(a->store(), listID)->name, "Road trip");
        }

        editor.setColourID("red");
        editor.setKind(TBListKind::ongoing);
        ASSERT_EQ(editor.save(), ListEditorModel::SaveResult::saved);
        // A save that meets the rename on the server conflicts and is sent again next pass.
        for (int pass = 0; pass < 2; ++pass) {
            ASSERT_FALSE(a->syncNow());
            ASSERT_FALSE(b->syncNow());
        }

        for (Device* d : {a.get(), b.get()}) {
            const TBList* there = list(d->store(), listID);
            ASSERT_NE(there, nullptr) << d->id().toStdString();
            EXPECT_EQ(there->name, "Road trip") << d->id().toStdString();
            EXPECT_EQ(there->colourID, "red") << d->id().toStdString();
            EXPECT_EQ(there->kind, TBListKind::ongoing) << d->id().toStdString();
        }
        EXPECT_EQ(contents(a->store()), contents(b->store()));
    }
}

} // namespace
} // namespace synctest
