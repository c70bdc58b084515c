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
    EXPECT_EQ(face->text(QAccessible::Description), "Press to open");
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
