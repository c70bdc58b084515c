// The add bar's tag chips and the filter chips by keyboard, as a screen reader finds them: each
// chip and the new-tag button is a Tab stop after the plus, Space or Return does its action,
// the proposed tag is told once on the add field, and only chips that change are renamed,
// none made again nor given the keyboard anew (the events themselves are heard on the bus, in
// the window's journey).
#include "DetailPaneTest.h"
#include "ui/components/AddItemField.h"
#include "ui/components/FocusOrder.h"
#include "ui/components/SingleLineField.h"
#include "ui/components/SymbolButton.h"
#include "ui/components/TagChip.h"
#include "ui/detail/AddItemBar.h"
#include "ui/detail/TagChipBar.h"
#include "ui/detail/TagFilterBar.h"
#include "ui/detail/TagSuggester.h"

#include <QAccessible>
#include <QApplication>
#include <QRegularExpression>

#include <utility>

namespace {

// What a screen reader would be told, seen from the widgets (offscreen Qt hands no events on):
// the controls that took the keyboard, and the chips as they are, each "name" by the widget
// that shows it. A chip made again, renamed or given the keyboard shows here.
class Watched {
public:
    Watched() {
        QObject::connect(qApp, &QApplication::focusChanged, &context_,
                         [this](QWidget*, QWidget* now) { focused_.append(now); });
    }
    QList<QWidget*> takeFocused() { return std::exchange(focused_, {}); }

private:
    QObject context_;
    QList<QWidget*> focused_;
};

QString nameOf(QWidget* widget) {
    QAccessibleInterface* element = QAccessible::queryAccessibleInterface(widget);
    return element ? element->text(QAccessible::Name) : QString();
}

class TagChipsReaderTest : public DetailPaneTest {
protected:
    // The pane of a list with dairy and bakery items, the add field focused.
    AddItemField& typingIn(const TBList& list) {
        t.item(list, "Milk #dairy");
        t.item(list, "Bread #bakery");
        open(list);
        QApplication::setActiveWindow(view.get());
        AddItemField& field = *view->addBar().field();
        field.setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        return field;
    }
    void settle() {
        model.suggester().settle();
        QCoreApplication::processEvents();
    }
    TagChipBar& chipBar() const { return *view->addBar().chipBar(); }
    // Each chip of the add bar with its accessible name, as the reader would find it.
    QList<std::pair<QWidget*, QString>> chipFaces() const {
        QList<std::pair<QWidget*, QString>> faces;
        for (TagChip* chip : chipBar().chips())
            faces.append({chip, nameOf(chip)});
        return faces;
    }
    QList<std::pair<QWidget*, QString>> filterChipFaces() const {
        QList<std::pair<QWidget*, QString>> faces;
        for (QWidget* chip : view->items().filterBar()->chipButtons())
            faces.append({chip, nameOf(chip)});
        return faces;
    }
    TagChip* chipOf(const QString& tag) const {
        for (TagChip* chip : chipBar().chips())
            if (chip->tag() == tag)
                return chip;
        return nullptr;
    }
    // Moves the keyboard on from what has it, as Tab does in the window: to the next of the
    // pane's stops that takes Tab.
    QWidget* tab() {
        const QList<QWidget*> stops = view->focusStops();
        const int at = FocusOrder::stopOf(stops, QApplication::focusWidget());
        const int to = FocusOrder::nextStop(stops, at, true);
        if (to < 0)
            return nullptr;
        FocusOrder::focus(stops.at(to), true);
        QCoreApplication::processEvents();
        return QApplication::focusWidget();
    }
    QWidget* filterChip(const QString& tag) const {
        TagFilterBar* bar = view->items().filterBar();
        const int place = bar ? bar->placeOfTag(tag) : -1;
        return place >= 0 ? bar->chipButtons().at(place) : nullptr;
    }
};

TEST_F(TagChipsReaderTest, TabReachesEachChipAndTheNewTagButtonAfterThePlusAndKeysPressThem) {
    const TBList list = t.list("Shop");
    AddItemField& field = typingIn(list);
    QTest::keyClicks(&field, "oat milk");
    settle();
    ASSERT_EQ(model.addBar().suggestion, "dairy");

    // Field, plus, the chips in their order, the new-tag button, then the list's header.
    EXPECT_EQ(tab(), view->addBar().plusButton());
    const QList<TagChip*> chips = chipBar().chips();
    ASSERT_EQ(chips.size(), 2);
    for (TagChip* chip : chips) {
        EXPECT_EQ(tab(), chip) << chip->tag().toStdString();
        // The keyboard on the bar's chips keeps the proposal.
        EXPECT_TRUE(model.state().adding) << chip->tag().toStdString();
        EXPECT_EQ(model.addBar().suggestion, "dairy") << chip->tag().toStdString();
    }
    EXPECT_EQ(tab(), chipBar().newTagButton());
    EXPECT_EQ(nameOf(chipBar().newTagButton()), "New tag");
    EXPECT_EQ(tab(), view->items().heroView());

    // Back on the proposed chip from the header: ringed, it speaks as the proposal.
    QWidget* dairy = chipOf("dairy");
    FocusOrder::focus(dairy, false);
    QCoreApplication::processEvents();
    EXPECT_TRUE(model.state().adding);
    EXPECT_TRUE(chipOf("dairy")->showsFocusRing());
    EXPECT_EQ(nameOf(dairy), "Suggested tag dairy");
    QAccessibleInterface* element = QAccessible::queryAccessibleInterface(dairy);
    EXPECT_EQ(element->text(QAccessible::Description),
              "Applied when you add the item. Press to remove.");
    EXPECT_TRUE(element->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::pressAction()));

    // Space turns the proposal down; the chip stays, with the keyboard on it.
    QTest::keyClick(dairy, Qt::Key_Space);
    settle();
    EXPECT_EQ(model.state().draft, "oat milk");
    EXPECT_EQ(model.addBar().suggestion, std::nullopt);
    EXPECT_EQ(chipOf("dairy"), dairy);
    EXPECT_TRUE(dairy->hasFocus());
    EXPECT_EQ(nameOf(dairy), "Tag with dairy");

    // Return on another chip puts its tag into the draft.
    QTest::keyClick(chipOf("bakery"), Qt::Key_Return);
    EXPECT_EQ(model.state().draft, "oat milk #bakery");
    EXPECT_EQ(nameOf(chipOf("bakery")), "Remove tag bakery");

    // The new-tag button by Space: its field takes the keyboard, Return puts the tag in and
    // hands the keyboard back to the add field.
    chipBar().newTagButton()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(chipBar().newTagButton(), Qt::Key_Space);
    QCoreApplication::processEvents();
    SingleLineField* newTag = chipBar().newTagField();
    ASSERT_TRUE(newTag->hasFocus());
    QTest::keyClicks(newTag, "chilled");
    QTest::keyClick(newTag, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(model.state().draft, "oat milk #bakery #chilled");
    EXPECT_TRUE(field.hasFocus());

    // Added with the tags chosen by keyboard, not the proposal turned down.
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(DetailTestStore::texts(t.store->items(list.id)).last(), "oat milk #bakery #chilled");
}

TEST_F(TagChipsReaderTest, TheKeyboardLeavingTheAddBarEndsAddingAndAnAddFromThePlusKeepsTheTag) {
    const TBList list = t.list("Shop");
    AddItemField& field = typingIn(list);
    QTest::keyClicks(&field, "oat milk");
    settle();
    QWidget* plus = tab();
    ASSERT_EQ(plus, view->addBar().plusButton());
    EXPECT_TRUE(model.state().adding);
    EXPECT_EQ(model.addBar().suggestion, "dairy");
    // Space on the plus adds what the reader was told: the draft with its proposed tag, and the
    // keyboard goes back to the field.
    QTest::keyClick(plus, Qt::Key_Space);
    QCoreApplication::processEvents();
    EXPECT_EQ(DetailTestStore::texts(t.store->items(list.id)).last(), "oat milk #dairy");
    EXPECT_TRUE(field.hasFocus());

    QTest::keyClicks(&field, "goat milk");
    settle();
    tab();
    tab();
    ASSERT_TRUE(chipBar().isAncestorOf(QApplication::focusWidget()));
    view->items().setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    EXPECT_FALSE(model.state().adding);
    EXPECT_EQ(model.addBar().suggestion, std::nullopt);
}

TEST_F(TagChipsReaderTest, TheProposedTagIsToldOnceAndKeystrokesTellNothingOfTheChips) {
    const TBList list = t.list("Shop");
    AddItemField& field = typingIn(list);
    // Every description the field has had, in order.
    QStringList told;
    const auto note = [&] {
        if (told.isEmpty() || told.last() != field.accessibleDescription())
            told.append(field.accessibleDescription());
    };
    note();
    QTest::keyClicks(&field, "oat milk");
    note();
    settle();
    note();
    const QString dairy = "Suggested tag dairy. Applied when you add the item.";
    EXPECT_EQ(told, QStringList({"", dairy}));
    const auto proposed = chipFaces();
    ASSERT_EQ(proposed.size(), 2);
    EXPECT_TRUE(
        proposed.contains(std::pair<QWidget*, QString>(chipOf("dairy"), "Suggested tag dairy")));

    // Typing on, the proposal stays: the chips are neither made again nor renamed, also while
    // each keystroke's proposal is worked out, and the field is told nothing new.
    for (const QChar c : QStringLiteral(" 2L")) {
        QTest::keyClicks(&field, QString(c));
        QCoreApplication::processEvents();
        note();
        EXPECT_EQ(chipFaces(), proposed) << "while worked out after " << c.toLatin1();
        settle();
        note();
        EXPECT_EQ(chipFaces(), proposed) << "once worked out after " << c.toLatin1();
    }
    EXPECT_EQ(told, QStringList({"", dairy}));

    // A draft with another proposal, or none, tells that once.
    field.clear();
    model.setDraft(QString());
    note();
    QTest::keyClicks(&field, "brown bread");
    note();
    settle();
    note();
    const QString bakery = "Suggested tag bakery. Applied when you add the item.";
    EXPECT_EQ(told, QStringList({"", dairy, "", bakery}));
    EXPECT_EQ(nameOf(chipOf("bakery")), "Suggested tag bakery");
    model.pressChip("bakery");
    note();
    EXPECT_EQ(told, QStringList({"", dairy, "", bakery, ""}));
}

// With the keyboard on a filter chip, what changes the chips (a tag that comes from an add
// elsewhere, Space on the chip, the last item of another tag going) tells only the chips that
// changed, and never moves the keyboard; only when its own chip goes does it move, once.
TEST_F(TagChipsReaderTest, FilterChipsThatStayAreNotMadeAgainNorRefocused) {
    const TBList list = t.list("Shop");
    t.item(list, "Milk #dairy");
    const TBItem bread = t.item(list, "Bread #bakery");
    open(list);
    QApplication::setActiveWindow(view.get());
    QWidget* dairy = filterChip("dairy");
    ASSERT_NE(dairy, nullptr);
    dairy->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    Watched watched;
    const auto refresh = [&] {
        model.refreshNow();
        QCoreApplication::processEvents();
    };

    // A tag that comes: one chip more, the others as they were, the keyboard left alone.
    auto before = filterChipFaces();
    t.item(list, "Apples #fruit");
    refresh();
    auto after = filterChipFaces();
    ASSERT_EQ(after.size(), before.size() + 1);
    EXPECT_EQ(after.mid(0, before.size()), before);
    EXPECT_EQ(after.last().second, "Filter by fruit");
    EXPECT_TRUE(dairy->hasFocus());
    EXPECT_EQ(watched.takeFocused(), QList<QWidget*>());

    // Space on the chip: only it changes, and keeps the keyboard and its ring.
    before = filterChipFaces();
    QTest::keyClick(dairy, Qt::Key_Space);
    refresh();
    after = filterChipFaces();
    ASSERT_EQ(after.size(), before.size());
    for (int i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after.at(i).first, before.at(i).first) << i;
        if (after.at(i).first != dairy) {
            EXPECT_EQ(after.at(i).second, before.at(i).second) << i;
        }
    }
    EXPECT_EQ(nameOf(dairy), "Stop filtering by dairy");
    EXPECT_TRUE(dairy->hasFocus());
    EXPECT_TRUE(static_cast<TagChip*>(dairy)->showsFocusRing());
    EXPECT_EQ(watched.takeFocused(), QList<QWidget*>());

    // The last item of another tag goes: its chip goes, the others stay as they were.
    before = filterChipFaces();
    t.store->deleteItem(bread.id);
    refresh();
    after = filterChipFaces();
    before.removeIf([](const auto& face) { return face.second == "Filter by bakery"; });
    EXPECT_EQ(after, before);
    EXPECT_TRUE(dairy->hasFocus());
    EXPECT_EQ(watched.takeFocused(), QList<QWidget*>());

    // Its own chip going: the keyboard goes to the chip that took its place, once.
    QTest::keyClick(dairy, Qt::Key_Space); // the filter off, so its items show
    refresh();
    watched.takeFocused();
    for (const TBItem& item : t.store->items(list.id))
        if (item.text.contains("#dairy"))
            t.store->deleteItem(item.id);
    refresh();
    EXPECT_EQ(QApplication::focusWidget(), filterChip("fruit"));
    EXPECT_EQ(watched.takeFocused(), QList<QWidget*>({filterChip("fruit")}));
}

} // namespace
