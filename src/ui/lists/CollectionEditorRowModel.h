#pragma once

#include "model/TBList.h"

#include <QAbstractListModel>
#include <QList>
#include <QSet>

#include <optional>

// One list offered by the group editor, as the store had it at the last refresh.
struct CollectionEditorEntry {
    TBList list;
    std::optional<QString> group; // the group it is filed in now
    bool operator==(const CollectionEditorEntry&) const = default;
};

// What a row of the group editor's list section draws and says.
struct CollectionEditorRowPresentation {
    QString listID;
    QString name;
    QString icon;
    QString colourID;
    bool chosen = false;
    std::optional<QString> currentlyIn; // "Currently in Home", for a list filed elsewhere
    QString accessibilityLabel;
};

// The group editor's lists, in display order, as an item model for a list view. The editor
// model owns the ticks and the typed name; this model draws them. Main thread only.
class CollectionEditorRowModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { IdRole = Qt::UserRole + 1, ChosenRole };

    explicit CollectionEditorRowModel(QObject* parent = nullptr);

    void setEntries(const QList<CollectionEditorEntry>& entries);
    // The typed name, trimmed: lists filed under it show no "Currently in" line.
    void setTrimmedName(const QString& name);
    void setChosen(const QSet<QString>& chosen);

    const QList<CollectionEditorEntry>& entries() const { return entries_; }
    CollectionEditorRowPresentation row(int row) const;
    int rowOf(const QString& listID) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void changedAll();

    QList<CollectionEditorEntry> entries_;
    QString trimmedName_;
    QSet<QString> chosen_;
};
