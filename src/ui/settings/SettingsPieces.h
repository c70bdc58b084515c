#pragma once

#include "ui/components/PaintedButton.h"

#include <QWidget>

class QVariantAnimation;

// The small pieces of the settings rows.

// The size of the rows' chevrons, which never follows the text scale: the footnote size, plus
// the margin the symbol font leaves around its chevrons.
double settingsChevronPoints();

// A count on an accent capsule, at least 24 by 24; hidden from accessibility (the row says it).
class SettingsCountBadge : public QWidget {
    Q_OBJECT
public:
    explicit SettingsCountBadge(int count, QWidget* parent = nullptr);

    void setCount(int count);
    int count() const { return count_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int count_;
};

// A hairline between rows, inset on the leading side (62: where row labels start; 16 in the
// sound picker and between voice rows).
class SettingsRowDivider : public QWidget {
    Q_OBJECT
public:
    explicit SettingsRowDivider(int inset = 62, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int inset_;
};

// A card of a settings section: its content on the card colour with rounded corners, no padding
// of its own (rows bring theirs).
class SettingsCard : public QWidget {
    Q_OBJECT
public:
    explicit SettingsCard(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A whole row that is one button: a click anywhere in it, empty space included, activates it.
// The row's content is laid out inside; the button paints only the press and the focus ring.
class SettingsLink : public PaintedButton {
    Q_OBJECT
public:
    explicit SettingsLink(QWidget* content, QWidget* parent = nullptr);

    QWidget* content() const { return content_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

protected:
    void paintFace(QPainter& painter) override;

private:
    QWidget* content_;
};

// An on/off switch: a capsule track in the primary colour when on, a round knob.
class SettingsSwitch : public PaintedButton {
    Q_OBJECT
public:
    explicit SettingsSwitch(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintFace(QPainter& painter) override;
};

// The turn of a folding chevron: pointing down while closed, up while open, turning half a
// turn over 0.2 seconds (eased in and out) when the state changes on screen.
class ChevronTurn {
public:
    explicit ChevronTurn(QWidget* widget); // the animation is the widget's child
    ChevronTurn(const ChevronTurn&) = delete;
    ChevronTurn& operator=(const ChevronTurn&) = delete;

    void setOpen(bool open);
    bool isOpen() const { return open_; }
    // Paints the chevron at its present angle, centred in `box`.
    void paint(QPainter& painter, const QRectF& box) const;

private:
    QWidget* widget_;
    QVariantAnimation* animation_;
    bool open_ = false;
    double degrees_ = 0;
};

// The chevron that folds an explanation, in a 44 by 44 square that takes clicks; the footnote
// size at every text scale.
class SettingsDisclosureChevron : public PaintedButton {
    Q_OBJECT
public:
    explicit SettingsDisclosureChevron(QWidget* parent = nullptr);

    void setOpen(bool open) { turn_.setOpen(open); }
    bool isOpen() const { return turn_.isOpen(); }
    QSize sizeHint() const override { return {44, 44}; }

protected:
    void paintFace(QPainter& painter) override;

private:
    ChevronTurn turn_;
};
