#pragma once

#include "ItemEditorModel.h"

#include <QList>
#include <QWidget>

#include <optional>

class ItemHeaderBar;
class ItemNameField;
class NotesSectionView;
class QScrollArea;
class SingleLineField;
class SymbolButton;
class TagChip;
class TickButton;

// The item editor, pushed in the window's detail column: the header bar (Back, "Delete item"),
// then a scrolling page with the tick, the name and the star, the tags, and the notes.
// Everything it shows comes from its ItemEditorModel; leaving (Back, or the editor going away)
// writes a changed name. closeRequested() asks the host to take the editor away. Escape and
// Alt+Left (the desktop's Back) do what Back does while the keyboard is in the editor; Tab goes
// through its controls in reading order, and the keyboard stays among the tags as they are made
// again (a chip pressed, a new tag added). A screen reader hears the editor named by its item.
class ItemEditorView : public QWidget {
    Q_OBJECT

public:
    ItemEditorView(ListStore& store, QWidget* parent = nullptr);
    ~ItemEditorView() override;

    // An editor for one item; `lookup` finds the list's share for the author name of notes.
    static ItemEditorView* open(ListStore& store, const ItemRoute& route,
                                NoteAuthorName::ShareLookup lookup, QWidget* parent = nullptr);

    ItemEditorModel& model() { return model_; }
    ItemHeaderBar& header() const { return *header_; }
    TickButton& tick() const { return *tick_; }
    ItemNameField& nameField() const { return *name_; }
    SymbolButton& star() const { return *star_; }
    const QList<TagChip*>& chips() const { return chips_; }
    SymbolButton* addTagButton() const { return addTag_; }
    SingleLineField* newTagField() const { return newTag_; }
    NotesSectionView& notes() const { return *notes_; }
    QScrollArea& scrollArea() const { return *scroll_; }
    // The stops of Tab in the editor, in reading order.
    QList<QWidget*> focusStops();
    // Gives the keyboard to the editor's first control, as Tab would (the window does when the
    // editor opens while the keyboard was on the list).
    void takeFocus();

signals:
    void closeRequested();

protected:
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();
    void rebuildTags(const ItemEditorModel::Face& face);
    // Gives the keyboard, which was among the tags, to the chip of `tag` or the "+".
    void keepTagFocus(const std::optional<QString>& tag);

    ItemEditorModel model_;
    ItemHeaderBar* header_;
    QScrollArea* scroll_;
    TickButton* tick_;
    ItemNameField* name_;
    SymbolButton* star_;
    QWidget* tagFlow_;
    QList<TagChip*> chips_;
    SymbolButton* addTag_ = nullptr;
    SingleLineField* newTag_ = nullptr;
    // What the tag flow was built from.
    QList<ItemEditorModel::Chip> shownChips_;
    bool shownAddTag_ = false;
    bool shownAddingTag_ = false;
    bool tagsShown_ = false;
    QString shownPageLabel_;
    NotesSectionView* notes_;
};
