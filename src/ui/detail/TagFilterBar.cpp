// The tag filter chips.
#include "TagFilterBar.h"

#include "GroupChip.h"
#include "ui/components/Accessibility.h"
#include "ui/components/TagChip.h"
#include "ui/theme/ThemeColour.h"

#include <QHBoxLayout>
#include <QScrollBar>

TagFilterBar::TagFilterBar(const QList<DetailSnapshot::FilterChip>& chips, QWidget* parent)
    : SidewaysScrollArea(parent), chips_(chips) {
    setWidgetResizable(true);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    auto* strip = new QWidget;
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(16, 0, 16, 8);
    row->setSpacing(8);
    for (const DetailSnapshot::FilterChip& chip : chips) {
        if (chip.tag.isEmpty()) {
            auto* group = new GroupChip(chip.selected, chip.accessibilityLabel, strip);
            connect(group, &QAbstractButton::clicked, this, &TagFilterBar::groupingToggled);
            row->addWidget(group, 0, Qt::AlignVCenter);
            buttons_.append(group);
        } else {
            auto* tag = new TagChip(chip.tag, chip.selected, strip);
            // A toggle: on while its tag filters the items.
            tag->setAccessible({chip.accessibilityLabel,
                                {},
                                {},
                                chip.selected ? AccessibleTraits(AccessibleTrait::toggle |
                                                                 AccessibleTrait::selected)
                                              : AccessibleTraits(AccessibleTrait::toggle),
                                {}});
            const QString name = chip.tag;
            connect(tag, &QAbstractButton::clicked, this, [this, name] { emit tagToggled(name); });
            row->addWidget(tag, 0, Qt::AlignVCenter);
            buttons_.append(tag);
        }
    }
    row->addStretch(1);
    setWidget(strip);
    // The chips lie on the list's own background (setWidget() would fill the strip).
    strip->setAutoFillBackground(false);
    // Chips cut at an edge show there is more, on the list's own background.
    setEdgeCues(Theme::Colour::background);
    // A screen reader finds the chips directly in the bar, without the scroll area's parts.
    Accessibility::apply(this, {});
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
