#pragma once

#include <QScrollArea>

// A strip that scrolls sideways without scroll bars. An ordinary mouse wheel turns only
// up and down, so its turns move the strip sideways; otherwise chips past the edge could
// be reached only with a touchpad or a tilting wheel.
class SidewaysScrollArea : public QScrollArea {
    Q_OBJECT

public:
    explicit SidewaysScrollArea(QWidget* parent = nullptr);

protected:
    void wheelEvent(QWheelEvent* event) override;
};
