#include "ui/window/MainWindow.h"

#include "model/SettingsPresentation.h"
#include "platform/BundleInfo.h"
#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "ui/detail/ListDetailModel.h"
#include "ui/lists/ListsPane.h"
#include "ui/lists/ListsScreenModel.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/Theme.h"
#include "ui/theme/ThemeAppearance.h"
#include "ui/theme/ThemeColour.h"
#include "ui/window/AboutBox.h"
#include "ui/window/AppIcon.h"
#include "ui/window/ListScreenSheets.h"
#include "ui/window/QuitConfirmation.h"
#include "ui/window/StandardSheets.h"
#include "ui/window/StoreNoticeBanner.h"
#include "ui/window/StoreNoticeModel.h"
#include "ui/window/TextScaleControls.h"
#include "ui/window/UpdateChecker.h"
#include "ui/window/UpdateDialog.h"
#include "ui/window/WindowContent.h"
#include "ui/window/WindowMetrics.h"
#include "ui/window/WindowNavigation.h"
#include "ui/window/WindowPlaceKeeper.h"
#include "ui/window/WindowSheets.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QMenuBar>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>

namespace {
// The toolbar's symbols are a fixed size: they do not follow the text scale.
constexpr double toolbarSymbolPoints = 18;
} // namespace

MainWindow::MainWindow(ListStore& store, UpdateChecker& updater, VoiceController* voice,
                       QWidget* parent)
    : QMainWindow(parent), store_(store), updater_(updater), voice_(voice),
      navigation_(new WindowNavigation(this)), sheets_(new WindowSheets(this)),
      listScreen_(new ListDetailModel(store, Clock::shared(), this)),
      storeNotice_(new StoreNoticeModel(store, this)),
      place_(new WindowPlaceKeeper(*this, store.defaults())) {
    addStandardSheets(*sheets_, store_, *navigation_, voice_);
    new ListScreenSheets(*listScreen_, *sheets_, this, this);
    setWindowTitle(QString());
    // The title bar shows the open list's name, or nothing; a screen reader names the window
    // by the program whatever is open.
    setAccessibleName(WindowMenus::programName());
    setWindowIcon(AppIcon::icon());
    resize(WindowMetrics::defaultSize);
    buildMenus();
    buildToolbar();
    rebuildContent();
    // Put back once the content's minimum is known, which the kept place is fitted to.
    place_->restoreWindow();
    QSplitter* split = content_->splitter();
    if (const auto sizes = place_->keptSplit(width(), split->handleWidth()))
        content_->setSplitterSizes(*sizes);
    new QuitConfirmation(*storeNotice_, *this);

    connect(&updater_, &UpdateChecker::canCheckForUpdatesChanged, this,
            &MainWindow::refreshCommands);
    connect(sheets_, &WindowSheets::added, this, &MainWindow::refreshCommands);
    connect(&updater_, &UpdateChecker::checkFinished, this, &MainWindow::showUpdateOutcome);
    connect(&store_.defaults(), &Defaults::changed, this, [this](const QString& key) {
        if (key != TextScale::key)
            return;
        rebuildContent();
        refreshTextScaleButtons();
    });
    // Symbols are pictures in the colours of one appearance.
    connect(&ThemeAppearance::shared(), &ThemeAppearance::changed, this,
            &MainWindow::refreshTextScaleButtons);
}

MainWindow::~MainWindow() = default;

void MainWindow::bringToFront() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

bool MainWindow::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::Paint && !painted_) {
        painted_ = true;
        // The window paints before its children; the frame is whole once this turn ends.
        QTimer::singleShot(0, this, &MainWindow::firstFramePainted);
    }
    return handled;
}

void MainWindow::buildMenus() {
    for (const WindowMenus::Menu& model : WindowMenus::menus({})) {
        QMenu* menu = menuBar()->addMenu(model.title);
        for (const WindowMenus::Entry& entry : model.entries) {
            if (entry.separatorBefore)
                menu->addSeparator();
            QAction* action = menu->addAction(entry.title);
            action->setMenuRole(QAction::NoRole);
            action->setShortcut(QKeySequence::fromString(entry.shortcut));
            const WindowMenus::Command command = entry.command;
            connect(action, &QAction::triggered, this, [this, command] { run(command); });
            actions_.insert(command, action);
        }
    }
    refreshCommands();
}

void MainWindow::refreshCommands() {
    const WindowMenus::State state{updater_.canCheckForUpdates(),
                                   !content_ || content_->sidebarVisible()};
    for (const WindowMenus::Menu& model : WindowMenus::menus(state)) {
        for (const WindowMenus::Entry& entry : model.entries) {
            QAction* action = actions_.value(entry.command);
            // A command whose sheet this build lacks is not offered, nor is its shortcut.
            const bool offered = entry.command != WindowMenus::Command::settings ||
                                 sheets_->has(WindowSheet::settings);
            action->setText(entry.title);
            action->setVisible(offered);
            action->setEnabled(entry.enabled && offered);
        }
    }
}

void MainWindow::buildToolbar() {
    toolbar_ = addToolBar(QString());
    toolbar_->setObjectName(QStringLiteral("windowToolbar"));
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->setIconSize(QSize(int(toolbarSymbolPoints), int(toolbarSymbolPoints)));
    toolbar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar_->toggleViewAction()->setVisible(false);
    toolbar_->setContextMenuPolicy(Qt::PreventContextMenu);
    for (const TextScaleControls::Button& button :
         TextScaleControls::buttons(TextScale::standard, TextScaleControls::Form::window)) {
        QAction* action = toolbar_->addAction(button.accessibilityLabel);
        action->setToolTip(button.toolTip);
        const TextScaleControls::Direction direction = button.direction;
        connect(action, &QAction::triggered, this,
                [this, direction] { TextScaleControls::press(direction, store_.defaults()); });
        toolbar_->widgetForAction(action)->setAccessibleName(button.accessibilityLabel);
        textScaleActions_.append(action);
    }
    refreshTextScaleButtons();
}

void MainWindow::refreshTextScaleButtons() {
    const QList<TextScaleControls::Button> buttons = TextScaleControls::buttons(
        TextScale::stored(store_.defaults()), TextScaleControls::Form::window);
    const qreal ratio = devicePixelRatioF();
    for (qsizetype i = 0; i < buttons.size() && i < textScaleActions_.size(); ++i) {
        QIcon icon(Symbols::pixmap(buttons[i].symbol, toolbarSymbolPoints,
                                   Theme::Colour::onSurface.resolved(), ratio));
        icon.addPixmap(Symbols::pixmap(buttons[i].symbol, toolbarSymbolPoints,
                                       Theme::Colour::outline.resolved(), ratio),
                       QIcon::Disabled);
        textScaleActions_[i]->setIcon(icon);
        textScaleActions_[i]->setEnabled(buttons[i].enabled);
    }
}

void MainWindow::rebuildContent() {
    // Fonts take their size from the factor when they are built.
    Theme::setTextScaleFactor(TextScale::stored(store_.defaults()).factor());
    // Taken before the old content hides, which moves the focus away from it.
    const QWidget* focused = QApplication::focusWidget();
    // Hidden before the new content is built: an item editor writes an edited name as it hides,
    // and the new one then starts from it.
    QWidget* old = takeCentralWidget();
    if (old)
        old->hide();
    auto* fresh = new WindowContent(store_, *navigation_, *sheets_, *listScreen_, voice_);
    connect(fresh, &WindowContent::detailTitleChanged, this, &QWidget::setWindowTitle);
    WindowContent* previous = std::exchange(content_, fresh);
    if (old) {
        // The divider and the sidebar stay where the user left them.
        fresh->setSplitterSizes(previous->splitterSizes());
        fresh->sidebar()->screen().carryOn(previous->sidebar()->screen());
        fresh->setSidebarVisible(previous->sidebarVisible());
        // The old content may be running the slot that asked for this rebuild, so it goes at
        // the next turn of the event loop. Until then it stays the window's: it reads the store,
        // the settings and the window's models, and follows the shared navigation, so it must
        // not outlive a window closed before that turn.
        old->setParent(this);
        old->deleteLater();
    }
    setCentralWidget(StoreNoticeBanner::above(fresh, *storeNotice_));
    place_->followSplit(fresh->splitter());
    // So does a half-typed note, once the focus can go to the new content.
    if (old)
        fresh->takeDraftsFrom(*previous, focused);
}

void MainWindow::run(WindowMenus::Command command) {
    switch (command) {
    case WindowMenus::Command::about:
        showAbout();
        return;
    case WindowMenus::Command::checkForUpdates:
        updater_.checkForUpdates();
        return;
    case WindowMenus::Command::settings:
        SettingsPresentation::shared().setOpen(true);
        return;
    case WindowMenus::Command::quit:
        // Closing asks first when changes could not be saved.
        if (close())
            QCoreApplication::quit();
        return;
    case WindowMenus::Command::toggleSidebar:
        content_->setSidebarVisible(!content_->sidebarVisible());
        refreshCommands();
        return;
    }
}

void MainWindow::showUpdateOutcome(const UpdateCheckResult& result) {
    auto* dialog =
        new UpdateDialog(UpdateCheckMessage::of(result, QCoreApplication::applicationVersion()),
                         result.download, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void MainWindow::showAbout() {
    auto* box = new AboutBox(AboutContent::of(BundleInfo::main()), this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Never stacked on another sheet.
    if (!box->present())
        delete box;
}
