#pragma once

#include "PageRowContent.h"
#include "RelativeDueText.h"
#include "RowCommand.h"
#include "RowPresentation.h"

#include <QAbstractListModel>
#include <QHash>
#include <QList>

#include <optional>

// The rows of the lists page (group headers and lists) as an item model for a list view.
// The screen model hands it a fresh snapshot of row contents once per refresh; it tells the
// view which rows changed (data changes, inserted or removed spans, or a rearrangement that
// keeps persistent indexes on their rows), never resetting the whole view. Texts are worked out
// when a row is drawn, so a refresh costs little beyond comparing contents. Main thread only.
class PageRowModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        IdRole = Qt::UserRole + 1, // the row's id: "H#" + group name or "L#" + list id
        IsHeaderRole,
    };

    explicit PageRowModel(const QByteArray& locale = {},
                          const QTimeZone& zone = QTimeZone::systemTimeZone(),
                          QObject* parent = nullptr);

    // Replaces the rows, telling the view only what differs.
    void setRows(const QList<PageRowContent>& rows);
    // Replaces one row's content in place (same id), repainting it when it differs.
    void updateRow(int row, const PageRowContent& content);
    // Screen-wide state the rows draw with; each repaints only the rows it affects.
    void setEditing(bool editing);
    void setSelectedListID(const std::optional<QString>& listID);
    void setNow(Date now);
    // Whether lists offer "Rename…": only while the window can show the sheet it opens.
    void setRenameOffered(bool offered) { renameOffered_ = offered; }
    // Whether rows offer any command at all: not while the store takes no change.
    void setChangesOffered(bool offered) { changesOffered_ = offered; }
    // Repaints the rows whose words depend on the date (those with a due chip).
    void datedRowsChanged();

    const QList<PageRowContent>& rows() const { return rows_; }
    const PageRowContent& content(int row) const { return rows_.at(row); }
    int rowOf(const QString& id) const; // -1 when no row has the id
    bool editing() const { return editing_; }
    Date now() const { return now_; }

    ListRowPresentation listRow(int row) const;
    GroupHeaderPresentation header(int row) const;
    // The context menu: for a list "Rename…", "Pin"/"Unpin", a separator and the removal verb
    // (the first two only for lists that can be changed here); for a header "Edit group" and
    // "Ungroup lists". Menus, swipes and actions are empty while no changes are offered.
    RowCommands menu(int row) const;
    // Swipe buttons: the leading edge pins a list; the trailing edge removes a list or
    // ungroups a header.
    RowCommands leadingSwipe(int row) const;
    RowCommands trailingSwipe(int row) const;
    // Named actions a screen reader offers for the row.
    RowCommands accessibleActions(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // Around a setRows() that inserts, removes or rearranges rows (not around data changes).
    void rowsAboutToChange();
    void rowsChanged();
    // After the data changes of a setRows() or an updateRow(): the rows (by their new index)
    // whose accessible name is not the one they had, for a screen reader that keeps names.
    void rowsRenamed(const QList<int>& rows);

private:
    ListRowPresentation listRowOf(const PageRowContent& content) const;
    GroupHeaderPresentation headerOf(const PageRowContent& content) const;
    QString accessibleName(const PageRowContent& content) const;
    std::optional<QString> dueSummary(const TBList& list) const;
    void emitChanged(QList<int> rows);
    void reindex();

    QList<PageRowContent> rows_;
    QHash<QString, int> rowByID_;
    bool editing_ = false;
    bool renameOffered_ = true;
    bool changesOffered_ = true;
    std::optional<QString> selectedListID_;
    Date now_;
    RelativeDueText relative_;
    // Due words of the rows drawn since the clock last moved, by list id and due date.
    mutable QHash<QString, std::pair<Date, std::optional<QString>>> dueCache_;
};
