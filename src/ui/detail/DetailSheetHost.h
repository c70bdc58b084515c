#pragma once

#include "ListDetailSheet.h"

#include <QDialog>
#include <QMap>
#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

class ListDetailModel;
class QWidget;

// Shows the sheets a list's screen asks for, one at a time, window-modal over the pane's window,
// and tells the screen when one closes. The tag order sheet is made here; the others are made by
// whoever gives a presenter for them (the window: the list editor, later the item editor). A
// sheet without a presenter is dismissed at once, except the item editor, whose open item stays
// the screen's state. When the screen stops asking for the sheet
// shown (its list went away) the sheet closes. Main thread only.
class DetailSheetHost : public QObject {
    Q_OBJECT

public:
    // What a sheet is for: the list and, for the item editor, the item.
    struct Request {
        QString listID;
        QString itemID;
    };
    using Presenter = std::function<QDialog*(QWidget* parent, const Request& request)>;

    DetailSheetHost(ListDetailModel& screen, QWidget* anchor);
    ~DetailSheetHost() override;

    void setPresenter(ListDetailSheet sheet, Presenter make);
    QDialog* presented() const { return sheet_; }

private:
    void follow();
    QDialog* make(ListDetailSheet sheet);

    ListDetailModel& screen_;
    QWidget* anchor_;
    QMap<ListDetailSheet, Presenter> presenters_;
    QPointer<QDialog> sheet_;
    std::optional<ListDetailSheet> kind_;
};
