// The group editor sheet's widgets.
#include "CollectionEditorSheet.h"

#include "CollectionEditorModel.h"
#include "CollectionEditorRowDelegate.h"
#include "LabelButton.h"
#include "SheetTopBar.h"
#include "ui/components/SectionCard.h"
#include "ui/components/SingleLineField.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QListView>
#include <QVBoxLayout>

namespace {

using namespace Theme;

// The list of lists: clicks and Space tick, nothing is selected.
class TickList : public QListView {
public:
    explicit TickList(CollectionEditorModel& model) : model_(model) {
        setSelectionMode(QAbstractItemView::NoSelection);
        setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setFrameShape(QFrame::NoFrame);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        viewport()->setAutoFillBackground(false);
        setAutoFillBackground(false);
        setStyleSheet(QStringLiteral("QListView { background: transparent; }"));
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        const QModelIndex index = indexAt(event->position().toPoint());
        QListView::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && index.isValid()) {
            setCurrentIndex(index);
            toggle(index);
        }
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Space && currentIndex().isValid()) {
            toggle(currentIndex());
            return;
        }
        QListView::keyPressEvent(event);
    }
    // Qt tells a screen reader that the current row has the focus even while the keyboard is
    // elsewhere (on Cancel): the row is current only while the list has the keyboard, and it is
    // the keyboard's row again when the keyboard comes back.
    void focusOutEvent(QFocusEvent* event) override {
        if (currentIndex().isValid()) {
            left_ = currentIndex();
            selectionModel()->clearCurrentIndex();
        }
        QListView::focusOutEvent(event);
    }
    void focusInEvent(QFocusEvent* event) override {
        if (left_.isValid() && !currentIndex().isValid())
            selectionModel()->setCurrentIndex(left_, QItemSelectionModel::NoUpdate);
        left_ = QPersistentModelIndex();
        QListView::focusInEvent(event);
    }

private:
    void toggle(const QModelIndex& index) {
        const int row = index.row();
        model_.toggle(index.data(CollectionEditorRowModel::IdRole).toString());
        // Qt tells a screen reader only that the rows' data changed, which the desktop's bridge
        // passes over: the row's new ticked state is told as a check box tells it.
        QAccessible::State ticked;
        ticked.checked = true;
        QAccessibleStateChangeEvent event(this, ticked);
        event.setChild(row);
        QAccessible::updateAccessibility(&event);
    }
    CollectionEditorModel& model_;
    QPersistentModelIndex left_; // the keyboard's row while the keyboard is elsewhere
};

} // namespace

CollectionEditorSheet::CollectionEditorSheet(ListStore& store, const CollectionEditorMode& mode,
                                             QWidget* parent)
    : SheetDialog(parent), model_(new CollectionEditorModel(store, mode, this)) {
    setObjectName(QStringLiteral("collectionEditor"));
    setWindowTitle(model_->title());
    resize(460, 620);

    auto* bar = new SheetTopBar({model_->title(), CollectionEditorModel::cancelTitle(),
                                 CollectionEditorModel::saveTitle(),
                                 CollectionEditorModel::saveAccessibilityLabel()});
    cancel_ = bar->cancelButton();
    save_ = bar->confirmButton();

    // The name.
    name_ = new SingleLineField;
    name_->setRoundedBorder(true);
    name_->setPlaceholderText(CollectionEditorModel::namePlaceholder());
    name_->setFont(DesignFont::system(17));
    name_->setText(model_->name());
    name_->setAccessibleName(QStringLiteral("Name"));

    // The lists.
    QWidget* listsContent = nullptr;
    if (model_->hasLists()) {
        lists_ = new TickList(*model_);
        lists_->setObjectName(QStringLiteral("groupEditorLists"));
        lists_->setAccessibleName(CollectionEditorModel::listsAccessibilityLabel());
        lists_->setModel(&model_->rows());
        lists_->setItemDelegate(new CollectionEditorRowDelegate(model_->rows(), lists_));
        listsContent = new SectionCard(lists_, 0);
    } else {
        noLists_ = new TextLabel(CollectionEditorModel::noListsText(), DesignFont::system(15),
                                 Colour::onSurfaceVariant);
        noLists_->setWordWrap(true);
        listsContent = new SectionCard(noLists_, 18);
    }

    auto* body = new QVBoxLayout;
    body->setContentsMargins(16, 16, 16, 16);
    body->setSpacing(24);
    body->addWidget(SectionCard::titled(CollectionEditorModel::nameSectionTitle(),
                                        new SectionCard(name_, 18), 1));
    body->addWidget(
        SectionCard::titled(CollectionEditorModel::listsSectionTitle(), listsContent, 1),
        model_->hasLists() ? 1 : 0);
    if (model_->showsUngroupButton()) {
        LabelButton::Look look{DesignFont::system(17), Colour::error, QMargins(8, 8, 8, 8),
                               44 + 16};
        look.shape = LabelButton::Shape::card;
        look.fill = Colour::card;
        ungroup_ = new LabelButton(CollectionEditorModel::ungroupTitle(), look);
        ungroup_->setAccessible({CollectionEditorModel::ungroupTitle(),
                                 CollectionEditorModel::ungroupHint(),
                                 {},
                                 {},
                                 {}});
        body->addWidget(ungroup_);
    }
    if (!model_->hasLists())
        body->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addLayout(body, 1);

    // No button is the default: Return in the name field saves nothing.
    connect(cancel_, &QAbstractButton::clicked, this, &QDialog::reject);
    connect(save_, &QAbstractButton::clicked, this, [this] {
        if (model_->save())
            accept();
    });
    if (ungroup_) {
        connect(ungroup_, &QAbstractButton::clicked, this, [this] {
            model_->ungroup();
            accept();
        });
    }
    connect(name_, &QLineEdit::textEdited, model_, &CollectionEditorModel::setName);
    connect(model_, &CollectionEditorModel::changed, this, &CollectionEditorSheet::sync);
    sync();
}

CollectionEditorSheet::~CollectionEditorSheet() = default;

void CollectionEditorSheet::sync() {
    save_->setEnabled(model_->canSave());
}

void CollectionEditorSheet::showEvent(QShowEvent* event) {
    SheetDialog::showEvent(event);
    if (model_->focusesNameOnOpen())
        name_->setFocus(Qt::OtherFocusReason);
    else if (lists_)
        lists_->setFocus(Qt::OtherFocusReason);
}
