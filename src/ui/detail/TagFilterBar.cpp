// The tag filter chips.
#include "TagFilterBar.h"

#include "GroupChip.h"
#include "ui/components/Accessibility.h"
#include "ui/components/TagChip.h"
#include "ui/theme/ThemeColour.h"

#include <QHBoxLayout>
#include <QHash>
#include <QScrollBar>

namespace {

// What a screen reader is told of a tag's chip: a toggle, on while its tag filters the items.
AccessibleSpec tagSpec(const DetailSnapshot::FilterChip& chip) {
    return {chip.accessibilityLabel,
            {},
            {},
            chip.selected ? AccessibleTraits(AccessibleTrait::toggle | AccessibleTrait::selected)
                          : AccessibleTraits(AccessibleTrait::toggle),
            {}};
}

} // namespace

TagFilterBar::TagFilterBar(const QList<DetailSnapshot::FilterChip>& chips, QWidget* parent)
    : SidewaysScrollArea(parent) {
    setWidgetResizable(true);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    strip_ = new QWidget;
    row_ = new QHBoxLayout(strip_);
    row_->setContentsMargins(16, 0, 16, 8);
    row_->setSpacing(8);
    row_->addStretch(1);
    setWidget(strip_);
    // The chips lie on the list's own background (setWidget() would fill the strip).
    strip_->setAutoFillBackground(false);
    // Chips cut at an edge show there is more, on the list's own background.
    setEdgeCues(Theme::Colour::background);
    // A screen reader finds the chips directly in the bar, without the scroll area's parts.
    Accessibility::apply(this, {});
    Accessibility::setChildren(this, {});
    setChips(chips);
}

void TagFilterBar::setChips(const QList<DetailSnapshot::FilterChip>& chips) {
    if (chips == chips_)
        return;
    // Chips are kept by their tag (Group by its empty one): a chip that stays is told only what
    // changed of it, and the keyboard stays on it.
    QHash<QString, QWidget*> kept;
    for (int i = 0; i < buttons_.size(); ++i)
        kept.insert(chips_.at(i).tag, buttons_.at(i));
    QList<QWidget*> next;
    for (int i = 0; i < chips.size(); ++i) {
        const DetailSnapshot::FilterChip& chip = chips.at(i);
        QWidget* button = kept.take(chip.tag);
        if (chip.tag.isEmpty()) {
            if (auto* group = qobject_cast<GroupChip*>(button)) {
                group->setGrouping(chip.selected, chip.accessibilityLabel);
            } else {
                auto* fresh = new GroupChip(chip.selected, chip.accessibilityLabel, strip_);
                connect(fresh, &QAbstractButton::clicked, this, &TagFilterBar::groupingToggled);
                button = fresh;
            }
        } else if (auto* tag = qobject_cast<TagChip*>(button)) {
            tag->setFace(chip.selected, tagSpec(chip));
        } else {
            auto* fresh = new TagChip(chip.tag, chip.selected, tagSpec(chip), strip_);
            const QString name = chip.tag;
            connect(fresh, &QAbstractButton::clicked, this,
                    [this, name] { emit tagToggled(name); });
            button = fresh;
        }
        if (row_->indexOf(button) != i) {
            row_->removeWidget(button);
            row_->insertWidget(i, button, 0, Qt::AlignVCenter);
        }
        button->show();
        next.append(button);
    }
    // A chip may be the sender whose click led here: it goes once its signal is over. The
    // keyboard's chip going hands the focus on to its neighbour through the list's view.
    for (QWidget* old : std::as_const(kept)) {
        row_->removeWidget(old);
        old->hide();
        old->deleteLater();
    }
    chips_ = chips;
    buttons_ = next;
    Accessibility::setChildren(this, buttons_);
}

int TagFilterBar::placeOf(const QWidget* widget) const {
    for (int i = 0; i < buttons_.size(); ++i)
        if (widget && (buttons_.at(i) == widget || buttons_.at(i)->isAncestorOf(widget)))
            return i;
    return -1;
}

int TagFilterBar::placeOfTag(const QString& tag) const {
    for (int i = 0; i < chips_.size(); ++i)
        if (chips_.at(i).tag == tag)
            return i;
    return -1;
}

int TagFilterBar::heightForWidth(int) const {
    return widget()->sizeHint().height();
}

QSize TagFilterBar::sizeHint() const {
    return {400, widget()->sizeHint().height()};
}
