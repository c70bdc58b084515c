// Pictures of controls holding the keyboard focus.
#include "KeyboardFocus.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace KeyboardFocus {

namespace {

// A window of one control on a colour of the theme.
class Ground : public QWidget {
public:
    explicit Ground(DynamicColour colour) : colour_(colour) {}

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), colour_.resolved()); }

private:
    DynamicColour colour_;
};

} // namespace

void give(QWidget* control) {
    QWidget* window = control->window();
    window->activateWindow();
    QCoreApplication::processEvents();
    if (!window->isActiveWindow())
        QApplication::setActiveWindow(window);
    // The window coming up may have given it the focus already, though not as Tab does.
    if (QWidget* focused = QApplication::focusWidget())
        focused->clearFocus();
    control->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
}

void opened(QWidget* window) {
    window->activateWindow();
    QCoreApplication::processEvents();
    if (!window->isActiveWindow())
        QApplication::setActiveWindow(window);
    QCoreApplication::processEvents();
}

QWidget* picture(QWidget* content, DynamicColour ground, QWidget* control) {
    Ground window(ground);
    window.setAttribute(Qt::WA_DontShowOnScreen);
    auto* layout = new QHBoxLayout(&window);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(content);
    window.show();
    give(control ? control : content);
    auto* shown = new QLabel;
    shown->setPixmap(window.grab());
    shown->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return shown;
}

} // namespace KeyboardFocus
