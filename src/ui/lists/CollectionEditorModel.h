#pragma once

#include "CollectionEditorMode.h"
#include "CollectionEditorRowModel.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

class ListStore;

// The group editor sheet's state and decisions: the typed name, the ticked lists, whether
// "Save" may act, and what saving and ungrouping do to the store's filings. Nothing reaches the
// store before save() or ungroup(). It follows the store while open (lists that go away leave
// the section; a deleted list is neither counted nor filed), refreshing once per event-loop
// turn. Main thread only.
class CollectionEditorModel : public QObject {
    Q_OBJECT

public:
    CollectionEditorModel(ListStore& store, CollectionEditorMode mode, QObject* parent = nullptr);

    const CollectionEditorMode& mode() const { return mode_; }
    CollectionEditorRowModel& rows() { return rows_; }

    // Fixed texts of the sheet.
    QString title() const; // "New group" or "Edit group"
    static QString cancelTitle() { return QStringLiteral("Cancel"); }
    static QString saveTitle() { return QStringLiteral("Save"); }
    static QString saveAccessibilityLabel() { return QStringLiteral("Save group"); }
    static QString nameSectionTitle() { return QStringLiteral("NAME"); }
    static QString namePlaceholder() { return QStringLiteral("Name, such as Home"); }
    static QString listsSectionTitle() { return QStringLiteral("LISTS IN THIS GROUP"); }
    // What a screen reader calls the list of lists: the section's title.
    static QString listsAccessibilityLabel() { return QStringLiteral("Lists in this group"); }
    static QString noListsText() {
        return QStringLiteral("Make a list first, then you can group it.");
    }
    static QString ungroupTitle() { return QStringLiteral("Ungroup these lists"); }
    static QString ungroupHint() { return QStringLiteral("The lists stay; only the group goes"); }

    // A new group starts typing in the name field; an edited one opens with its name filled in.
    bool focusesNameOnOpen() const { return !mode_.isEdit(); }
    bool hasLists() const { return !rows_.entries().isEmpty(); }
    bool showsUngroupButton() const { return mode_.isEdit(); }

    const QString& name() const { return name_; }
    void setName(const QString& name);
    // The name as it would be saved: white space and line breaks trimmed from both ends.
    QString trimmedName() const;
    bool isChosen(const QString& listID) const { return chosen_.contains(listID); }
    void toggle(const QString& listID);
    // A name that is not blank and at least one ticked list that still exists.
    bool canSave() const;

    // Files the ticked lists under the name and takes out of the group the lists that were in
    // it when the sheet opened and are no longer ticked. False (nothing changed, the sheet
    // stays) when Save could not act.
    bool save();
    // Takes every list out of the edited group; the lists stay.
    void ungroup();

    // Runs a pending refresh at once.
    void refreshNow();

signals:
    void changed(); // the name, the ticks, Save's state or the lists changed

private:
    void scheduleRefresh();
    void refresh();
    QStringList existingChosen() const; // ticked lists that exist, in display order

    ListStore& store_;
    CollectionEditorMode mode_;
    CollectionEditorRowModel rows_;
    QString name_;
    QSet<QString> chosen_;
    QStringList membersAtOpen_; // the edited group's lists when the sheet opened
    bool refreshPending_ = false;
};
