#pragma once

#include "ui/window/ListPlaceholderModel.h"

#include <QWidget>

class QAbstractButton;
class ReadingColumn;

// The detail column while no list is open (ListPlaceholderModel says what it shows): the empty
// state, centred in a reading column over the background, and the round add button in the
// bottom-trailing corner.
class ListPlaceholderPane : public QWidget {
    Q_OBJECT
public:
    explicit ListPlaceholderPane(ListPlaceholderModel model, QWidget* parent = nullptr);

    QAbstractButton* newListButton() const { return newListButton_; }
    QAbstractButton* addButton() const { return addButton_; }
    ReadingColumn* readingColumn() const { return column_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeCornerButton();

    ListPlaceholderModel model_;
    ReadingColumn* column_;
    QAbstractButton* newListButton_;
    QAbstractButton* addButton_;
};
