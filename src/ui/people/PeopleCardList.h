#pragma once

#include "PeopleRow.h"

#include <QListView>

class QAbstractListModel;
class RowSwipeController;

// The cards of the circles screens, one per circle or person, as a list view of painted rows:
// the two lines of each row on a card 16 points in from the edges, 8 between cards. A trailing
// swipe shows the row's action and a full swipe runs it; the context menu and the screen reader
// offer the same action. Rows that open something (a circle) show a chevron and open on a click
// or Return. Main thread only.
class PeopleCardList : public QListView {
    Q_OBJECT

public:
    explicit PeopleCardList(bool opens, QWidget* parent = nullptr);

    void setRows(const QList<PeopleRow>& rows);
    const QList<PeopleRow>& rows() const;
    // Whether a card opens something (a circle) on a click, Return or a screen reader's press.
    bool opens() const { return opens_; }

signals:
    void opened(const QString& id);
    void acted(const QString& id);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    class Rows;
    class Delegate;
    void act(const QModelIndex& index);

    bool opens_;
    Rows* rows_;
    RowSwipeController* swipe_;
    QPersistentModelIndex pressed_;
};
