// The list screen's sheets, shown by the window.
#include "ui/window/ListScreenSheets.h"

#include "ui/window/WindowSheets.h"

namespace {

WindowSheet windowSheet(ListDetailModel::Sheet sheet) {
    switch (sheet) {
    case ListDetailModel::Sheet::listEditor:
        return WindowSheet::editList;
    case ListDetailModel::Sheet::tagOrder:
        return WindowSheet::tagOrder;
    case ListDetailModel::Sheet::itemEditor:
        break;
    }
    return WindowSheet::itemEditor;
}

} // namespace

ListScreenSheets::ListScreenSheets(ListDetailModel& screen, WindowSheets& sheets, QWidget* host,
                                   QObject* parent)
    : QObject(parent), screen_(screen), sheets_(sheets), host_(host) {
    screen_.setSheetsOffered([this](ListDetailModel::Sheet sheet) {
        return sheet == ListDetailModel::Sheet::itemEditor || sheets_.has(windowSheet(sheet));
    });
    // A sheet registered later makes its controls appear.
    connect(&sheets_, &WindowSheets::added, this, [this] { screen_.refreshNow(); });
    connect(&screen_, &ListDetailModel::stateChanged, this, &ListScreenSheets::follow);
    follow();
}

void ListScreenSheets::follow() {
    const ListDetailState& state = screen_.state();
    ask(ListDetailModel::Sheet::listEditor, state.editing);
    ask(ListDetailModel::Sheet::tagOrder, state.arrangingTags);
    askForMessage();
}

void ListScreenSheets::askForMessage() {
    const std::optional<QString>& message = screen_.state().message;
    if (!message || askedForMessage_)
        return;
    askedForMessage_ = true;
    WindowSheetSubject subject;
    subject.message = *message;
    sheets_.present(WindowSheet::message, subject, host_, this, [this] {
        askedForMessage_ = false;
        screen_.dismissMessage();
    });
}

void ListScreenSheets::ask(ListDetailModel::Sheet sheet, bool wanted) {
    if (!wanted || asked_.contains(sheet))
        return;
    asked_.insert(sheet);
    WindowSheetSubject subject;
    if (sheet == ListDetailModel::Sheet::itemEditor)
        subject.item = screen_.state().openItem;
    else
        subject.list = screen_.snapshot().list; // none: the list went away, an empty sheet
    sheets_.present(windowSheet(sheet), subject, host_, this, [this, sheet] {
        asked_.remove(sheet);
        screen_.sheetClosed(sheet);
    });
}
