// The keyboard when sheets and alerts come and go: a sheet that closes gives it back to where the
// user was, unless an alert came up meanwhile, which keeps it even while a window manager has not
// yet made it the active window.
#include "ui/components/FocusReturn.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

struct Window {
    Window() {
        auto* layout = new QVBoxLayout(&window);
        opener = new QPushButton(QStringLiteral("Open"), &window);
        layout->addWidget(opener);
        window.show();
        window.activateWindow();
        opener->setFocus();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    QWidget window;
    QPushButton* opener;
};

TEST(FocusReturnTest, ASheetThatClosesGivesTheKeyboardBackToItsOpener) {
    Window main;
    QDialog sheet(&main.window);
    sheet.setWindowModality(Qt::WindowModal);
    FocusReturn::arm(&sheet, main.opener);
    sheet.show();
    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    sheet.hide();
    QTRY_COMPARE(QApplication::activeWindow(), &main.window);
    EXPECT_EQ(QApplication::focusWidget(), main.opener);
}

TEST(FocusReturnTest, AnAlertThatCameUpAsTheSheetClosedKeepsTheKeyboard) {
    Window main;
    QDialog sheet(&main.window);
    sheet.setWindowModality(Qt::WindowModal);
    FocusReturn::arm(&sheet, main.opener);
    sheet.show();
    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    // The alert is up but not active yet, as under a window manager that takes its time to hand
    // it the keyboard; no window is active for that moment.
    QDialog alert(&main.window);
    alert.setWindowModality(Qt::WindowModal);
    alert.setAttribute(Qt::WA_ShowWithoutActivating);
    sheet.hide();
    alert.show();
    QApplication::setActiveWindow(nullptr);
    QTest::qWait(50);
    EXPECT_NE(QApplication::activeWindow(), &main.window)
        << "the window behind the alert took the keyboard from it";
}

} // namespace
