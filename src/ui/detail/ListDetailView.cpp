// The list's pane.
#include "ListDetailView.h"

#include "AddItemBar.h"
#include "DetailItemsView.h"
#include "ListDetailModel.h"
#include "MarkdownExport.h"
#include "ShareBadgeView.h"
#include "TagChipBar.h"
#include "TagFilterBar.h"
#include "ViewOnlyNote.h"
#include "ui/components/AddItemField.h"
#include "ui/components/EmptyState.h"
#include "ui/components/MenuPopup.h"
#include "ui/components/ReadingColumn.h"
#include "ui/components/SymbolButton.h"
#include "ui/components/TagChip.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemeColour.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QStandardPaths>

namespace {

// The save dialog of the Markdown export, modal to the window, proposing the list's name in the
// documents folder, or in the home folder when there is none (the dialog would otherwise open
// wherever the program was started from).
void chooseSaveFile(QWidget* parent, const QString& proposedName,
                    std::function<void(std::optional<QString>)> done) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    auto* dialog = new QFileDialog(parent, QString(), QDir(folder).filePath(proposedName));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setNameFilters(
        {QStringLiteral("Markdown (*.md)"), QStringLiteral("Plain text (*.txt)")});
    dialog->setDefaultSuffix(QStringLiteral("md"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, done](int result) {
        const QStringList files = dialog->selectedFiles();
        if (result == QDialog::Accepted && !files.isEmpty())
            done(files.first());
        else
            done(std::nullopt);
    });
    dialog->open();
}

QIcon menuIcon(const QString& symbol) {
    return QIcon(Symbols::pixmap(symbol, 15, Theme::Colour::onSurface.resolved(), 2.0));
}

} // namespace

ListDetailView::ListDetailView(ListDetailModel& screen, QWidget* parent)
    : QWidget(parent), screen_(screen), chooseSave_(chooseSaveFile),
      openUrl_([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);

    auto* toolbar = new QHBoxLayout;
    toolbar->setContentsMargins(8, 4, 8, 0);
    toolbar->setSpacing(4);
    toolbar->addStretch(1);
    badge_ = new ShareBadgeView(this);
    toolbar->addWidget(badge_);
    actions_ = new SymbolButton(QStringLiteral("ellipsis.circle"), 17, Theme::Colour::primary,
                                ListActionsMenu::menuLabel(), this);
    actionsMenu_ = new QMenu(this);
    actionsMenu_->setAccessibleName(ListActionsMenu::menuLabel());
    connect(actions_, &QAbstractButton::clicked, this, [this] {
        fillActionsMenu();
        MenuPopup::open(actionsMenu_, actions_->mapToGlobal(QPoint(0, actions_->height())));
    });
    toolbar->addWidget(actions_);
    layout_->addLayout(toolbar);

    items_ = new DetailItemsView(screen_, this);
    layout_->addWidget(new ReadingColumn(items_, Theme::Colour::background, this), 1);

    addBar_ = new AddItemBar(screen_, this);
    layout_->addWidget(addBar_);
    viewOnly_ = new ViewOnlyNote(this);
    layout_->addWidget(viewOnly_);

    empty_ = new EmptyState({QStringLiteral("Nothing here yet"),
                             QStringLiteral("Add an item below, or paste a list."),
                             QStringLiteral("checklist"),
                             std::nullopt,
                             {}},
                            this);
    // The empty state lies over the list and lets clicks through to it.
    empty_->setAttribute(Qt::WA_TransparentForMouseEvents);

    // The clipboard is read when the user pastes.
    screen_.setClipboardReader([]() -> std::optional<QString> {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        if (!data || !data->hasText())
            return std::nullopt;
        return data->text();
    });

    items_->installEventFilter(this); // the empty state follows the items' place and size
    connect(&screen_, &ListDetailModel::refreshed, this, &ListDetailView::follow);
    connect(&screen_, &ListDetailModel::stateChanged, this, &ListDetailView::followState);
    follow();
}

QList<QWidget*> ListDetailView::focusStops() const {
    QList<QWidget*> stops{items_};
    // The new-tag field takes the focus only when asked for; from it Tab goes on to the field.
    stops << addBar_->chipBar()->newTagField() << addBar_->field() << addBar_->plusButton();
    // The tag chips above the field, then their new-tag button: after the plus, which adds what
    // they made of the draft.
    for (TagChip* chip : addBar_->chipBar()->chips())
        stops << chip;
    stops << addBar_->chipBar()->newTagButton();
    if (QWidget* hero = items_->heroView())
        stops << hero;
    if (TagFilterBar* chips = items_->filterBar())
        stops << chips->chipButtons();
    stops << badge_ << actions_;
    return stops;
}

bool ListDetailView::showsViewOnlyNote() const {
    return !viewOnly_->isHidden();
}

bool ListDetailView::showsEmptyState() const {
    return !empty_->isHidden();
}

void ListDetailView::fillActionsMenu() {
    actionsMenu_->clear();
    for (const ListActionsMenu::Entry& entry : screen_.menuEntries()) {
        const QIcon icon = menuIcon(entry.symbol);
        QString title = entry.title;
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        switch (entry.action) {
        case ListActionsMenu::Action::editList:
            actionsMenu_->addAction(icon, title, &screen_, &ListDetailModel::editList);
            break;
        case ListActionsMenu::Action::paste:
            actionsMenu_->addAction(icon, title, &screen_, &ListDetailModel::pasteFromClipboard);
            break;
        case ListActionsMenu::Action::arrangeTags:
            actionsMenu_->addAction(icon, title, &screen_, &ListDetailModel::arrangeTags);
            break;
        case ListActionsMenu::Action::share: {
            QMenu* share = actionsMenu_->addMenu(icon, title);
            for (const ListActionsMenu::ShareEntry& way : ListActionsMenu::shareEntries()) {
                const bool mail = way.way == ListActionsMenu::ShareWay::mail;
                share->addAction(menuIcon(way.symbol), way.title, this,
                                 [this, mail] { shareMarkdown(mail); });
            }
            break;
        }
        case ListActionsMenu::Action::save:
            actionsMenu_->addAction(icon, title, &screen_, &ListDetailModel::beginSave);
            break;
        }
    }
}

void ListDetailView::shareMarkdown(bool mail) {
    const QString markdown = screen_.markdown();
    if (mail)
        openUrl_(MarkdownExport::mailLink(markdown));
    else
        QGuiApplication::clipboard()->setText(markdown);
}

void ListDetailView::followState() {
    const ListDetailState& state = screen_.state();
    if (state.showingFileExporter && !choosingSave_) {
        choosingSave_ = true;
        QPointer<ListDetailView> self(this);
        chooseSave_(window(), screen_.exportFileName(), [self](std::optional<QString> path) {
            if (!self)
                return;
            self->choosingSave_ = false;
            self->screen_.finishSave(path);
        });
    }
}

void ListDetailView::follow() {
    const DetailSnapshot& snapshot = screen_.snapshot();
    badge_->setVisible(snapshot.badge.has_value());
    if (snapshot.badge)
        badge_->setFace(*snapshot.badge);
    viewOnly_->setVisible(!snapshot.canEdit);
    addBar_->setVisible(snapshot.canEdit);
    empty_->setVisible(snapshot.showsEmptyState);
    placeEmptyState();
}

void ListDetailView::placeEmptyState() {
    if (empty_->isHidden())
        return;
    const QRect over(items_->mapTo(this, QPoint(0, 0)), items_->size());
    const QSize size = empty_->sizeHint().boundedTo(over.size());
    empty_->setGeometry(QRect(over.center() - QPoint(size.width() / 2, size.height() / 2), size));
    empty_->raise();
}

bool ListDetailView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == items_ && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        placeEmptyState();
    return QWidget::eventFilter(watched, event);
}

void ListDetailView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeEmptyState();
}

void ListDetailView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Theme::Colour::background.resolved());
}
