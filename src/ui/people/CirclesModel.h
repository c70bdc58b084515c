#pragma once

#include "PeopleRow.h"

#include "ui/components/NamePromptModel.h"

#include <QList>
#include <QObject>

class ListStore;
struct StoreChange;

// The circles screen without its widgets: the circles as rows, in the store's order, the empty
// state's and the explanation's texts, and the new-circle prompt. It changes circles only
// through the store, and follows the store's announcements. Main thread only.
class CirclesModel : public QObject {
    Q_OBJECT

public:
    explicit CirclesModel(ListStore& store, QObject* parent = nullptr);

    static QString title() { return QStringLiteral("Circles"); }
    static QString newCircleLabel() { return QStringLiteral("New circle"); }
    static QString emptyTitle() { return QStringLiteral("No circles yet"); }
    static QString emptyMessage();
    static QString emptySymbol() { return QStringLiteral("person.2"); }
    static QString emptyActionTitle() { return QStringLiteral("Make a circle"); }
    static QString explanation();
    // How many people a circle holds, in words: "No one yet", "1 person", "2 people".
    static QString memberSummary(qsizetype members);

    bool showsEmptyState() const { return rows_.isEmpty(); }
    const QList<PeopleRow>& rows() const { return rows_; }

    // The new-circle prompt: what it shows, and whether it is open.
    static NamePromptModel newCirclePrompt();
    bool showingNewCircle() const { return showingNewCircle_; }
    void openNewCircle();
    // The prompt confirmed a name (as typed; the store trims it) and closed.
    void addCircle(const QString& typed);
    // The prompt closed, by confirming or not.
    void newCircleClosed();

    // The row's delete action: at once, without a question.
    void deleteCircle(const QString& circleID);

signals:
    // The rows or the prompt's state changed.
    void changed();

private:
    void storeChanged(const StoreChange& change);
    void refresh();

    ListStore& store_;
    QList<PeopleRow> rows_;
    bool showingNewCircle_ = false;
};
