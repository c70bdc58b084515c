// Keeping the window's place and split in the settings.
#include "ui/window/WindowPlaceKeeper.h"

#include "platform/Base64.h"
#include "platform/Defaults.h"
#include "ui/window/WindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace {

QList<QRect> desktopScreens() {
    QList<QRect> screens;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary)
        screens.append(primary->availableGeometry());
    for (QScreen* screen : QGuiApplication::screens())
        if (screen != primary)
            screens.append(screen->availableGeometry());
    return screens;
}

} // namespace

WindowPlaceKeeper::WindowPlaceKeeper(QWidget& window, Defaults& defaults)
    : QObject(&window), window_(window), defaults_(defaults), screens_(desktopScreens),
      settle_(new QTimer(this)) {
    settle_->setSingleShot(true);
    settle_->setInterval(settleMs);
    connect(settle_, &QTimer::timeout, this, &WindowPlaceKeeper::save);
    window_.installEventFilter(this);
}

void WindowPlaceKeeper::restoreWindow() {
    const std::optional<QString> kept = defaults_.string(WindowPlacement::geometryKey);
    const std::optional<QByteArray> bytes = kept ? Base64::decode(*kept) : std::nullopt;
    if (!bytes || !window_.restoreGeometry(*bytes))
        return;
    // A maximised or full-screen window takes the screen it opens on, whatever it is.
    if (window_.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    const QList<QRect> screens = screens_();
    const QRect frame = window_.geometry();
    const int screen = WindowPlacement::screenFor(frame, screens);
    if (screen < 0)
        return;
    const QSize least = window_.minimumSize().expandedTo(window_.minimumSizeHint());
    const QRect fitted = WindowPlacement::fitted(frame, screens.at(screen), least);
    if (fitted != frame)
        window_.setGeometry(fitted);
}

std::optional<QList<int>> WindowPlaceKeeper::keptSplit(int splitWidth, int handleWidth) const {
    const std::optional<qint64> kept = defaults_.integer(WindowPlacement::sidebarWidthKey);
    if (!kept)
        return std::nullopt;
    const int clamped = int(std::clamp<qint64>(*kept, 0, splitWidth));
    const int sidebar = WindowPlacement::sidebarWidth(clamped, splitWidth, handleWidth);
    return QList<int>{sidebar, std::max(0, splitWidth - handleWidth - sidebar)};
}

void WindowPlaceKeeper::followSplit(QSplitter* split) {
    if (split_)
        disconnect(split_, nullptr, this, nullptr);
    split_ = split;
    if (split_)
        connect(split_, &QSplitter::splitterMoved, settle_, qOverload<>(&QTimer::start));
}

void WindowPlaceKeeper::save() {
    settle_->stop();
    if (!shown_)
        return;
    defaults_.setString(WindowPlacement::geometryKey, Base64::encode(window_.saveGeometry()));
    // A hidden lists column has no width worth keeping: the one before it was hidden stays.
    if (split_ && split_->count() > 0 && !split_->widget(0)->isHidden()) {
        const int sidebar = split_->sizes().value(0);
        if (sidebar > 0)
            defaults_.setInteger(WindowPlacement::sidebarWidthKey, sidebar);
    }
}

bool WindowPlaceKeeper::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &window_)
        return false;
    switch (event->type()) {
    case QEvent::Show:
        shown_ = true;
        break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
        if (shown_)
            settle_->start();
        break;
    case QEvent::Hide:
        save();
        break;
    default:
        break;
    }
    return false;
}
