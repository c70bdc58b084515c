// Names typed by people show as typed, "&" survives buttons and actions, and the accessibility
// mapping reaches Qt's interfaces.
#include "ui/components/Accessibility.h"
#include "ui/components/CardRow.h"
#include "ui/components/EmptyState.h"
#include "ui/components/PlainText.h"
#include "ui/components/TagChip.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/Theme.h"
#include "ui/theme/ThemeColour.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <tuple>

namespace {

const QString markup = QStringLiteral("<b>x</b> & y");

TEST(PlainTextTest, MarkupInANameIsShownAsTyped) {
    TextLabel label(markup, DesignFont::system(15), Theme::Colour::onSurface);
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
    EXPECT_EQ(label.text(), markup);

    EmptyState state({markup, markup, "cart", std::nullopt, nullptr});
    for (QLabel* shown : state.findChildren<QLabel*>()) {
        EXPECT_EQ(shown->textFormat(), Qt::PlainText);
        EXPECT_EQ(shown->text(), markup);
    }

    QMessageBox box;
    box.setText(markup);
    box.setInformativeText(markup);
    PlainText::apply(box);
    for (QLabel* shown : box.findChildren<QLabel*>()) {
        if (!shown->text().isEmpty()) {
            EXPECT_EQ(shown->textFormat(), Qt::PlainText);
        }
    }
    EXPECT_EQ(TagChip::text("x&y"), "#x&y");
}

TEST(PlainTextTest, AmpersandsInButtonAndActionTextsAreNotMnemonics) {
    EXPECT_EQ(PlainText::forButton("Salt & pepper"), "Salt && pepper");
    EXPECT_EQ(PlainText::forButton("&&"), "&&&&");
    QPushButton button(PlainText::forButton("Salt &pepper"));
    EXPECT_TRUE(button.shortcut().isEmpty()); // unescaped, Alt+P would press it
    QAction action(PlainText::forButton("Rename “B&Q run”…"));
    EXPECT_EQ(action.iconText(), "Rename “B&Q run”…");
}

TEST(AccessibilityTest, LabelHintValueTraitsAndNamedActionsReachQt) {
    QWidget row;
    int pinned = 0;
    Accessibility::apply(&row, {"Groceries, 3 to go",
                                "Press to open",
                                "40 %",
                                AccessibleTrait::selected,
                                {{"Pin", [&] { ++pinned; }}, {"Delete", [] {}}}});
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&row);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->text(QAccessible::Name), "Groceries, 3 to go");
    // The bus has no value text for such an element: the value is said ahead of the hint.
    EXPECT_EQ(face->text(QAccessible::Description), "40 %. Press to open");
    EXPECT_EQ(face->text(QAccessible::Value), "40 %");
    EXPECT_TRUE(face->state().selected);
    QAccessibleActionInterface* actions = face->actionInterface();
    ASSERT_NE(actions, nullptr);
    EXPECT_TRUE(actions->actionNames().contains("Pin"));
    actions->doAction("Pin");
    EXPECT_EQ(pinned, 1);

    // A new spec replaces the old one on the same interface.
    Accessibility::apply(&row, {"Work", {}, {}, AccessibleTrait::header, {}});
    face = QAccessible::queryAccessibleInterface(&row);
    EXPECT_EQ(face->text(QAccessible::Name), "Work");
    EXPECT_EQ(face->role(), QAccessible::Heading);
    EXPECT_FALSE(face->state().selected);
    EXPECT_FALSE(face->actionInterface()->actionNames().contains("Pin"));

    QWidget decoration;
    Accessibility::hide(&decoration);
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(&decoration)->state().invisible);
}

TEST(AccessibilityTest, AWidgetAskedAboutBeforeItsSpecAnswersFromTheSpec) {
    QPushButton button("x");
    QAccessible::queryAccessibleInterface(&button); // Qt's own interface, cached
    int pressed = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] { ++pressed; });
    Accessibility::apply(&button, {"Delete item", {}, {}, AccessibleTrait::button, {}});
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&button);
    EXPECT_EQ(face->text(QAccessible::Name), "Delete item");
    face->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(pressed, 1);
}

TEST(AccessibilityTest, TraitsGiveTheRoleAndStateAScreenReaderAnnounces) {
    using T = AccessibleTrait;
    const struct {
        const char* what;
        AccessibleTraits traits;
        QAccessible::Role role;
        bool checkable, checked, selected, invisible;
    } rows[] = {
        {"a button", T::button, QAccessible::Button, false, false, false, false},
        {"a toggle that is off", T::toggle, QAccessible::Button, true, false, false, false},
        {"a toggle that is on", T::toggle | T::selected, QAccessible::Button, true, true, true,
         false},
        {"a selected button, no toggle", T::button | T::selected, QAccessible::Button, false, false,
         true, false},
        {"a heading", T::header, QAccessible::Heading, false, false, false, false},
        {"a label", T::staticText, QAccessible::StaticText, false, false, false, false},
        {"a decoration", T::hidden, QAccessible::NoRole, false, false, false, true},
        {"nothing said", {}, QAccessible::Grouping, false, false, false, false},
    };
    for (const auto& row : rows) {
        const AccessibleSpec spec{"x", {}, {}, row.traits, {}};
        QWidget widget;
        widget.show();
        Accessibility::apply(&widget, spec);
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&widget);
        for (const auto& [how, role, state] :
             {std::tuple{"on a widget", face->role(), face->state()},
              std::tuple{"painted", Accessibility::roleOf(spec), Accessibility::stateOf(spec)}}) {
            EXPECT_EQ(role, row.role) << row.what << ", " << how;
            EXPECT_EQ(bool(state.checkable), row.checkable) << row.what << ", " << how;
            EXPECT_EQ(bool(state.checked), row.checked) << row.what << ", " << how;
            EXPECT_EQ(bool(state.selected), row.selected) << row.what << ", " << how;
            EXPECT_EQ(bool(state.invisible), row.invisible) << row.what << ", " << how;
        }
    }
}

TEST(AccessibilityTest, TheValueIsSaidAheadOfTheHint) {
    const struct {
        const char* what;
        QString value, hint, description;
    } rows[] = {
        {"neither", "", "", ""},
        {"a hint", "", "Press to open", "Press to open"},
        {"a value", "Groceries, 2 items", "", "Groceries, 2 items"},
        {"both", "Groceries, 2 items", "Opens it", "Groceries, 2 items. Opens it"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Accessibility::descriptionOf({"x", row.hint, row.value, {}, {}}), row.description)
            << row.what;
}

TEST(AccessibilityTest, AWidgetThatIsNoButtonIsPressedThroughItsSpec) {
    QWidget header;
    int pressed = 0;
    Accessibility::apply(&header,
                         {"Edit list details",
                          {},
                          {},
                          AccessibleTrait::button,
                          {{QAccessibleActionInterface::pressAction(), [&] { ++pressed; }}}});
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&header);
    EXPECT_EQ(face->role(), QAccessible::Button);
    EXPECT_EQ(
        face->actionInterface()->actionNames().count(QAccessibleActionInterface::pressAction()), 1);
    face->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(pressed, 1);
}

TEST(AccessibilityTest, AContainerFindsTheChildrenItIsGivenAndTheyFindIt) {
    QWidget bar;
    auto* strip = new QWidget(&bar); // passed over
    auto* first = new QPushButton("a", strip);
    auto* second = new QPushButton("b", strip);
    auto* plain = new QWidget(strip); // not given
    (void)plain;
    for (QPushButton* button : {first, second})
        Accessibility::apply(button, {button->text(), {}, {}, AccessibleTrait::toggle, {}});
    Accessibility::apply(&bar, {});
    Accessibility::setChildren(&bar, {second, first});
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&bar);
    ASSERT_EQ(face->childCount(), 2);
    EXPECT_EQ(face->child(0)->text(QAccessible::Name), "b");
    EXPECT_EQ(face->child(1)->text(QAccessible::Name), "a");
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(face->child(i)->parent(), face);
        EXPECT_EQ(face->indexOfChild(face->child(i)), i);
    }
    delete second; // a child that goes is no longer found
    EXPECT_EQ(face->childCount(), 1);
    EXPECT_EQ(face->child(0)->text(QAccessible::Name), "a");
}

TEST(ThemeSwitchTest, SwitchingTheAppearanceRepaintsTheSameWidgetsInTheOtherColours) {
    Theme::setDark(false);
    CardRow card(false, 12, new QWidget);
    card.resize(200, 60);
    card.show();
    const QPoint middle(100, 30);
    EXPECT_EQ(card.grab().toImage().pixelColor(middle), Theme::Colour::card.in(false));
    Theme::setDark(true);
    EXPECT_EQ(card.grab().toImage().pixelColor(middle), Theme::Colour::card.in(true));
    Theme::setDark(false);
}

} // namespace
