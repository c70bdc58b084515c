// The list screen's sheets.
#include "DetailSheetHost.h"

#include "ArrangeTagsSheet.h"
#include "ListDetailModel.h"
#include "ui/components/FocusReturn.h"
#include "ui/components/MessageAlert.h"

#include <QMessageBox>
#include <QTimer>
#include <QWidget>

DetailSheetHost::DetailSheetHost(ListDetailModel& screen, QWidget* anchor)
    : QObject(anchor), screen_(screen), anchor_(anchor) {
    connect(&screen_, &ListDetailModel::stateChanged, this, &DetailSheetHost::follow);
    connect(&screen_, &ListDetailModel::stateChanged, this, &DetailSheetHost::followMessage);
}

QMessageBox* DetailSheetHost::alert() const {
    return alert_;
}

void DetailSheetHost::followMessage() {
    const std::optional<QString>& message = screen_.state().message;
    if (message && !alert_) {
        // The alert's title is the message; its one button is "OK".
        alert_ = new QMessageBox(QMessageBox::NoIcon, QString(), *message, QMessageBox::Ok,
                                 anchor_->window());
        alert_->setTextFormat(Qt::PlainText);
        alert_->setAttribute(Qt::WA_DeleteOnClose);
        alert_->setWindowModality(Qt::WindowModal);
        connect(alert_, &QDialog::finished, &screen_, &ListDetailModel::dismissMessage);
        FocusReturn::arm(alert_, FocusReturn::focusIn(anchor_));
        MessageAlert::openInFront(alert_);
    } else if (message && alert_) {
        alert_->setText(*message);
    } else if (!message && alert_) {
        alert_->close();
    }
}

DetailSheetHost::~DetailSheetHost() {
    delete sheet_;
}

void DetailSheetHost::setPresenter(Sheet sheet, Presenter make) {
    presenters_.insert(sheet, std::move(make));
}

std::optional<DetailSheetHost::Sheet> DetailSheetHost::wanted() const {
    const ListDetailState& state = screen_.state();
    if (state.editing)
        return Sheet::listEditor;
    if (state.arrangingTags)
        return Sheet::tagOrder;
    if (state.openItem)
        return Sheet::itemEditor;
    return std::nullopt;
}

QDialog* DetailSheetHost::make(Sheet sheet) {
    const Request request{screen_.listID(),
                          screen_.state().openItem ? screen_.state().openItem->itemID : QString()};
    if (const Presenter presenter = presenters_.value(sheet))
        return presenter(anchor_->window(), request);
    if (sheet == Sheet::tagOrder) {
        ListDetailModel* screen = &screen_;
        return new ArrangeTagsSheet(
            screen_.snapshot().vocabulary,
            [screen](const QStringList& order) { screen->saveTagOrder(order); }, anchor_->window());
    }
    return nullptr;
}

void DetailSheetHost::follow() {
    const std::optional<Sheet> wanted = this->wanted();
    if (sheet_ && wanted == kind_)
        return;
    if (sheet_) {
        // The screen no longer asks for it: close it without dismissing what comes next.
        QDialog* closing = sheet_;
        sheet_ = nullptr;
        kind_.reset();
        closing->done(QDialog::Rejected);
    }
    if (!wanted)
        return;
    QDialog* dialog = make(*wanted);
    if (!dialog) {
        // Nothing draws it: let the next one through. The open item stays the screen's state,
        // for a host that shows the item editor its own way.
        if (*wanted != Sheet::itemEditor)
            screen_.sheetClosed(*wanted);
        return;
    }
    sheet_ = dialog;
    kind_ = wanted;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    const Sheet kind = *wanted;
    connect(dialog, &QDialog::finished, this, [this, dialog, kind] {
        if (sheet_ != dialog)
            return;
        sheet_ = nullptr;
        kind_.reset();
        screen_.sheetClosed(kind);
    });
    auto* sheet = qobject_cast<SheetDialog*>(dialog);
    if (sheet && !sheet->present()) {
        // Another part of the window shows a sheet: this one waits its turn.
        sheet_ = nullptr;
        kind_.reset();
        delete dialog;
        QTimer::singleShot(250, this, &DetailSheetHost::follow);
        return;
    }
    if (!sheet) {
        FocusReturn::arm(dialog, FocusReturn::focusIn(anchor_));
        dialog->open();
    }
}
