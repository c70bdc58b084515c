#pragma once

#include <QWidget>

class PrimaryButton;

// What the lists page shows while there are no lists: a large checklist symbol, "No lists yet",
// a line on what lists are for, and "Make a list".
class ListsEmptyState : public QWidget {
    Q_OBJECT

public:
    explicit ListsEmptyState(QWidget* parent = nullptr);
    PrimaryButton* actionButton() const { return action_; }

signals:
    void makeListRequested();

private:
    PrimaryButton* action_;
};
