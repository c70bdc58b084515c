// The change marks read from the store file: a store that never synced marks every field of
// every item, and equal marks share one set instead of holding their names each.
#include "StoreTestSupport.h"

namespace {

TEST(SharedMarks, EqualMarksReadFromTheFileShareOneSetAndKeepTheirNames) {
    const FieldSet whole = ListStore::allItemFields();
    const FieldSet done{"done", "completedAt"};
    const FieldSet text{"text"};
    struct Mark {
        const char* id;
        FieldSet fields;
    };
    const QList<Mark> marks = {
        {"a", whole}, {"b", whole}, {"c", done}, {"d", whole}, {"e", done}, {"f", text}, {"g", {}},
    };
    DiskV2 disk;
    for (const Mark& mark : marks) {
        // A set of its own for each, as a store that read its marks one by one would hold.
        FieldSet own;
        for (const QString& name : mark.fields)
            own.insert(QString(name.data(), name.size()));
        disk.dirtyItems.insert(mark.id, own);
        disk.dirtyLists.insert(QString(mark.id) + "-list", own);
    }
    const DiskV2 read = DiskV2::decode(disk.encode(), Date(0));

    // Sets that share their data hold their names at the same place.
    const auto sameData = [](const FieldSet& first, const FieldSet& second) {
        return !first.isEmpty() && !second.isEmpty() && &*first.cbegin() == &*second.cbegin();
    };
    const struct {
        const char* what;
        const char* first;
        const char* second;
        bool shared;
    } pairs[] = {
        {"a and b", "a", "b", true},  {"a and d", "a", "d", true},  {"c and e", "c", "e", true},
        {"a and c", "a", "c", false}, {"c and f", "c", "f", false},
    };
    for (const QString suffix : {"", "-list"}) {
        const QMap<QString, FieldSet>& map = suffix.isEmpty() ? read.dirtyItems : read.dirtyLists;
        ASSERT_EQ(map.size(), marks.size());
        for (const Mark& mark : marks) {
            const auto found = map.constFind(mark.id + suffix);
            ASSERT_NE(found, map.cend()) << mark.id;
            EXPECT_EQ(*found, mark.fields) << mark.id;
        }
        for (const auto& pair : pairs) {
            EXPECT_EQ(
                sameData(*map.constFind(pair.first + suffix), *map.constFind(pair.second + suffix)),
                pair.shared)
                << pair.what << suffix.toStdString();
        }
    }
}

} // namespace
