// The sheets the window shows. A sheet that is not registered here has its controls hidden.
#include "ui/window/StandardSheets.h"

#include "ui/lists/CollectionEditorSheet.h"
#include "ui/window/WindowSheets.h"

void addStandardSheets(WindowSheets& sheets, ListStore& store) {
    sheets.add(WindowSheet::groupEditor,
               [&store](const WindowSheetSubject& subject, QWidget* parent) -> QDialog* {
                   return subject.group ? new CollectionEditorSheet(store, *subject.group, parent)
                                        : nullptr;
               });
}
