#pragma once

#include "PeopleRow.h"

#include <QList>
#include <QObject>

#include <optional>

class ListStore;
struct StoreChange;

// One circle's screen without its widgets: its title, the form that adds someone by name and
// e-mail address or mobile number, the members as rows, and the alert of a refused handle. The
// fields belong to the screen; members change only through the store. Main thread only.
class CircleDetailModel : public QObject {
    Q_OBJECT

public:
    CircleDetailModel(ListStore& store, QString circleID, QObject* parent = nullptr);

    const QString& circleID() const { return circleID_; }
    // The circle's name as it is, or "Circle" when there is no such circle.
    QString title() const;

    static QString addHeader() { return QStringLiteral("ADD SOMEONE"); }
    static QString namePlaceholder() { return QStringLiteral("Name"); }
    static QString handlePlaceholder() { return QStringLiteral("Email or mobile"); }
    static QString addTitle() { return QStringLiteral("Add to circle"); }
    static QString refusedHandle();

    const QString& name() const { return name_; }
    const QString& handle() const { return handle_; }
    void setName(const QString& name);
    void setHandle(const QString& handle);
    // "Add to circle" acts once the handle holds anything but blanks and line breaks.
    bool canAdd() const;
    // Adds the person the fields describe. Added (or already a member): both fields empty.
    // Refused: the problem is set and the fields keep what was typed.
    void addPerson();

    // "IN THIS CIRCLE" while the circle has members; none otherwise.
    std::optional<QString> memberHeader() const;
    const QList<PeopleRow>& members() const { return members_; }
    // The row's remove action: at once, without a question.
    void removePerson(const QString& personID);

    // The alert's title while it shows.
    const std::optional<QString>& problem() const { return problem_; }
    void dismissProblem();

signals:
    void changed();

private:
    void storeChanged(const StoreChange& change);
    void refresh();

    ListStore& store_;
    QString circleID_;
    QString name_;
    QString handle_;
    std::optional<QString> problem_;
    QString title_;
    QList<PeopleRow> members_;
};
