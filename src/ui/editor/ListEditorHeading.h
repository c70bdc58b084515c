#pragma once

#include <QWidget>

class ListBadge;
class ListEditorModel;
class TextLabel;

// The top of the list editor: the badge of the list as it will look, its name (or "New list")
// and its kind. One element for a screen reader.
class ListEditorHeading : public QWidget {
    Q_OBJECT
public:
    explicit ListEditorHeading(const ListEditorModel& model, QWidget* parent = nullptr);

    void sync();

private:
    const ListEditorModel& model_;
    ListBadge* badge_;
    TextLabel* name_;
    TextLabel* kind_;
};
