#pragma once

#include "AddBarFace.h"

#include "SidewaysScrollArea.h"

class ListDetailModel;
class QHBoxLayout;
class SingleLineField;
class SymbolButton;
class TagChip;

// The tag chips above the add field: one chip per tag the new item could carry (on when the
// draft carries it, marked when it is the proposed tag), then the new-tag button, or the
// new-tag field while a tag is being named. It scrolls sideways; a proposed tag's chip beyond
// its edge is scrolled into sight when the tag is proposed, and one that Tab reaches is too.
// Tab stops on each chip and on the new-tag button (Space or Return presses them); a click
// gives them no focus, so typing in the add field goes on after a click. Chips are kept by
// their tag: one that changes is told so, not made again.
class TagChipBar : public SidewaysScrollArea {
    Q_OBJECT

public:
    explicit TagChipBar(ListDetailModel& screen, QWidget* parent = nullptr);

    // Follows the add bar's face: chips are made again only when they changed.
    void follow(const AddBarFace& face);
    QList<TagChip*> chips() const;
    SymbolButton* newTagButton() const { return newTagButton_; }
    SingleLineField* newTagField() const { return newTagField_; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override; // as high as the chips, never a scroll area's own

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followChips(const QList<AddBarFace::Chip>& chips);
    void commit();
    // Scrolls the proposed tag's chip into sight once the strip is laid out.
    void revealSuggestion();

    ListDetailModel& screen_;
    QWidget* strip_;
    QHBoxLayout* row_;
    QList<AddBarFace::Chip> shown_;
    std::optional<QString> revealedSuggestion_;
    QList<TagChip*> chipWidgets_;
    SymbolButton* newTagButton_;
    SingleLineField* newTagField_;
};
