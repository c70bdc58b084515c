#pragma once

#include <QWidget>

class TextButton;

// The bar at the top of the item editor: a round back button and, when the item may be
// deleted, "Delete item" in the error colour. The bar keeps its height without the delete
// button.
class ItemHeaderBar : public QWidget {
    Q_OBJECT
public:
    explicit ItemHeaderBar(bool canDelete, QWidget* parent = nullptr);

    void setCanDelete(bool canDelete);
    bool canDelete() const;

signals:
    void backRequested();
    void deleteRequested();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TextButton* delete_;
};
