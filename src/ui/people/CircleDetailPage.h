#pragma once

#include <QWidget>

class CircleDetailModel;
class ListStore;
class PeopleCardList;
class PeopleNavBar;
class PrimaryButton;
class QMessageBox;
class SingleLineField;
class TextLabel;

// One circle's screen, pushed from the circles screen: the form that adds someone, the members
// as cards, and the alert of a refused handle. Return in either field adds nothing.
class CircleDetailPage : public QWidget {
    Q_OBJECT

public:
    CircleDetailPage(ListStore& store, const QString& circleID, QWidget* parent = nullptr);

    CircleDetailModel& model() const { return *model_; }
    SingleLineField* nameField() const { return name_; }
    SingleLineField* handleField() const { return handle_; }
    PrimaryButton* addButton() const { return add_; }
    PeopleCardList* members() const { return members_; }
    // The refused handle's alert while it shows.
    QMessageBox* alert() const { return alert_; }

signals:
    void backRequested();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void sync();
    void showProblem();

    CircleDetailModel* model_;
    PeopleNavBar* bar_;
    SingleLineField* name_;
    SingleLineField* handle_;
    PrimaryButton* add_;
    TextLabel* memberHeader_;
    PeopleCardList* members_;
    QMessageBox* alert_ = nullptr;
};
