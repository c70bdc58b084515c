#pragma once

#include "ui/window/ListPlaceholderModel.h"

#include <QWidget>

class QAbstractButton;

// The detail column while no list is open (ListPlaceholderModel says what it shows): an empty
// state in a centred reading column over the background, and the round add button in the
// bottom-trailing corner.
class ListPlaceholderPane : public QWidget {
    Q_OBJECT
public:
    explicit ListPlaceholderPane(ListPlaceholderModel model, QWidget* parent = nullptr);

    QAbstractButton* newListButton() const { return newListButton_; }
    QAbstractButton* addButton() const { return addButton_; }
    QWidget* readingColumn() const { return column_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeCornerButton();

    ListPlaceholderModel model_;
    QWidget* column_;
    QAbstractButton* newListButton_;
    QAbstractButton* addButton_;
};
