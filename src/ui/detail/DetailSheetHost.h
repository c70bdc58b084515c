#pragma once

#include "ListDetailModel.h"

#include <QDialog>
#include <QMap>
#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

class QMessageBox;
class QWidget;

// Shows the sheets a list's screen asks for, one at a time, window-modal over the anchor's
// window, and tells the screen when one closes, and shows its message in an alert with "OK": for
// a host without the window's own sheets (the gallery, the tests, a pane shown on its own). The tag
// order sheet is made here; the others by whoever gives a presenter for them. A sheet without a
// presenter is closed at once, except the item editor, whose open item stays the screen's state.
// When the screen stops asking for the sheet shown (its list went away) the sheet closes. Main
// thread only.
class DetailSheetHost : public QObject {
    Q_OBJECT

public:
    using Sheet = ListDetailModel::Sheet;
    // What a sheet is for: the list and, for the item editor, the item.
    struct Request {
        QString listID;
        QString itemID;
    };
    using Presenter = std::function<QDialog*(QWidget* parent, const Request& request)>;

    DetailSheetHost(ListDetailModel& screen, QWidget* anchor);
    ~DetailSheetHost() override;

    void setPresenter(Sheet sheet, Presenter make);
    QDialog* presented() const { return sheet_; }
    QMessageBox* alert() const;

private:
    void follow();
    void followMessage();
    std::optional<Sheet> wanted() const;
    QDialog* make(Sheet sheet);

    ListDetailModel& screen_;
    QWidget* anchor_;
    QMap<Sheet, Presenter> presenters_;
    QPointer<QDialog> sheet_;
    std::optional<Sheet> kind_;
    QPointer<QMessageBox> alert_;
};
