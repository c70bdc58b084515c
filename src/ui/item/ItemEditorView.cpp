// The item editor's widgets.
#include "ItemEditorView.h"

#include "EditorPage.h"
#include "ItemNameField.h"
#include "NotesSectionView.h"
#include "TickButton.h"
#include "ui/components/Accessibility.h"
#include "ui/components/FlowLayout.h"
#include "ui/components/FocusOrder.h"
#include "ui/components/ItemHeaderBar.h"
#include "ui/components/SingleLineField.h"
#include "ui/components/SymbolButton.h"
#include "ui/components/TagChip.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollArea>
#include <QShortcut>
#include <QVBoxLayout>
#include <QtMath>

#include <functional>

namespace {

// The new tag's name field. Escape there gives up the tag and leaves the field (for the "+" in
// its place); only the next one leaves the editor.
class NewTagField : public SingleLineField {
public:
    NewTagField(std::function<void()> cancel, QWidget* parent)
        : SingleLineField(parent), cancel_(std::move(cancel)) {}

protected:
    bool event(QEvent* event) override {
        // Ahead of the editor's Escape shortcut.
        if (event->type() == QEvent::ShortcutOverride &&
            isEscape(*static_cast<QKeyEvent*>(event))) {
            event->accept();
            return true;
        }
        return SingleLineField::event(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (isEscape(*event)) {
            event->accept();
            cancel_();
            return;
        }
        SingleLineField::keyPressEvent(event);
    }

private:
    static bool isEscape(const QKeyEvent& event) {
        return event.key() == Qt::Key_Escape &&
               (event.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    }

    std::function<void()> cancel_;
};

} // namespace

ItemEditorView::ItemEditorView(ListStore& store, QWidget* parent) : QWidget(parent), model_(store) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    header_ = new ItemHeaderBar(true, this);
    outer->addWidget(header_);

    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(24);

    auto* headerRow = new QHBoxLayout;
    headerRow->setSpacing(16);
    tick_ = new TickButton(content);
    headerRow->addWidget(tick_, 0, Qt::AlignTop);
    name_ = new ItemNameField(content);
    name_->setPlaceholderText(ItemEditorModel::namePrompt);
    Accessibility::apply(name_, {ItemEditorModel::nameLabel, {}, {}, {}, {}});
    // The name's first line stands level with the 44-point buttons beside it.
    auto* nameBox = new QVBoxLayout;
    nameBox->setContentsMargins(0, qMax(0, (44 - name_->fontMetrics().lineSpacing()) / 2), 0, 0);
    nameBox->addWidget(name_);
    headerRow->addLayout(nameBox, 1);
    star_ = new SymbolButton(QStringLiteral("star"), DesignFont::styleSize(TextStyle::title3),
                             Theme::Colour::onSurfaceVariant, QString(), content);
    headerRow->addWidget(star_, 0, Qt::AlignTop);
    column->addLayout(headerRow);

    auto* tags = new QVBoxLayout;
    tags->setSpacing(8);
    tags->addWidget(new TextLabel(ItemEditorModel::tagsCaption, DesignFont::smallHeading(),
                                  Theme::Colour::onSurfaceVariant, content));
    tagFlow_ = new QWidget(content);
    new FlowLayout(4, tagFlow_);
    tags->addWidget(tagFlow_);
    column->addLayout(tags);

    notes_ = new NotesSectionView(model_.notes(), content);
    column->addWidget(notes_);
    column->addStretch(1);

    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The page scrolls to whatever control Tab reaches; the area itself is no stop.
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setWidget(new EditorPage(content));
    outer->addWidget(scroll_, 1);

    connect(header_, &ItemHeaderBar::backRequested, &model_, &ItemEditorModel::back);
    connect(header_, &ItemHeaderBar::deleteRequested, &model_, &ItemEditorModel::deleteItem);
    connect(tick_, &QAbstractButton::clicked, &model_, &ItemEditorModel::tick);
    connect(star_, &QAbstractButton::clicked, &model_, &ItemEditorModel::toggleStar);
    connect(name_, &ItemNameField::edited, &model_, &ItemEditorModel::editName);
    connect(name_, &ItemNameField::focusChanged, &model_, &ItemEditorModel::setNameFocused);
    connect(&model_, &ItemEditorModel::nameReplaced, this,
            [this] { name_->replaceText(model_.name()); });
    connect(&model_, &ItemEditorModel::changed, this, &ItemEditorView::refresh);
    connect(&model_, &ItemEditorModel::closeRequested, this, &ItemEditorView::closeRequested);
    for (const QKeySequence& keys :
         QKeySequence::keyBindings(QKeySequence::Back) + QList{QKeySequence(Qt::Key_Escape)}) {
        auto* back = new QShortcut(keys, this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        connect(back, &QShortcut::activated, &model_, &ItemEditorModel::back);
    }
    refresh();
}

ItemEditorView::~ItemEditorView() {
    // Taken away without Back (another list opened, the window closing): the name still counts.
    model_.commit();
}

ItemEditorView* ItemEditorView::open(ListStore& store, const ItemRoute& route,
                                     NoteAuthorName::ShareLookup lookup, QWidget* parent) {
    auto* view = new ItemEditorView(store, parent);
    view->model().notes().setShareLookup(std::move(lookup));
    view->model().show(route);
    return view;
}

QList<QWidget*> ItemEditorView::focusStops() {
    return FocusOrder::inReadingOrder(this);
}

void ItemEditorView::takeFocus() {
    const QList<QWidget*> stops = focusStops();
    if (!stops.isEmpty())
        FocusOrder::focus(stops.first(), true);
}

void ItemEditorView::refresh() {
    const ItemEditorModel::Face face = model_.face();
    header_->setCanDelete(face.canDelete);
    tick_->setDone(face.done, face.tickLabel);
    star_->setSymbol(face.starred ? QStringLiteral("star.fill") : QStringLiteral("star"));
    star_->setColour(face.starred ? Theme::Colour::accent : Theme::Colour::onSurfaceVariant);
    star_->setAccessible({face.starLabel, {}, {}, {}, {}});
    name_->setEnabled(face.canEdit);
    if (face.pageLabel != shownPageLabel_) {
        shownPageLabel_ = face.pageLabel;
        Accessibility::apply(this, {face.pageLabel, {}, {}, {}, {}});
    }
    if (name_->text() != model_.name() && !name_->hasFocus())
        name_->replaceText(model_.name());
    rebuildTags(face);
}

void ItemEditorView::rebuildTags(const ItemEditorModel::Face& face) {
    if (tagsShown_ && face.chips == shownChips_ && face.showsAddTag == shownAddTag_ &&
        model_.addingTag() == shownAddingTag_)
        return;
    // Where the keyboard is among the tags, to put it back on the control made in its place:
    // Qt would hand it to the next control of the window as the old one hides (the lists page).
    QWidget* focused = QApplication::focusWidget();
    const bool focusInTags = focused && tagFlow_->isAncestorOf(focused);
    std::optional<QString> focusedTag;
    for (TagChip* chip : std::as_const(chips_))
        if (chip == focused)
            focusedTag = chip->tag();
    QLayout* flow = tagFlow_->layout();
    QList<QWidget*> old;
    while (QLayoutItem* item = flow->takeAt(0)) {
        if (QWidget* widget = item->widget())
            old.append(widget);
        delete item;
    }
    chips_.clear();
    addTag_ = nullptr;
    newTag_ = nullptr;
    for (const ItemEditorModel::Chip& chip : face.chips) {
        auto* button = new TagChip(chip.tag, chip.selected, tagFlow_);
        AccessibleSpec spec{chip.accessibilityLabel, {}, {}, {}, {}};
        if (chip.selected)
            spec.traits |= AccessibleTrait::selected;
        button->setAccessible(spec);
        button->setEnabled(face.canEdit);
        const QString tag = chip.tag;
        connect(button, &QAbstractButton::clicked, this, [this, tag] { model_.toggleTag(tag); });
        flow->addWidget(button);
        chips_.append(button);
    }
    if (face.showsAddTag && !model_.addingTag()) {
        addTag_ =
            new SymbolButton(QStringLiteral("plus"), DesignFont::styleSize(TextStyle::footnote),
                             Theme::Colour::primary, ItemEditorModel::addTagLabel, tagFlow_);
        // As tall as a chip, so the plus stands level with the chips' words.
        addTag_->setFixedHeight(
            qCeil(TagChip::sizeFor(QStringLiteral("+"), TagChip::chipFont()).height()));
        connect(addTag_, &QAbstractButton::clicked, this, [this] {
            model_.startNewTag();
            if (newTag_)
                newTag_->setFocus(Qt::OtherFocusReason);
        });
        flow->addWidget(addTag_);
    } else if (face.showsAddTag) {
        newTag_ = new NewTagField([this] { model_.cancelNewTag(); }, tagFlow_);
        newTag_->setPlaceholderText(ItemEditorModel::newTagPrompt);
        newTag_->setFont(DesignFont::monospaced(12, QFont::Medium));
        newTag_->setFrame(false);
        newTag_->setMinimumSize(90, 44);
        newTag_->setText(model_.newTag());
        Accessibility::apply(newTag_, {ItemEditorModel::newTagLabel, {}, {}, {}, {}});
        connect(newTag_, &QLineEdit::textEdited, &model_, &ItemEditorModel::setNewTag);
        connect(newTag_, &QLineEdit::returnPressed, &model_, &ItemEditorModel::commitNewTag);
        flow->addWidget(newTag_);
    }
    shownChips_ = face.chips;
    shownAddTag_ = face.showsAddTag;
    shownAddingTag_ = model_.addingTag();
    tagsShown_ = true;
    if (focusInTags)
        keepTagFocus(focusedTag);
    // Later, not now: the button or field that asked for this may still be in its signal.
    for (QWidget* widget : std::as_const(old)) {
        widget->hide();
        widget->deleteLater();
    }
}

void ItemEditorView::keepTagFocus(const std::optional<QString>& tag) {
    // A chip pressed from the keyboard keeps it; the new-tag field, done, hands it to the "+"
    // that takes its place (and the "+" to the field, which its click then focuses).
    QWidget* target = nullptr;
    for (TagChip* chip : std::as_const(chips_))
        if (tag && chip->tag() == *tag)
            target = chip;
    if (!target)
        target = addTag_ ? static_cast<QWidget*>(addTag_) : newTag_;
    if (target && target->isEnabled()) {
        // Shown now rather than at the next turn, as the layout would: a hidden control takes
        // no focus. Laid out too, so a later Tab goes on from where the control stands.
        target->show();
        tagFlow_->layout()->activate();
        target->setFocus(Qt::OtherFocusReason);
        return;
    }
    // No tag control is left to take it (the list became read-only): the editor's first one.
    takeFocus();
}

void ItemEditorView::hideEvent(QHideEvent* event) {
    model_.commit();
    QWidget::hideEvent(event);
}

void ItemEditorView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Theme::Colour::background.resolved());
}
