// Gallery pictures of the item editor: an item of a shared list with a long thread of notes
// from three people, and the same item on a list shared read-only; the keyboard on Back, on a
// note, and on the "+" once a new tag was added.
#include "GalleryShot.h"
#include "KeyboardFocus.h"

#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "ui/components/FocusOrder.h"
#include "ui/components/SingleLineField.h"
#include "ui/components/SymbolButton.h"
#include "ui/item/ItemEditorView.h"
#include "ui/item/ItemNameField.h"
#include "ui/item/NoteRowView.h"
#include "ui/item/NotesSectionView.h"

#include <QCoreApplication>

#include <QTemporaryDir>

namespace {

// A store with one shared list and one item with its thread; it lives as long as the editor.
class SampleItem : public QObject {
public:
    SampleItem()
        : clock(Date::fromUnixSeconds(1'796'000'000)),
          store(dir.filePath("store.json"), false, false, defaults, clock) {
        store.signedIn(QStringLiteral("_me"), EngineScope::privateDatabase);
        list = store.addList(QStringLiteral("Weekend in the Lake District"));
        list.hasShare = true;
        store.updateList(list);
        store.addItem(list.id, QStringLiteral("Walking boots #wear"));
        store.addItem(list.id, QStringLiteral("Ordnance Survey map OL7 #maps"));
        itemID =
            store.addItem(list.id, QStringLiteral("Camping stove and two gas canisters #camp"))->id;
        store.setItemPinned(itemID, true);
        const struct {
            const char* id;
            const char* name;
            const char* text;
        } notes[] = {
            {"_ann", "Ann Lee", "I have the small stove from last summer, it still works."},
            {"_me", "Me", "Great, then we only need gas. Two canisters should do for two nights."},
            {"_sam", "Sam Ortiz",
             "The shop in Ambleside sells the screw-on kind. They close at five on Saturdays, so "
             "let's stop there on the way in rather than on the way back."},
            {"_ann", "Ann Lee", "Check the seals before packing!"},
            {"_me", "Me", "Will do."},
            {"_sam", "Sam Ortiz", "Also a lighter — the stove's igniter is broken."},
            {"_ann", "Ann Lee", "Matches in a zip bag too, in case it rains."},
        };
        for (const auto& note : notes) {
            clock.advance(600);
            store.addNote(QString::fromUtf8(note.text), itemID, QString::fromUtf8(note.id),
                          QString::fromUtf8(note.name));
        }
    }

    QWidget* editor() {
        auto* view = ItemEditorView::open(store, {itemID, list.id}, {});
        setParent(view);
        return view;
    }

    QTemporaryDir dir;
    MemoryDefaults defaults;
    FixedClock clock;
    ListStore store;
    TBList list;
    QString itemID;
};

const GalleryShot::Add thread{{"item-editor-thread", 560, 1000, [] {
                                   auto* sample = new SampleItem;
                                   return sample->editor();
                               }}};

// Opened from the keyboard: the focus on Back, which Space, Return, Escape and Alt+Left press.
const GalleryShot::Add keyboard{{"item-editor-keyboard", 560, 400,
                                 [] {
                                     auto* sample = new SampleItem;
                                     return sample->editor();
                                 },
                                 [](QWidget* shown) {
                                     KeyboardFocus::give(shown);
                                     static_cast<ItemEditorView*>(shown)->takeFocus();
                                 }}};

// Tab stops on a note's words too: the note ringed, its delete button beside it.
const GalleryShot::Add noteKeyboard{{"item-editor-note-keyboard", 560, 400,
                                     [] {
                                         auto* sample = new SampleItem;
                                         return sample->editor();
                                     },
                                     [](QWidget* shown) {
                                         auto* editor = static_cast<ItemEditorView*>(shown);
                                         NoteRowView* note = editor->notes().rows().at(1);
                                         KeyboardFocus::give(note);
                                         FocusOrder::focus(note, true);
                                     }}};

// A new tag typed after "+" and Return: the tag's chip is chosen, and the keyboard is back on
// the "+".
const GalleryShot::Add newTagKeyboard{{"item-editor-new-tag-keyboard", 560, 400,
                                       [] {
                                           auto* sample = new SampleItem;
                                           return sample->editor();
                                       },
                                       [](QWidget* shown) {
                                           auto* editor = static_cast<ItemEditorView*>(shown);
                                           KeyboardFocus::give(editor->addTagButton());
                                           editor->addTagButton()->click();
                                           QCoreApplication::processEvents();
                                           editor->newTagField()->setText(QStringLiteral("fuel"));
                                           emit editor->newTagField()->textEdited(
                                               QStringLiteral("fuel"));
                                           emit editor->newTagField()->returnPressed();
                                           QCoreApplication::processEvents();
                                       }}};

// The name taken by the keyboard: ringed, as every field without a border of its own is.
const GalleryShot::Add nameKeyboard{{"item-editor-name-keyboard", 560, 400,
                                     [] {
                                         auto* sample = new SampleItem;
                                         return sample->editor();
                                     },
                                     [](QWidget* shown) {
                                         auto* editor = static_cast<ItemEditorView*>(shown);
                                         KeyboardFocus::give(&editor->nameField());
                                     }}};

// A new tag being typed after "+": the field is ringed.
const GalleryShot::Add newTagFieldKeyboard{{"item-editor-new-tag-field-keyboard", 560, 400,
                                            [] {
                                                auto* sample = new SampleItem;
                                                return sample->editor();
                                            },
                                            [](QWidget* shown) {
                                                auto* editor = static_cast<ItemEditorView*>(shown);
                                                KeyboardFocus::give(editor->addTagButton());
                                                editor->addTagButton()->click();
                                                QCoreApplication::processEvents();
                                                editor->newTagField()->insert(
                                                    QStringLiteral("fuel"));
                                            }}};

const GalleryShot::Add readOnly{{"item-editor-read-only", 560, 1000, [] {
                                     auto* sample = new SampleItem;
                                     TBList theirs = sample->list;
                                     theirs.hasShare = false;
                                     theirs.zoneOwnerName = QStringLiteral("_ann");
                                     theirs.sharePermission = TBSharePermission::readOnly;
                                     sample->store.updateList(theirs);
                                     return sample->editor();
                                 }}};

} // namespace
