#pragma once

#include <QWidget>

class LabelButton;
class QHBoxLayout;
class TextLabel;

// The top bar of the circles screens and the people sheets: a leading button (a back control
// with a chevron, or "Cancel"), the title centred in the whole bar, and room for a trailing
// control. A title too long for the room between the two goes on a row of its own under them.
class PeopleNavBar : public QWidget {
    Q_OBJECT

public:
    enum class Leading { back, cancel, none };

    PeopleNavBar(Leading leading, const QString& leadingTitle, const QString& title,
                 QWidget* parent = nullptr);

    void setTitle(const QString& title);
    QString title() const;
    // Placed at the trailing edge; the bar takes ownership. One at most.
    void setTrailing(QWidget* control);
    LabelButton* leadingButton() const { return leading_; }

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

signals:
    void leadingClicked();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Place {
        QRect title;
        bool ownRow = false; // the title is under the buttons
    };
    int rowHeight() const;
    Place placeFor(int width) const;
    void placeTitle();

    LabelButton* leading_ = nullptr;
    QWidget* trailing_ = nullptr;
    TextLabel* title_;
    QString fullTitle_;
};
