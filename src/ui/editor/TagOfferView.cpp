// The starter tag offer's card.
#include "TagOfferView.h"

#include "ListEditorModel.h"
#include "RemovableTagChip.h"

#include "ui/components/FlowLayout.h"
#include "ui/components/SymbolButton.h"
#include "ui/components/TextButton.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

using namespace Theme;
using Stage = StarterTagOffer::Stage;

TextLabel* wrapped(const QString& text, double size, DynamicColour colour) {
    auto* label = new TextLabel(text, DesignFont::system(size), colour);
    label->setWordWrap(true);
    return label;
}

// A key of everything the card shows, so a state that shows the same is not rebuilt.
QString signature(const ListEditorModel& model) {
    const StarterTagOffer& offer = model.tagOffer();
    QStringList parts{QString::number(int(offer.stage()))};
    for (const auto type : offer.recognised())
        parts.append(QString::number(int(type)));
    parts.append(model.offerSentence());
    parts.append(offer.tags());
    return parts.join(QChar(0x1F));
}

} // namespace

TagOfferView::TagOfferView(ListEditorModel& model, QWidget* parent)
    : QWidget(parent), model_(model), layout_(new QVBoxLayout(this)) {
    layout_->setContentsMargins(0, 0, 0, 0);
    sync();
}

void TagOfferView::sync() {
    const QString now = signature(model_);
    if (content_ && now == shown_)
        return;
    shown_ = now;
    rebuild();
}

void TagOfferView::rebuild() {
    // The click that changed the offer may come from a button of the old content.
    if (content_) {
        content_->hide();
        content_->deleteLater();
    }
    content_ = new QWidget(this);
    auto* stack = new QVBoxLayout(content_);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(8);
    switch (model_.tagOffer().stage()) {
    case Stage::hidden:
        break;
    case Stage::declined:
        stack->addWidget(declinedRow());
        break;
    case Stage::choosing:
        stack->addWidget(chooserBlock());
        stack->addWidget(declineButton(), 0, Qt::AlignLeft);
        break;
    case Stage::offering:
        stack->addWidget(offerBlock());
        stack->addWidget(declineButton(), 0, Qt::AlignLeft);
        break;
    case Stage::bare:
        stack->addWidget(declineButton(), 0, Qt::AlignLeft);
        break;
    }
    layout_->addWidget(content_);
}

QWidget* TagOfferView::declinedRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(wrapped(ListEditorModel::declinedText(), 17, Colour::onSurface), 1);
    auto* undo =
        new TextButton(ListEditorModel::undoTitle(), {DesignFont::system(17), Colour::primary,
                                                      QMargins(8, 0, 8, 0), 44, std::nullopt});
    undo->setAccessible({ListEditorModel::undoAccessibilityLabel(), {}, {}, {}, {}});
    connect(undo, &QAbstractButton::clicked, &model_, &ListEditorModel::undoDeclineTags);
    layout->addWidget(undo);
    return row;
}

QWidget* TagOfferView::chooserBlock() {
    auto* block = new QWidget;
    auto* layout = new QVBoxLayout(block);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(wrapped(ListEditorModel::kindQuestion(), 17, Colour::onSurface));
    auto* kinds = new QWidget;
    auto* flow = new FlowLayout(8, kinds);
    for (const auto type : model_.tagOffer().recognised()) {
        auto* button = new TextButton(StarterTagOffer::displayName(type),
                                      {DesignFont::monospaced(12, QFont::Medium), Colour::primary,
                                       QMargins(8, 0, 8, 0), 44, Colour::chip});
        button->setAccessible(
            {ListEditorModel::kindButtonAccessibilityLabel(type), {}, {}, {}, {}});
        connect(button, &QAbstractButton::clicked, &model_,
                [this, type] { model_.chooseTagType(type); });
        flow->addWidget(button);
    }
    layout->addWidget(kinds);
    return block;
}

QWidget* TagOfferView::offerBlock() {
    auto* block = new QWidget;
    auto* layout = new QVBoxLayout(block);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(wrapped(model_.offerSentence(), 17, Colour::onSurface));
    auto* chips = new QWidget;
    auto* flow = new FlowLayout(8, chips);
    for (const QString& tag : model_.tagOffer().tags()) {
        auto* chip = new RemovableTagChip(tag, ListEditorModel::removeTagAccessibilityLabel(tag));
        connect(chip, &QAbstractButton::clicked, &model_,
                [this, tag] { model_.removeOfferedTag(tag); });
        flow->addWidget(chip);
    }
    auto* add =
        new SymbolButton(QStringLiteral("plus"), DesignFont::designSize(13, FontScaling::scaled),
                         Colour::onSurfaceVariant, ListEditorModel::newTagLabel());
    add->setObjectName(QStringLiteral("newStarterTag"));
    connect(add, &QAbstractButton::clicked, this, &TagOfferView::newTagRequested);
    flow->addWidget(add);
    layout->addWidget(chips);
    layout->addWidget(wrapped(ListEditorModel::offerHint(), 15, Colour::onSurfaceVariant));
    return block;
}

QWidget* TagOfferView::declineButton() {
    auto* decline = new TextButton(
        ListEditorModel::declineTitle(),
        {DesignFont::system(15), Colour::onSurfaceVariant, QMargins(0, 0, 0, 0), 44, std::nullopt});
    decline->setAccessible({ListEditorModel::declineTitle(), {}, {}, {}, {}});
    connect(decline, &QAbstractButton::clicked, &model_, &ListEditorModel::declineTags);
    return decline;
}
