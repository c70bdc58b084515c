#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>

class QWidget;
class StoreNoticeModel;

// Stands between closing the window and changes that were never saved: while trying again could
// still save them (StoreNoticeModel::quitAsksFirst), closing is held back and a window-modal
// question asks first; "Quit Anyway" closes the window and quits (the changes are then kept in
// a separate file), "Cancel" keeps it open. A signal ends the program without asking
// (QuitOnSignal). Lives as a child of the window it watches.
class QuitConfirmation : public QObject {
    Q_OBJECT
public:
    QuitConfirmation(StoreNoticeModel& model, QWidget& window);

    // The question while it is open.
    QMessageBox* question() const { return question_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ask();

    StoreNoticeModel& model_;
    QWidget& window_;
    QPointer<QMessageBox> question_;
    bool confirmed_ = false;
};
