// The focus ring, as a keyboard-only user sees it: every ring stands out at least 3:1 from what
// it is drawn next to, in the light and the dark look; a sheet opening with the keyboard on its
// first control rings it; the selected segment of a picker is ringed; a text field without a
// border of its own is ringed while it has the focus.
#include "support/Contrast.h"
#include "ui/components/AddItemField.h"
#include "ui/components/BrandHeader.h"
#include "ui/components/NoteField.h"
#include "ui/components/PrimaryButton.h"
#include "ui/components/SegmentedPicker.h"
#include "ui/components/SettingsHeaderBar.h"
#include "ui/components/SheetDialog.h"
#include "ui/components/SingleLineField.h"
#include "ui/components/TagChip.h"
#include "ui/components/TextButton.h"
#include "ui/components/TextFieldRing.h"
#include "ui/editor/PaletteCell.h"
#include "ui/item/ItemNameField.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/Theme.h"
#include "ui/theme/ThemeColour.h"

#include <QApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

namespace {

// Light, then dark; the light look again afterwards.
struct Looks {
    ~Looks() { Theme::setDark(false); }
    static constexpr bool dark[] = {false, true};
};

const char* lookName(bool dark) {
    return dark ? "dark" : "light";
}

std::string named(const QColor& colour) {
    return colour.name().toStdString();
}

// The rings the theme draws, each with the colours it is drawn on or next to.
TEST(FocusRingContrastTest, TheThemesRingsStandOutFromEveryGroundTheyAreDrawnOn) {
    using namespace Theme::Colour;
    const struct {
        const char* what;
        DynamicColour ring;
        DynamicColour ground;
    } rows[] = {
        {"the usual ring on the window's background", primary, background},
        {"the usual ring on a card", primary, card},
        {"the usual ring on a muted card", primary, cardMuted},
        {"the usual ring on a chip (a segmented picker)", primary, chip},
        {"the usual ring on the sidebar", primary, sidebarSurface},
        {"the usual ring on the lists page", primary, listsPageSurface},
        {"the usual ring on an input field's capsule", primary, inputField},
        {"the ring on the brand bar (the gear, Done)", onBrand, brand},
    };
    for (const auto& row : rows) {
        for (bool dark : Looks::dark) {
            SCOPED_TRACE(std::string(row.what) + ", " + lookName(dark));
            EXPECT_GE(Contrast::ratio(row.ring.in(dark), row.ground.in(dark)), 3.0);
        }
    }
}

// A shown, active window on the theme's background holding `content` with room around it.
class Ground : public QWidget {
public:
    explicit Ground(DynamicColour colour = Theme::Colour::background) : colour_(colour) {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(16, 16, 16, 16);
    }
    void hold(QWidget* content) {
        layout()->addWidget(content);
        resize(420, qMax(120, sizeHint().height()));
        show();
        QApplication::setActiveWindow(this);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), colour_.resolved()); }

private:
    DynamicColour colour_;
};

// The colours met going down across the top of `control`'s ring at its middle: the ground
// outside it, the ring, and what lies inside it (the face, or the band around a filled face).
struct Across {
    QColor outside;
    std::optional<QColor> ring;
    std::optional<QColor> inside;
};

// Apart by more than antialiasing's shading at a curve.
bool differ(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue()) >
           24;
}

Across across(QWidget* control) {
    QWidget* window = control->window();
    const QImage image = window->grab().toImage();
    const QPoint top = control->mapTo(window, QPoint(control->width() / 2, 0));
    Across seen{image.pixelColor(top + QPoint(0, -3)), {}, {}};
    for (int y = -2; y < 8 && !seen.inside; ++y) {
        const QColor here = image.pixelColor(top + QPoint(0, y));
        if (!seen.ring && differ(here, seen.outside))
            seen.ring = here;
        else if (seen.ring && differ(here, *seen.ring))
            seen.inside = here;
    }
    return seen;
}

// Painted buttons on the grounds they stand on, focused by the keyboard: the ring's own pixels
// stand out from the ground outside them and from the face (or the band) inside them.
TEST(FocusRingContrastTest, AFocusedButtonsRingStandsOutOnBothSides) {
    using Make = std::function<PaintedButton*(Ground&)>;
    const auto child = [](QWidget* parent, int index) {
        return parent->findChildren<PaintedButton*>().value(index);
    };
    const struct {
        const char* what;
        Make make;
    } rows[] = {
        {"Done on the settings bar",
         [](Ground& ground) {
             auto* bar = new SettingsHeaderBar;
             ground.hold(bar);
             return bar->findChild<PaintedButton*>();
         }},
        {"the gear on the brand bar",
         [](Ground& ground) {
             auto* bar = new BrandHeader;
             ground.hold(bar);
             return static_cast<PaintedButton*>(bar->settingsButton());
         }},
        {"the selected segment",
         [child](Ground& ground) {
             auto* picker = new SegmentedPicker({"System", "Light", "Dark"}, 1);
             ground.hold(picker);
             return child(picker, 1);
         }},
        {"a segment not selected",
         [child](Ground& ground) {
             auto* picker = new SegmentedPicker({"System", "Light", "Dark"}, 1);
             ground.hold(picker);
             return child(picker, 0);
         }},
        {"a primary button",
         [](Ground& ground) {
             auto* button = new PrimaryButton("Create", false);
             ground.hold(button);
             return button;
         }},
        {"a selected tag chip",
         [](Ground& ground) {
             auto* chip = new TagChip("dairy", true);
             ground.hold(chip);
             return chip;
         }},
        {"the list editor's blue, the ring's own colour",
         [](Ground& ground) {
             auto* cell = PaletteCell::colour(ListColour::blue());
             ground.hold(cell);
             return cell;
         }},
    };
    const Looks looks;
    for (const auto& row : rows) {
        for (bool dark : Looks::dark) {
            SCOPED_TRACE(std::string(row.what) + ", " + lookName(dark));
            Theme::setDark(dark);
            Ground ground;
            PaintedButton* button = row.make(ground);
            ASSERT_NE(button, nullptr);
            // As Tab brings the keyboard there (the window may have put it there as it came up).
            button->clearFocus();
            button->setFocus(Qt::TabFocusReason);
            ASSERT_TRUE(button->showsFocusRing());
            const Across seen = across(button);
            if (!seen.ring || !seen.inside) {
                ADD_FAILURE() << "no ring across the top";
                continue;
            }
            EXPECT_GE(Contrast::ratio(*seen.ring, seen.outside), 3.0)
                << named(*seen.ring) << " next to " << named(seen.outside) << " outside";
            EXPECT_GE(Contrast::ratio(*seen.ring, *seen.inside), 3.0)
                << named(*seen.ring) << " next to " << named(*seen.inside) << " inside";
        }
    }
}

// An alert's buttons are the style's own: the one the keyboard is on wears the ring every other
// control wears, standing out from the button's face and from the alert around it, whether it
// is the alert's default button or not.
TEST(FocusRingContrastTest, AnAlertsFocusedButtonIsRingedLikeEveryOtherControl) {
    const Looks looks;
    for (bool dark : Looks::dark) {
        Theme::setDark(dark);
        QWidget behind;
        behind.resize(400, 300);
        behind.show();
        QMessageBox box(QMessageBox::NoIcon, "Delete \u201cGroceries\u201d?", "Its items go too.",
                        QMessageBox::NoButton, &behind);
        QPushButton* remove = box.addButton("Delete", QMessageBox::DestructiveRole);
        QPushButton* cancel = box.addButton("Cancel", QMessageBox::RejectRole);
        box.setDefaultButton(cancel);
        box.show();
        QApplication::setActiveWindow(&box);
        for (QPushButton* button : {remove, cancel}) {
            SCOPED_TRACE(button->text().toStdString() + ", " + lookName(dark));
            button->setFocus(Qt::TabFocusReason);
            const Across seen = across(button);
            if (!seen.ring || !seen.inside) {
                ADD_FAILURE() << "no ring across the top";
                continue;
            }
            EXPECT_GE(Contrast::ratio(*seen.ring, seen.outside), 3.0)
                << named(*seen.ring) << " next to " << named(seen.outside) << " outside";
            EXPECT_GE(Contrast::ratio(*seen.ring, *seen.inside), 3.0)
                << named(*seen.ring) << " next to " << named(*seen.inside) << " inside";
        }
    }
}

// A sheet that opens hands its first control the keyboard as its window becomes active: that
// control is ringed from then on, as if Tab had brought the keyboard there.
TEST(FocusRingTest, ASheetOpensWithItsFirstControlRinged) {
    QWidget window;
    window.resize(500, 400);
    window.show();
    QApplication::setActiveWindow(&window);
    auto* sheet = new SheetDialog(&window);
    auto* layout = new QVBoxLayout(sheet);
    auto* done = new TextButton("Done", {DesignFont::system(15), Theme::Colour::primary,
                                         QMargins(16, 6, 16, 6), 44, std::nullopt});
    layout->addWidget(done);
    layout->addWidget(new PrimaryButton("Create", false));
    sheet->resize(300, 200);
    ASSERT_TRUE(sheet->present());
    // The window manager makes the sheet active; the offscreen platform may leave it to us,
    // which makes it active the same way.
    if (!QTest::qWaitForWindowActive(sheet, 5000))
        QApplication::setActiveWindow(sheet);
    ASSERT_EQ(QApplication::focusWidget(), done);
    EXPECT_TRUE(done->showsFocusRing());
    const QImage ringed = done->grab().toImage();
    done->clearFocus();
    EXPECT_NE(done->grab().toImage(), ringed) << "the ring is painted";
    delete sheet;
}

// The text fields that draw no border of their own: while one has the keyboard, a ring in the
// ring colour goes round it, outside its text (further out around a field whose text starts at
// its edge); without the focus, none.
TEST(FocusRingTest, ATextFieldWithoutABorderIsRingedWhileFocused) {
    using Make = std::function<QWidget*()>;
    const struct {
        const char* what;
        Make make;
        int ringAt; // pixels outside the field
    } rows[] = {
        {"the add bar's field (New item)", [] { return new AddItemField(false); }, 3},
        {"a bare one-line field (Your name, New tag name)",
         [] {
             auto* field = new SingleLineField;
             field->setFrame(false);
             return field;
         },
         3},
        {"the item's name", [] { return new ItemNameField; }, 5},
        {"a note (Add a note)", [] { return new NoteField; }, 5},
    };
    const Looks looks;
    for (const auto& row : rows) {
        for (bool dark : Looks::dark) {
            SCOPED_TRACE(std::string(row.what) + ", " + lookName(dark));
            Theme::setDark(dark);
            Ground ground;
            auto* other = new PrimaryButton("Other", false);
            ground.layout()->addWidget(other);
            QWidget* field = row.make();
            ground.hold(field);
            other->setFocus(Qt::TabFocusReason);
            const QImage bare = ground.grab().toImage();

            field->setFocus(Qt::TabFocusReason);
            const QImage ringed = ground.grab().toImage();
            const QRect box = field->geometry();
            const QColor ring = Theme::Colour::primary.resolved();
            // Just outside the field, along each side, at the middle.
            const int out = row.ringAt;
            const QPoint sides[] = {{box.center().x(), box.top() - out},
                                    {box.center().x(), box.bottom() + out},
                                    {box.left() - out, box.center().y()},
                                    {box.right() + out, box.center().y()}};
            for (const QPoint& at : sides) {
                EXPECT_EQ(ringed.pixelColor(at), ring) << "at " << at.x() << "," << at.y();
                EXPECT_GE(Contrast::ratio(ringed.pixelColor(at), bare.pixelColor(at)), 3.0);
            }
            other->setFocus(Qt::TabFocusReason);
            EXPECT_EQ(ground.grab().toImage(), bare) << "no ring once the focus has gone";
        }
    }
}

// A field with the rounded border shows the focus in its border, in the ring colour, also where
// a style sheet paints its base (a sheet's scroll area has one); no second ring goes round it.
TEST(FocusRingTest, ARoundedFieldShowsTheFocusInItsBorder) {
    const Looks looks;
    for (bool dark : Looks::dark) {
        for (bool styled : {false, true}) {
            SCOPED_TRACE(std::string(lookName(dark)) + (styled ? ", under a style sheet" : ""));
            Theme::setDark(dark);
            Ground ground;
            if (styled)
                ground.setStyleSheet("QScrollArea { background: transparent; }");
            auto* other = new PrimaryButton("Other", false);
            ground.layout()->addWidget(other);
            auto* field = new SingleLineField;
            field->setRoundedBorder(true);
            ground.hold(field);
            field->setFocus(Qt::TabFocusReason);
            EXPECT_FALSE(field->focusRing().isShown());
            const QImage image = ground.grab().toImage();
            const QPoint edge = field->mapTo(&ground, QPoint(0, field->height() / 2));
            EXPECT_EQ(image.pixelColor(edge), Theme::Colour::primary.resolved());
        }
    }
}

} // namespace
