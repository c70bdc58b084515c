#pragma once

#include "DetailSnapshot.h"

#include "SidewaysScrollArea.h"

class QHBoxLayout;

// The row of filter chips above a list's items: the Group chip, then one chip per tag of the
// list. It scrolls sideways when the chips are wider than the pane, by the wheel or a click on
// the cue at a cut edge. The strip itself takes no
// focus; Tab stops on each chip, and the strip scrolls to show it. New chips keep the chips
// that stay, by their tag: only a chip that changed is told so to a screen reader, and one
// that has the keyboard keeps it.
class TagFilterBar : public SidewaysScrollArea {
    Q_OBJECT

public:
    explicit TagFilterBar(const QList<DetailSnapshot::FilterChip>& chips,
                          QWidget* parent = nullptr);
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int) const override;
    QSize sizeHint() const override;
    const QList<DetailSnapshot::FilterChip>& chips() const { return chips_; }
    void setChips(const QList<DetailSnapshot::FilterChip>& chips);
    // The chips' buttons, from the left: Tab stops on each.
    QList<QWidget*> chipButtons() const { return buttons_; }
    // The place of the chip that is `widget` or holds it, or -1.
    int placeOf(const QWidget* widget) const;
    // The place of the chip of `tag` (empty for Group), or -1.
    int placeOfTag(const QString& tag) const;

signals:
    void groupingToggled();
    void tagToggled(const QString& tag);

private:
    QWidget* strip_;
    QHBoxLayout* row_;
    QList<DetailSnapshot::FilterChip> chips_;
    QList<QWidget*> buttons_;
};
