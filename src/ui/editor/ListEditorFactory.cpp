// The list editor for the window's sheets.
#include "ListEditorFactory.h"

#include "ListEditorModel.h"
#include "ListEditorSheet.h"

#include "store/ListStore.h"
#include "ui/window/WindowNavigation.h"

QDialog* makeListEditorSheet(ListStore& store, WindowNavigation* navigation,
                             const std::optional<QString>& listID, QWidget* parent) {
    ListEditorMode mode = ListEditorMode::create();
    if (listID) {
        const TBList* list = store.findList(*listID);
        if (!list)
            return nullptr;
        mode = ListEditorMode::edit(*list);
    }
    if (!ListEditorModel::canOpen(store, mode))
        return nullptr;
    auto* sheet = new ListEditorSheet(store, mode, parent);
    if (navigation) {
        QObject::connect(sheet, &ListEditorSheet::listCreated, navigation,
                         [navigation](const QString& id) { navigation->setOpenListID(id); });
    }
    return sheet;
}
