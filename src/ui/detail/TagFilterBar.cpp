// The tag filter chips.
#include "TagFilterBar.h"

#include "GroupChip.h"
#include "ui/components/TagChip.h"

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
            tag->setAccessible({chip.accessibilityLabel,
                                {},
                                {},
                                chip.selected ? AccessibleTraits(AccessibleTrait::button |
                                                                 AccessibleTrait::selected)
                                              : AccessibleTraits(AccessibleTrait::button),
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
}

int TagFilterBar::heightForWidth(int) const {
    return widget()->sizeHint().height();
}

QSize TagFilterBar::sizeHint() const {
    return {400, widget()->sizeHint().height()};
}
