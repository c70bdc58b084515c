// The keyboard in the shared components: every painted button is pressed by Space and Return and
// ringed while the keyboard is on it (not after a click, and still after a sheet in front has
// gone); a text button's ring keeps clear of its title at every text size; Tab's stops in reading
// order.
#include "support/TextScaleGuard.h"
#include "ui/components/FloatingAddButton.h"
#include "ui/components/FocusOrder.h"
#include "ui/components/NewGroupPill.h"
#include "ui/components/PrimaryButton.h"
#include "ui/components/SymbolButton.h"
#include "ui/components/TagChip.h"
#include "ui/components/TextButton.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

namespace {

using Make = std::function<PaintedButton*(QWidget*)>;

struct Kind {
    const char* what;
    Make make;
};

QList<Kind> paintedButtons() {
    return {
        {"a symbol on a disc (Back)",
         [](QWidget* parent) {
             auto* back =
                 new SymbolButton("chevron.backward", 20, Theme::Colour::primary, "Back", parent);
             back->setCircle(Theme::Colour::chip);
             return back;
         }},
        {"a bare symbol (list actions)",
         [](QWidget* parent) {
             return new SymbolButton("ellipsis.circle", 17, Theme::Colour::primary, "Actions",
                                     parent);
         }},
        {"the floating add button",
         [](QWidget* parent) { return new FloatingAddButton("New list", false, parent); }},
        {"a text button",
         [](QWidget* parent) {
             return new TextButton("Delete item",
                                   {DesignFont::system(15), Theme::Colour::error,
                                    QMargins(16, 0, 16, 0), 44, std::nullopt},
                                   parent);
         }},
        {"a primary button",
         [](QWidget* parent) { return new PrimaryButton("Create", false, parent); }},
        {"the New group pill", [](QWidget* parent) { return new NewGroupPill(false, parent); }},
        {"a selected tag chip", [](QWidget* parent) { return new TagChip("dairy", true, parent); }},
    };
}

// A shown, active window with a field to hold the focus and the button under test.
struct Host {
    Host() {
        field = new QLineEdit(&window);
        window.resize(300, 120);
        window.show();
        QApplication::setActiveWindow(&window);
        field->setFocus();
    }
    QImage picture(QWidget* button) const { return button->grab().toImage(); }

    QWidget window;
    QLineEdit* field;
};

TEST(PaintedButtonKeysTest, SpaceAndReturnPressTheFocusedButtonOnce) {
    const struct {
        const char* what;
        Qt::Key key;
    } keys[] = {{"Space", Qt::Key_Space}, {"Return", Qt::Key_Return}, {"Enter", Qt::Key_Enter}};
    for (const Kind& kind : paintedButtons()) {
        for (const auto& key : keys) {
            SCOPED_TRACE(std::string(kind.what) + ", " + key.what);
            Host host;
            PaintedButton* button = kind.make(&host.window);
            button->move(0, 40);
            button->show();
            QSignalSpy clicked(button, &QAbstractButton::clicked);
            button->setFocus(Qt::TabFocusReason);
            QTest::keyClick(button, key.key);
            EXPECT_EQ(clicked.count(), 1);
            // Not by a key that is held down and repeats.
            QKeyEvent repeat(QEvent::KeyPress, key.key, Qt::NoModifier, QString(), true);
            QCoreApplication::sendEvent(button, &repeat);
            EXPECT_EQ(clicked.count(), 1);
        }
    }
}

TEST(PaintedButtonKeysTest, AnInactivePrimaryButtonTakesNoKey) {
    Host host;
    auto* button = new PrimaryButton("Create", true, &host.window);
    button->show();
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    button->setFocus(Qt::TabFocusReason);
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter})
        QTest::keyClick(button, key);
    EXPECT_EQ(clicked.count(), 0);
}

// The ring follows how the focus came: by Tab, Shift+Tab or the program putting it back, it
// shows; by a click, not; while a sheet or a menu is in front and after it, as it was.
TEST(PaintedButtonKeysTest, TheRingShowsWhileTheKeyboardIsOnTheButton) {
    for (const Kind& kind : paintedButtons()) {
        SCOPED_TRACE(kind.what);
        Host host;
        PaintedButton* button = kind.make(&host.window);
        button->move(0, 40);
        button->show();
        const QImage bare = host.picture(button);

        button->setFocus(Qt::TabFocusReason);
        EXPECT_TRUE(button->showsFocusRing());
        const QImage ringed = host.picture(button);
        EXPECT_NE(ringed, bare) << "the ring is drawn";

        // A sheet comes up in front and goes again: the ring is back with the window.
        QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(button, &out);
        QFocusEvent in(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(button, &in);
        EXPECT_TRUE(button->showsFocusRing());
        EXPECT_EQ(host.picture(button), ringed);

        // A click on it (which gives no focus) hides the ring; a key shows it again.
        QTest::mousePress(button, Qt::LeftButton);
        QTest::mouseRelease(button, Qt::LeftButton);
        EXPECT_FALSE(button->showsFocusRing());
        QTest::keyClick(button, Qt::Key_Shift);
        EXPECT_TRUE(button->showsFocusRing());

        host.field->setFocus(Qt::TabFocusReason);
        EXPECT_FALSE(button->showsFocusRing());
        EXPECT_EQ(host.picture(button), bare);
        button->setFocus(Qt::OtherFocusReason); // given back by the program
        EXPECT_TRUE(button->showsFocusRing());
        host.field->setFocus(Qt::MouseFocusReason);
        button->setFocus(Qt::MouseFocusReason);
        EXPECT_FALSE(button->showsFocusRing());
    }
}

// The pixels of `image` whose colour is far from `ground`'s.
QList<QPoint> inked(const QImage& image, const QImage& ground) {
    QList<QPoint> found;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor a = image.pixelColor(x, y);
            const QColor b = ground.pixelColor(x, y);
            if (std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                    std::abs(a.blue() - b.blue()) >
                32)
                found.append({x, y});
        }
    return found;
}

// A title without a capsule, however little padding its look asks for, at the standard and the
// largest text size: the ring, drawn inside the button's edge, leaves clear ground between itself
// and the letters (it touched a "Cancel" padded by 4 at the largest size).
TEST(PaintedButtonKeysTest, ATextButtonsRingKeepsClearOfItsTitleAtEveryTextSize) {
    const struct {
        const char* what;
        int padding;
        double scale;
    } rows[] = {
        {"flush, standard size", 0, 1.0},        {"flush, largest size", 0, 1.5},
        {"padded by 4, standard size", 4, 1.0},  {"padded by 4, largest size", 4, 1.5},
        {"padded by 16, largest size", 16, 1.5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const TextScaleGuard scale(row.scale);
        Host host;
        host.window.resize(400, 120);
        auto* button = new TextButton("Cancel",
                                      {DesignFont::system(17), Theme::Colour::primary,
                                       QMargins(row.padding, 0, row.padding, 0), 44, std::nullopt},
                                      &host.window);
        button->adjustSize();
        button->show();
        const QImage bare = host.picture(button);
        button->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(button->showsFocusRing());
        const QImage ringed = host.picture(button);
        // The ground is the same everywhere but under the letters: a corner shows it.
        QImage ground(bare.size(), bare.format());
        ground.fill(bare.pixelColor(0, 0));
        const QList<QPoint> letters = inked(bare, ground);
        const QList<QPoint> ring = inked(ringed, bare);
        ASSERT_FALSE(letters.isEmpty());
        ASSERT_FALSE(ring.isEmpty());
        double nearest = 1e9;
        for (const QPoint& r : ring)
            for (const QPoint& l : letters)
                nearest =
                    std::min(nearest, std::hypot(double(r.x() - l.x()), double(r.y() - l.y())));
        // Pixel centres 6 apart leave 5 pixels of ground between ring and letters.
        EXPECT_GE(nearest / button->devicePixelRatioF(), 6.0) << "px between ring and letters";
    }
}

TEST(FocusOrderTest, StopsGoInReadingOrderLineByLine) {
    QWidget page;
    page.resize(400, 300);
    struct Placed {
        const char* name;
        QRect rect;
    };
    // Made in an order that is not the reading order. A button centred on a taller field's line
    // stands on that line although its top is lower.
    const Placed placed[] = {
        {"star", QRect(340, 60, 44, 44)},  {"name", QRect(60, 60, 260, 60)},
        {"tick", QRect(8, 60, 44, 44)},    {"delete", QRect(300, 4, 90, 44)},
        {"back", QRect(8, 4, 44, 44)},     {"chip2", QRect(80, 140, 60, 24)},
        {"chip1", QRect(8, 140, 60, 24)},  {"centred", QRect(200, 80, 40, 20)},
        {"below", QRect(8, 200, 100, 30)},
    };
    for (const Placed& p : placed) {
        auto* widget = new QWidget(&page);
        widget->setObjectName(p.name);
        widget->setFocusPolicy(Qt::StrongFocus);
        widget->setGeometry(p.rect);
    }
    auto* hidden = new QWidget(&page);
    hidden->setFocusPolicy(Qt::StrongFocus);
    hidden->setGeometry(0, 0, 10, 10);
    hidden->hide();
    auto* noTab = new QWidget(&page);
    noTab->setFocusPolicy(Qt::ClickFocus);
    noTab->setGeometry(0, 0, 10, 10);
    page.show();

    QStringList order;
    for (QWidget* widget : FocusOrder::inReadingOrder(&page))
        order.append(widget->objectName());
    EXPECT_EQ(order, QStringList({"back", "delete", "tick", "name", "centred", "star", "chip1",
                                  "chip2", "below"}));
}

} // namespace
