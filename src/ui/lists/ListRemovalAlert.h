#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>

class ListsScreenModel;
class QPushButton;
class QWidget;

// The question before a list is removed: window-modal over the lists page, titled with the
// list's name as typed, with the removal verb and "Cancel", "Cancel" being the default and what
// Escape chooses. It shows while the screen model is confirming and closes when that ends
// (for instance when the list went away meanwhile). Main thread only.
class ListRemovalAlert : public QObject {
    Q_OBJECT

public:
    ListRemovalAlert(ListsScreenModel& screen, QWidget* anchor);
    ~ListRemovalAlert() override;

    // The alert while it is shown, else null.
    QMessageBox* box() const { return box_; }
    QPushButton* removeButton() const { return remove_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    void sync();
    void show();
    // The texts follow the list: a rename or a new share while the question is up shows.
    void retitle();
    void clicked(QPushButton* button);

    ListsScreenModel& screen_;
    QWidget* anchor_;
    QPointer<QMessageBox> box_;
    QPushButton* remove_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
