// The message alert of the screens.
#include "MessageAlert.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

#include <utility>

namespace {

// Room a window manager takes in a title bar besides the title: its margins and the buttons
// (close, and often minimise and maximise too).
constexpr int titleBarAllowance = 160;

bool isReturn(const QKeyEvent* event) {
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
           (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// QMessageBox with its one button pressed by a Return that began while it was shown.
class OneButtonBox final : public QMessageBox {
public:
    explicit OneButtonBox(QWidget* parent) : QMessageBox(parent) {}

    void setButton(QPushButton* button) { button_ = button; }

    // Once its window is on screen (not yet while it is being shown) it takes the focus: keys
    // would otherwise go on to the window behind it. Closed, it hands the focus back to that
    // window, where the user was (a desktop without a window manager would leave it nowhere).
    void setVisible(bool visible) override {
        const bool wasActive = QApplication::activeWindow() == this;
        QMessageBox::setVisible(visible);
        if (!visible) {
            if (wasActive && parentWidget())
                parentWidget()->window()->activateWindow();
            return;
        }
        raise();
        activateWindow();
        button_->setFocus(Qt::ActiveWindowFocusReason);
    }

protected:
    // QMessageBox sizes itself to its text again on each layout request.
    bool event(QEvent* event) override {
        const bool handled = QMessageBox::event(event);
        if (event->type() == QEvent::LayoutRequest)
            widenForTitle();
        return handled;
    }

    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event); // sizes the box to its text
        widenForTitle();
        armed_ = false;
    }

    // The button leaves Return to the box: it is no default button, so a Return that QDialog
    // saw would press nothing, and one it pressed on the key's way down would fire at once.
    void keyPressEvent(QKeyEvent* event) override {
        if (!isReturn(event)) {
            QMessageBox::keyPressEvent(event);
            return;
        }
        if (!event->isAutoRepeat())
            armed_ = true;
        event->accept();
    }

    void keyReleaseEvent(QKeyEvent* event) override {
        if (!isReturn(event)) {
            QMessageBox::keyReleaseEvent(event);
            return;
        }
        event->accept();
        if (!event->isAutoRepeat() && std::exchange(armed_, false))
            button_->click();
    }

private:
    void widenForTitle() {
        const int wanted =
            QFontMetrics(font()).horizontalAdvance(windowTitle()) + titleBarAllowance;
        if (width() < wanted)
            setFixedWidth(wanted);
    }

    QPushButton* button_ = nullptr;
    bool armed_ = false;
};

} // namespace

QMessageBox* MessageAlert::make(const QString& text, QWidget* parent) {
    auto* box = new OneButtonBox(parent);
    box->setWindowModality(Qt::WindowModal);
    // The title bar shows the program's name; named here, the box is sized for it.
    box->setWindowTitle(QGuiApplication::applicationDisplayName());
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    QPushButton* ok = box->addButton(QStringLiteral("OK"), QMessageBox::RejectRole);
    // A push button in a dialog is an auto-default one: QDialog would press it on the key's
    // way down, also for a Return held from before the alert.
    ok->setAutoDefault(false);
    ok->setDefault(false);
    box->setButton(ok);
    box->setEscapeButton(ok);
    return box;
}

void MessageAlert::openInFront(QDialog* dialog) {
    dialog->open();
    dialog->raise();
    dialog->activateWindow();
}
