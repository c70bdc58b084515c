#pragma once

#include <QWidget>

class ListEditorModel;
class QVBoxLayout;

// The Tags card of the list editor: the kind chooser, the offered tags with their crosses and
// the add button, the hint and the decline button; or, once declined, "No tags on this list."
// with Undo. Rebuilt from the model when what it shows changes; the prompt for a new tag is
// asked for with newTagRequested().
class TagOfferView : public QWidget {
    Q_OBJECT
public:
    explicit TagOfferView(ListEditorModel& model, QWidget* parent = nullptr);

    // Shows the model's offer; nothing is rebuilt when it is unchanged.
    void sync();

signals:
    void newTagRequested();

private:
    void rebuild();
    QWidget* offerBlock();
    QWidget* chooserBlock();
    QWidget* declinedRow();
    QWidget* declineButton();

    ListEditorModel& model_;
    QVBoxLayout* layout_;
    QWidget* content_ = nullptr;
    QString shown_; // what the content shows, to rebuild only on a change
};
