// The sharing set-up sheet: when it may continue and what it keeps.
#include "PeopleTestStore.h"

#include "model/NoteAuthor.h"
#include "ui/people/SharingSetupModel.h"

#include <gtest/gtest.h>

namespace {

TEST(SharingSetupModelTest, ContinuingKeepsTheTrimmedNameOrNothing) {
    struct Row {
        const char* what;
        QString typed;
        bool continues;
        QString stored; // "Earlier" was stored before
    };
    const Row rows[] = {
        {"empty", "", false, "Earlier"},
        {"spaces", "   ", false, "Earlier"},
        {"line breaks only", "\n\r\n", false, "Earlier"},
        {"blanks and breaks", " \t\n ", false, "Earlier"},
        {"a name", "Ann", true, "Ann"},
        {"a name with blanks and a break around it", "  Ann Smith \n", true, "Ann Smith"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        MemoryDefaults defaults;
        NoteAuthor::setPreferredName(defaults, "Earlier");
        SharingSetupModel model(defaults);
        EXPECT_EQ(model.label(), "") << "the field starts empty whatever is stored";
        model.setLabel(row.typed);
        EXPECT_EQ(model.canContinue(), row.continues);
        EXPECT_EQ(model.commit(), row.continues);
        EXPECT_EQ(NoteAuthor::preferredName(defaults), row.stored);
    }
}

} // namespace
