// The one-button alert: the focus, Return and its title.
#include "ui/components/MessageAlert.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A window with a field that has the keyboard focus, as the add bar has when an alert comes up.
struct Behind {
    Behind() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(field);
        window.resize(400, 300);
        window.show();
        window.activateWindow();
        field->setFocus();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    QWidget window;
    QLineEdit* field = new QLineEdit;
};

void send(QWidget* to, QEvent::Type type, int key, bool autoRepeat = false,
          Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(type, key, modifiers, QString(), autoRepeat);
    QApplication::sendEvent(to, &event);
}

TEST(MessageAlert, TakesTheFocusFromTheWindowBehind) {
    Behind behind;
    QPointer<QMessageBox> alert =
        MessageAlert::make(QStringLiteral("Added 8 items."), &behind.window);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == alert; }));
    ASSERT_EQ(alert->buttons().size(), 1);
    EXPECT_EQ(QApplication::activeWindow(), alert.data());
    EXPECT_EQ(QApplication::focusWidget(), alert->buttons().first());
    // Typing goes to the alert, not to the field behind it.
    QTest::keyClicks(QApplication::focusWidget(), "abc");
    EXPECT_EQ(behind.field->text(), QString());
    // Closed, it hands the focus back to where the user was.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &behind.window; }));
    EXPECT_EQ(QApplication::focusWidget(), behind.field);
}

TEST(MessageAlert, OnlyAReturnPressedWhileItIsUpPressesItsButton) {
    const struct {
        const char* what;
        std::function<void(QWidget*)> keys;
        bool closes;
    } cases[] = {
        {"a press and its release",
         [](QWidget* w) {
             send(w, QEvent::KeyPress, Qt::Key_Return);
             send(w, QEvent::KeyRelease, Qt::Key_Return);
         },
         true},
        {"the keypad's Enter",
         [](QWidget* w) {
             send(w, QEvent::KeyPress, Qt::Key_Enter, false, Qt::KeypadModifier);
             send(w, QEvent::KeyRelease, Qt::Key_Enter, false, Qt::KeypadModifier);
         },
         true},
        {"the release of a Return held before",
         [](QWidget* w) { send(w, QEvent::KeyRelease, Qt::Key_Return); }, false},
        {"the repeats of a Return held before",
         [](QWidget* w) {
             for (int i = 0; i < 3; ++i) {
                 send(w, QEvent::KeyPress, Qt::Key_Return, true);
                 send(w, QEvent::KeyRelease, Qt::Key_Return, true);
             }
             send(w, QEvent::KeyRelease, Qt::Key_Return);
         },
         false},
        {"a held Return let go, then a fresh one",
         [](QWidget* w) {
             send(w, QEvent::KeyPress, Qt::Key_Return, true);
             send(w, QEvent::KeyRelease, Qt::Key_Return);
             send(w, QEvent::KeyPress, Qt::Key_Return);
             send(w, QEvent::KeyRelease, Qt::Key_Return);
         },
         true},
        {"a press alone, still down", [](QWidget* w) { send(w, QEvent::KeyPress, Qt::Key_Return); },
         false},
        {"Ctrl+Return",
         [](QWidget* w) {
             send(w, QEvent::KeyPress, Qt::Key_Return, false, Qt::ControlModifier);
             send(w, QEvent::KeyRelease, Qt::Key_Return, false, Qt::ControlModifier);
         },
         false},
        {"Escape", [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Behind behind;
        QPointer<QMessageBox> alert =
            MessageAlert::make(QStringLiteral("Added 8 items."), &behind.window);
        alert->setAttribute(Qt::WA_DeleteOnClose);
        QSignalSpy finished(alert.data(), &QDialog::finished);
        alert->open();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == alert; }));
        c.keys(QApplication::focusWidget());
        QApplication::processEvents();
        EXPECT_EQ(finished.count(), c.closes ? 1 : 0);
        EXPECT_EQ(alert.isNull() || !alert->isVisible(), c.closes);
        if (alert)
            alert->close();
    }
}

TEST(MessageAlert, IsWideEnoughForItsTitleAndShowsItsWholeText) {
    const QString name = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Tallybird"));
    Behind behind;
    for (const QString& text : {QStringLiteral("OK."), QStringLiteral("Added 8 items."),
                                QString(40, QChar(u'w')) + QStringLiteral(" and more words")}) {
        SCOPED_TRACE(text.toStdString());
        std::unique_ptr<QMessageBox> alert(MessageAlert::make(text, &behind.window));
        alert->show();
        // The box sizes itself to its text again at each layout request (on X11, after it
        // is shown).
        QEvent layout(QEvent::LayoutRequest);
        QApplication::sendEvent(alert.get(), &layout);
        EXPECT_EQ(alert->windowTitle(), QStringLiteral("Tallybird"));
        EXPECT_GE(alert->width(),
                  QFontMetrics(alert->font()).horizontalAdvance(alert->windowTitle()) + 100);
        EXPECT_EQ(alert->text(), text);
        EXPECT_EQ(alert->textFormat(), Qt::PlainText);
        alert->close();
    }
    QGuiApplication::setApplicationDisplayName(name);
}

} // namespace
