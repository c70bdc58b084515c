#pragma once

#include <QWidget>

class LabelButton;
class ListsScreenModel;
class TextLabel;

// The heading of the lists page under the brand bar: "Your lists" over the summary line (a
// click counts something else), and the Edit/Done pill on the title's baseline.
class ListsHeading : public QWidget {
    Q_OBJECT

public:
    ListsHeading(ListsScreenModel& screen, QWidget* parent = nullptr);

    LabelButton* summaryButton() const { return summary_; }
    LabelButton* editButton() const { return edit_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void sync();

    ListsScreenModel& screen_;
    TextLabel* title_;
    LabelButton* summary_;
    LabelButton* edit_;
};
