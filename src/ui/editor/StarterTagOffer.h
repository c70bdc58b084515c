#pragma once

#include "model/TagSuggestions.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The starter tags a new list is offered: which kind of list they are for, the tags left after
// the user's removals and additions, or that the user wants no tags on the list. It follows the
// kinds recognised from the list's name and icon, keeping the user's edits while the same kind
// stays recognised. A plain value; the list editor owns one.
class StarterTagOffer {
public:
    using ListType = TagSuggestions::ListType;

    // What the offer shows.
    enum class Stage {
        hidden,   // no kind recognised: no section, whatever was chosen or declined
        declined, // "No tags on this list." with Undo
        choosing, // several kinds, none chosen yet
        offering, // a chosen kind and its tags
        bare,     // only the decline button (a kind is recognised, none chosen)
    };

    Stage stage() const;
    const QList<ListType>& recognised() const { return recognised_; }
    const std::optional<ListType>& chosen() const { return chosen_; }
    const QStringList& tags() const { return tags_; }
    bool declined() const { return declined_; }

    // The kinds recognised now. The first value sets the start; each later different value
    // moves the choice and the tags as the recognition rule says.
    void recognise(const QList<ListType>& types);
    // The user picks a kind in the chooser: its fresh starter tags.
    void choose(ListType type);
    void remove(const QString& tag);
    // A tag typed into the "New tag" prompt; false when it yields no tag or is already offered.
    bool add(const QString& typed);
    void decline() { declined_ = true; }
    // Undo of a decline: fresh tags when exactly one kind is recognised, else what was there.
    void undoDecline();

    static QString displayName(ListType type);

private:
    QList<ListType> recognised_;
    bool started_ = false;
    std::optional<ListType> chosen_;
    QStringList tags_;
    bool declined_ = false;
};
