#pragma once

#include <QWidget>

class FloatingAddButton;
class NewGroupPill;

// The controls at the bottom of the lists page: the "New group" pill and the round add button,
// in the centred footer layout (gap 8). The add button keeps the trailing edge; the pill is
// centred in the whole row while it stays clear of the add button, moves left when it would
// not, and shows only its icon when even then it does not fit. In the sidebar the row has the
// sidebar's colour and a hairline on top; on the one-stack page it floats over the list with
// nothing behind it.
class ListsFooter : public QWidget {
    Q_OBJECT

public:
    explicit ListsFooter(QWidget* parent = nullptr);

    NewGroupPill* pill() const { return pill_; }
    FloatingAddButton* addButton() const { return add_; }
    void setPillShown(bool shown);
    void setFloating(bool floating);

    static constexpr int gap = 8;

signals:
    void newGroupRequested();
    void newListRequested();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    NewGroupPill* pill_;
    FloatingAddButton* add_;
    bool floating_ = false;
};
