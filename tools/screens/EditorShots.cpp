// Gallery pictures of the list editor: a new list, empty, and as it opens with the keyboard on it;
// a new list whose name is recognised, with its starter tags offered; the kind chooser of the
// hammer icon; an edited ongoing list with its retention and group.
#include "GalleryShot.h"
#include "KeyboardFocus.h"

#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "ui/components/SingleLineField.h"
#include "ui/editor/ListEditorModel.h"
#include "ui/editor/ListEditorSheet.h"
#include "ui/editor/MenuField.h"

#include <QCoreApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>

namespace {

// A store with a few lists in groups; it lives as long as the sheet that shows it.
class EditorSample : public QObject {
public:
    EditorSample()
        : clock(Date::fromUnixSeconds(1'796'000'000)),
          store(dir.filePath("store.json"), false, false, defaults, clock) {
        store.setCollection(QStringLiteral("Home"), store.addList(QStringLiteral("Chores")).id);
        store.setCollection(QStringLiteral("Work"), store.addList(QStringLiteral("Reports")).id);
    }

    QTemporaryDir dir;
    MemoryDefaults defaults;
    FixedClock clock;
    ListStore store;
};

// The sheet at its full height, so the picture shows every section.
QWidget* sheet(const std::function<ListEditorMode(EditorSample&)>& mode,
               const std::function<void(ListEditorSheet&)>& arrange = {}) {
    auto* sample = new EditorSample;
    auto* editor = new ListEditorSheet(sample->store, mode(*sample));
    sample->setParent(editor);
    if (arrange)
        arrange(*editor);
    // Grown until nothing scrolls, at the text scale of the picture.
    editor->setAttribute(Qt::WA_DontShowOnScreen);
    editor->resize(480, 800);
    editor->show();
    QCoreApplication::processEvents();
    for (int i = 0; i < 4 && editor->scrollArea()->verticalScrollBar()->maximum() > 0; ++i) {
        editor->resize(480,
                       editor->height() + editor->scrollArea()->verticalScrollBar()->maximum());
        QCoreApplication::processEvents();
    }
    editor->setFixedSize(editor->size());
    return editor;
}

void type(ListEditorSheet& editor, const QString& name) {
    editor.nameField()->setText(name);
    editor.model().setName(name);
}

ListEditorMode create(EditorSample&) {
    return ListEditorMode::create();
}

const GalleryShot::Add empty{{"editor-new", 480, 0, [] { return sheet(create); }}};

// The new list's sheet as it opens: the keyboard on its first control.
const GalleryShot::Add emptyOpened{
    {"editor-new-opened-focus", 480, 0, [] { return sheet(create); }, KeyboardFocus::opened}};

const GalleryShot::Add recognised{{"editor-new-shopping", 480, 0, [] {
                                       return sheet(create, [](ListEditorSheet& editor) {
                                           type(editor, QStringLiteral("Woollies run"));
                                           editor.model().removeOfferedTag(QStringLiteral("meat"));
                                           editor.model().confirmNewTag(QStringLiteral("snacks"));
                                           editor.model().setColourID(QStringLiteral("orange"));
                                       });
                                   }}};

const GalleryShot::Add chooser{{"editor-new-hammer", 480, 0, [] {
                                    return sheet(create, [](ListEditorSheet& editor) {
                                        type(editor, QStringLiteral("Deck"));
                                        editor.model().setIcon(QStringLiteral("hammer"));
                                        editor.model().setHasDueDate(true);
                                    });
                                }}};

// The keyboard on the Group picker: its ring stands around the value, clear of it.
const GalleryShot::Add groupFocus{
    {"editor-group-keyboard", 480, 0,
     [] {
         return sheet([](EditorSample& sample) {
             TBList list = sample.store.addList(QStringLiteral("Pantry top-ups"));
             sample.store.setCollection(QStringLiteral("Home"), list.id);
             return ListEditorMode::edit(*sample.store.findList(list.id));
         });
     },
     [](QWidget* shown) {
         auto* editor = static_cast<ListEditorSheet*>(shown);
         KeyboardFocus::give(editor->groupMenu());
         editor->scrollArea()->ensureWidgetVisible(editor->groupMenu());
     }}};

const GalleryShot::Add edited{{"editor-edit", 480, 0, [] {
                                   return sheet([](EditorSample& sample) {
                                       TBList list =
                                           sample.store.addList(QStringLiteral("Pantry top-ups"));
                                       list.kind = TBListKind::ongoing;
                                       list.icon = QStringLiteral("house");
                                       list.colourID = QStringLiteral("teal");
                                       list.completedRetentionRaw = QStringLiteral("100");
                                       sample.store.updateList(list);
                                       sample.store.setCollection(QStringLiteral("Home"), list.id);
                                       return ListEditorMode::edit(*sample.store.findList(list.id));
                                   });
                               }}};

} // namespace
