#pragma once

#include "ui/theme/DynamicColour.h"

#include <QScrollArea>

// A strip that scrolls sideways without scroll bars. An ordinary mouse wheel turns only
// up and down, so its turns move the strip sideways; otherwise chips past the edge could
// be reached only with a touchpad or a tilting wheel.
//
// With edge cues, an edge beyond which more of the strip lies fades into the ground the strip
// lies on and shows a chevron, so the cut is seen as more to come; a click on a cue scrolls the
// strip that way by most of its width, and the wheel over it turns the strip as over the chips.
// The cues take no focus (Tab reaches every chip) and a screen reader passes them over.
class SidewaysScrollArea : public QScrollArea {
    Q_OBJECT

public:
    explicit SidewaysScrollArea(QWidget* parent = nullptr);

    // Shows the edge cues, faded into `ground`.
    void setEdgeCues(DynamicColour ground);
    // The cue of the left or right edge while it shows, or null.
    QWidget* cue(Qt::Edge edge) const;
    static constexpr int cueWidth = 40;

protected:
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    class EdgeCue;
    void placeCues();
    void scrollPage(int direction);
    // Where the strip's own contents lie, in this widget: the cue's chevron is centred on them.
    int contentsMiddle() const;

    EdgeCue* leftCue_ = nullptr;
    EdgeCue* rightCue_ = nullptr;
};
