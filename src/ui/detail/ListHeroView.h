#pragma once

#include "DetailSnapshot.h"

#include <QWidget>

// The header at the top of a list's items: badge (with a pin mark when pinned), name, status
// line, due chip and, for one-off lists, a progress bar in the list's colour. When the list may
// be edited the whole header is one button that opens the list editor. Painted in one widget;
// its height follows its width (the name wraps onto at most two lines).
class ListHeroView : public QWidget {
    Q_OBJECT

public:
    explicit ListHeroView(const DetailSnapshot::Hero& hero, QWidget* parent = nullptr);
    // Shows new figures in place (a tick changes the progress).
    void setHero(const DetailSnapshot::Hero& hero);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override { return {400, heightForWidth(400)}; }

signals:
    void editRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void describe();
    struct Layout;
    Layout layoutFor(int width) const;

    DetailSnapshot::Hero hero_;
    QFont nameFont_;
    QFont statusFont_;
};
