#pragma once

#include <QWidget>

class StoreNoticeModel;
class TextButton;
class TextLabel;

// The band across the top of the window's content that tells of trouble with the store file
// (StoreNoticeModel says what and when): a warning symbol, the title, the store's own words and,
// while a retry could help, "Try Again". It takes no focus from the lists and asks nothing: the
// window goes on working beneath it. Hidden while there is nothing to tell.
class StoreNoticeBanner : public QWidget {
    Q_OBJECT
public:
    explicit StoreNoticeBanner(StoreNoticeModel& model, QWidget* parent = nullptr);

    // A column with a banner over `content`, which it takes; the window's central widget.
    static QWidget* above(QWidget* content, StoreNoticeModel& model);

    TextLabel* titleLabel() const { return title_; }
    TextLabel* messageLabel() const { return message_; }
    TextButton* tryAgainButton() const { return tryAgain_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    StoreNoticeModel& model_;
    TextLabel* title_;
    TextLabel* message_;
    TextButton* tryAgain_;
};
