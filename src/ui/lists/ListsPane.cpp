// The lists page and the sheets it shows.
#include "ListsPane.h"

#include "CollectionEditorSheet.h"
#include "LabelButton.h"
#include "ListRemovalAlert.h"
#include "ListsFooter.h"
#include "ListsHeading.h"
#include "PageListView.h"
#include "ui/components/BrandHeader.h"
#include "ui/components/EmptyState.h"
#include "ui/components/FloatingAddButton.h"
#include "ui/components/NewGroupPill.h"
#include "ui/components/SheetDialog.h"

#include <QAbstractButton>
#include <QDialog>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

ListsPane::ListsPane(ListsScreenModel& screen, ListStore& store, QWidget* parent)
    : QWidget(parent), screen_(screen), store_(store), brand_(new BrandHeader),
      heading_(new ListsHeading(screen)), body_(new QWidget),
      rows_(new PageListView(screen, body_)),
      empty_(new EmptyState({ListsScreenModel::emptyTitle(), ListsScreenModel::emptyMessage(),
                             ListsScreenModel::emptySymbol(), ListsScreenModel::emptyActionTitle(),
                             [this] { screen_.requestNewList(); }},
                            body_)),
      footer_(new ListsFooter) {
    setObjectName(QStringLiteral("listsPane"));
    auto* bodyLayout = new QVBoxLayout(body_);
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    bodyLayout->addWidget(rows_);
    rows_->setAccessibleName(ListsScreenModel::rowsLabel());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(brand_);
    layout->addWidget(heading_);
    layout->addWidget(body_, 1);
    layout->addWidget(footer_);

    alert_ = new ListRemovalAlert(screen_, this);
    connect(brand_, &BrandHeader::settingsRequested, &screen_, &ListsScreenModel::requestSettings);
    connect(footer_, &ListsFooter::newListRequested, &screen_, &ListsScreenModel::requestNewList);
    connect(footer_, &ListsFooter::newGroupRequested, this,
            [this] { screen_.requestGroupEditor(CollectionEditorMode::create()); });
    connect(&screen_, &ListsScreenModel::changed, this, &ListsPane::sync);
    // Queued: a sheet is never opened from inside the handler of another one's closing.
    connect(&screen_, &ListsScreenModel::sheetChanged, this, &ListsPane::presentSheet,
            Qt::QueuedConnection);
    sync();
    showOfferedControls();
}

ListsPane::~ListsPane() {
    delete sheet_;
}

void ListsPane::setPresenter(ListsScreenModel::Sheet sheet,
                             std::function<QDialog*(QWidget*)> make) {
    presenters_.insert(sheet, std::move(make));
    showOfferedControls();
}

bool ListsPane::offers(ListsScreenModel::Sheet sheet) const {
    return sheet == ListsScreenModel::Sheet::groupEditor || presenters_.contains(sheet);
}

void ListsPane::showOfferedControls() {
    using Sheet = ListsScreenModel::Sheet;
    brand_->settingsButton()->setVisible(offers(Sheet::settings));
    const bool newList = offers(Sheet::createList) && screen_.offersNewList();
    footer_->addButton()->setVisible(newList);
    if (QAbstractButton* make = empty_->actionButton())
        make->setVisible(newList);
    screen_.rows().setRenameOffered(offers(Sheet::editList));
    showFooterWhenItHoldsAControl();
}

void ListsPane::showFooterWhenItHoldsAControl() {
    // A footer with neither button would be an empty band across the bottom.
    footer_->setVisible(!footer_->pill()->isHidden() || !footer_->addButton()->isHidden());
}

void ListsPane::setSplit(bool split) {
    split_ = split;
    screen_.setSplit(split);
    rows_->setSplit(split);
    footer_->setFloating(!split);
    if (split) {
        static_cast<QVBoxLayout*>(layout())->addWidget(footer_);
    } else {
        // On the one-stack page the controls float over the list.
        layout()->removeWidget(footer_);
        footer_->setParent(body_);
        showFooterWhenItHoldsAControl();
    }
    placeOverlays();
}

QList<QWidget*> ListsPane::focusStops() const {
    QList<QWidget*> stops{brand_->settingsButton(), heading_->summaryButton(),
                          heading_->editButton(), rows_};
    if (empty_->actionButton())
        stops << empty_->actionButton();
    stops << footer_->pill() << footer_->addButton();
    return stops;
}

void ListsPane::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The launch task: each time the page is shown, a pending request is claimed and the
    // remembered list restored.
    if (!event->spontaneous())
        screen_.shown();
    placeOverlays();
}

void ListsPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeOverlays();
}

void ListsPane::placeOverlays() {
    // The empty state is a block of the page's width and its own height, in the middle of the
    // rows' place; it does not cover the whole column.
    const QRect area = body_->rect();
    const int wanted = empty_->heightForWidth(area.width());
    const int height = std::min(area.height(), wanted >= 0 ? wanted : empty_->sizeHint().height());
    empty_->setGeometry(area.left(), area.top() + (area.height() - height) / 2, area.width(),
                        height);
    empty_->raise();
    if (!split_) {
        const int height = footer_->sizeHint().height();
        footer_->setGeometry(0, body_->height() - height, body_->width(), height);
        footer_->raise();
    }
}

void ListsPane::sync() {
    // Decided from the lists alone: lists all in collapsed groups still count.
    empty_->setVisible(screen_.showsEmptyState());
    footer_->setPillShown(screen_.showsNewGroupPill());
    showFooterWhenItHoldsAControl();
    placeOverlays();
}

void ListsPane::presentSheet() {
    const std::optional<ListsScreenModel::Sheet> wanted = screen_.presentedSheet();
    if (sheet_ && wanted == sheetKind_)
        return;
    if (sheet_) {
        // The model closed it (its list went away): close it without dismissing the next.
        QDialog* closing = sheet_;
        sheet_ = nullptr;
        sheetKind_.reset();
        closing->done(QDialog::Rejected);
    }
    if (!wanted)
        return;
    QDialog* dialog = nullptr;
    if (*wanted == ListsScreenModel::Sheet::groupEditor && screen_.collectionEditor())
        dialog = new CollectionEditorSheet(store_, *screen_.collectionEditor(), window());
    else if (const auto make = presenters_.value(*wanted))
        dialog = make(window());
    if (!dialog) {
        // Nothing on this build draws that sheet: let the next one through.
        screen_.dismissSheet();
        return;
    }
    sheet_ = dialog;
    sheetKind_ = wanted;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &QDialog::finished, this, [this, dialog] {
        if (sheet_ != dialog)
            return;
        sheet_ = nullptr;
        sheetKind_.reset();
        screen_.dismissSheet();
    });
    auto* sheet = qobject_cast<SheetDialog*>(dialog);
    if (sheet && !sheet->present()) {
        // Another part of the window shows a sheet: this one waits its turn.
        sheet_ = nullptr;
        sheetKind_.reset();
        delete dialog;
        QTimer::singleShot(250, this, &ListsPane::presentSheet);
        return;
    }
    if (!sheet)
        dialog->open();
}
