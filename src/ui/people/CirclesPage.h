#pragma once

#include <QPointer>
#include <QWidget>

class CircleDetailPage;
class CirclesModel;
class EmptyState;
class ListStore;
class NamePromptSheet;
class PeopleCardList;
class PeopleNavBar;
class QStackedWidget;
class SymbolButton;

// The circles screen, for the settings sheet to push: its bar with the back control (to
// `backTitle`) and "New circle", the explanation and the circles as cards, or the empty state;
// a circle opens its own screen in place, whose back control comes back here. The new-circle
// prompt is a sheet over the window that holds the page.
class CirclesPage : public QWidget {
    Q_OBJECT

public:
    CirclesPage(ListStore& store, const QString& backTitle, QWidget* parent = nullptr);

    CirclesModel& model() const { return *model_; }
    PeopleCardList* circles() const { return circles_; }
    SymbolButton* newCircleButton() const { return plus_; }
    EmptyState* emptyState() const { return empty_; }
    // The circle shown now, or null while the circles are.
    CircleDetailPage* detail() const;
    NamePromptSheet* prompt() const;

    void openCircle(const QString& circleID);
    void showCircles();

signals:
    void backRequested();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void sync();
    void openPrompt();

    ListStore& store_;
    CirclesModel* model_;
    QStackedWidget* pages_;
    QWidget* listPage_;
    QStackedWidget* content_;
    EmptyState* empty_;
    QWidget* filled_;
    PeopleCardList* circles_;
    SymbolButton* plus_;
    QPointer<CircleDetailPage> detail_;
    QPointer<NamePromptSheet> prompt_;
};
