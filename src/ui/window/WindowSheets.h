#pragma once

#include "cloud/Record.h"
#include "model/TBList.h"
#include "ui/detail/ItemRoute.h"
#include "ui/detail/PersonRoute.h"
#include "ui/lists/CollectionEditorMode.h"

#include <QDialog>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

class QWidget;

// Every sheet a screen of the window may ask for.
enum class WindowSheet {
    settings,
    createList,
    editList,
    groupEditor,
    tagOrder,
    itemEditor,
    message,
    sharingSetup,
    person,
    cloudSharing
};

// What a sheet is about, as the screen that asked for it knows it.
struct WindowSheetSubject {
    std::optional<TBList> list;    // editList (none: its list is gone), tagOrder, cloudSharing
    std::optional<ItemRoute> item; // itemEditor
    std::optional<CollectionEditorMode> group; // groupEditor
    QString message;                           // message: the alert's one line
    std::optional<PersonRoute> person;         // person: whose kept name is edited
    // sharingSetup: runs once the name is stored and the sheet has closed (not on Cancel).
    std::function<void()> confirmed;
    // cloudSharing: the list's share (none: an empty sheet) and what runs when it changed; the
    // list names the sheet's list.
    std::optional<cloud::Record> share;
    std::function<void()> shareChanged;
};

// The sheets the window can show, owned by the window; a control whose sheet has() no factory is
// hidden. Main thread only. Contract, in two lines:
// - add(kind, factory) once (in addStandardSheets), at start-up or later: its controls then appear.
// - The factory returns a new, unshown SheetDialog for `parent` (or null); the window shows it
//   window-modal, one sheet at a time, deletes it when it closes and tells the screen that asked.
class WindowSheets : public QObject {
    Q_OBJECT
public:
    using Factory = std::function<QDialog*(const WindowSheetSubject& subject, QWidget* parent)>;
    using PlainFactory = std::function<QDialog*(QWidget* parent)>;

    using QObject::QObject;

    // A sheet registered again replaces the one before.
    void add(WindowSheet kind, Factory make);
    // For a sheet that needs nothing but its parent (settings, a new list).
    void add(WindowSheet kind, PlainFactory make);
    bool has(WindowSheet kind) const { return factories_.contains(kind); }
    // A new dialog of that kind, not shown; null when none is registered or the factory made none.
    QDialog* make(WindowSheet kind, const WindowSheetSubject& subject, QWidget* parent) const;

    // Shows a sheet of that kind over `window`, window-modal, as soon as no other sheet is shown;
    // `closed` runs once it has closed, however, or at once when none could be made. A request
    // whose `requester` has gone by its turn is dropped without running `closed`. When the sheet
    // closes, the keyboard focus goes back to the control that had it when the sheet was asked
    // for (or to what that control lay in, when it has gone).
    void present(WindowSheet kind, const WindowSheetSubject& subject, QWidget* window,
                 QObject* requester, std::function<void()> closed);
    // The sheet this registry shows now, if any.
    QDialog* presented() const { return presented_; }

signals:
    void added(WindowSheet kind);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Request {
        WindowSheet kind;
        WindowSheetSubject subject;
        QPointer<QWidget> window;
        QPointer<QObject> requester;
        std::function<void()> closed;
        QPointer<QWidget> opener; // where the keyboard was when the sheet was asked for
    };
    void presentNext();
    void waitForShownSheet();

    QMap<WindowSheet, Factory> factories_;
    QList<Request> waiting_;
    QPointer<QDialog> presented_;
    QPointer<QObject> watched_; // another part's sheet whose hiding lets the next one through
};
