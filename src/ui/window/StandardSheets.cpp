// The sheets the window shows. A sheet that is not registered here has its controls hidden.
#include "ui/window/StandardSheets.h"

#include "ui/detail/ArrangeTagsSheet.h"
#include "ui/editor/ListEditorFactory.h"
#include "ui/lists/CollectionEditorSheet.h"
#include "ui/window/WindowSheets.h"

#include <QMessageBox>

namespace {

// A screen's message: its one line as the alert's text, and "OK".
QDialog* messageAlert(const QString& text, QWidget* parent) {
    auto* box = new QMessageBox(parent);
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    box->addButton(QStringLiteral("OK"), QMessageBox::RejectRole);
    return box;
}

} // namespace

void addStandardSheets(WindowSheets& sheets, ListStore& store, WindowNavigation& navigation) {
    sheets.add(WindowSheet::message, [](const WindowSheetSubject& subject, QWidget* parent) {
        return messageAlert(subject.message, parent);
    });
    sheets.add(WindowSheet::groupEditor,
               [&store](const WindowSheetSubject& subject, QWidget* parent) -> QDialog* {
                   return subject.group ? new CollectionEditorSheet(store, *subject.group, parent)
                                        : nullptr;
               });
    sheets.add(WindowSheet::tagOrder,
               [&store](const WindowSheetSubject& subject, QWidget* parent) -> QDialog* {
                   return subject.list ? ArrangeTagsSheet::forList(store, subject.list->id, parent)
                                       : nullptr;
               });
    sheets.add(WindowSheet::createList, [&store, &navigation](QWidget* parent) {
        return makeListEditorSheet(store, &navigation, std::nullopt, parent);
    });
    sheets.add(WindowSheet::editList, [&store, &navigation](const WindowSheetSubject& subject,
                                                            QWidget* parent) {
        return subject.list ? makeListEditorSheet(store, &navigation, subject.list->id, parent)
                            : nullptr;
    });
}
