#pragma once

#include "ShareBadgeFace.h"

#include <QWidget>

// The people badge in a list's toolbar: the sharing symbol and, when known, "+N". No action.
class ShareBadgeView : public QWidget {
    Q_OBJECT

public:
    explicit ShareBadgeView(QWidget* parent = nullptr);
    void setFace(const ShareBadgeFace& face);
    const ShareBadgeFace& face() const { return face_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ShareBadgeFace face_;
};
