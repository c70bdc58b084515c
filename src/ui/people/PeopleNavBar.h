#pragma once

#include <QWidget>

class LabelButton;
class QHBoxLayout;
class TextLabel;

// The top bar of the circles screens and the people sheets: a leading button (a back control
// with a chevron, or "Cancel"), the title centred in the whole bar, and room for a trailing
// control. The title elides only when the bar is too narrow for it.
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

signals:
    void leadingClicked();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeTitle();

    LabelButton* leading_ = nullptr;
    QWidget* trailing_ = nullptr;
    TextLabel* title_;
    QString fullTitle_;
};
