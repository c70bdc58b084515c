#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class ListStore;

// What the window tells of trouble with the store file, from what the store signals and holds:
// saves that fail (until one succeeds again), a lock refused or taken over, a store file that
// could not be read in full, was upgraded or holds data a later build wrote (with where its
// copy is kept) or could not be read at all, a store file from a newer Tallybird that is only
// shown, and the files where changes that could not be saved were kept when the program last
// ended (UnsavedCopies, as they were when the window opened); a sync pass that could not be
// done, as its owner reports it (syncEnded()); and, least pressing, a settings file (the store's
// defaults()) that could not be read and was moved aside, whenever that is found. It keeps every
// text of the notice and of the question asked before quitting would throw changes away, and
// offers the retry. Main thread only; the store outlives it.
class StoreNoticeModel : public QObject {
    Q_OBJECT
public:
    explicit StoreNoticeModel(ListStore& store, QObject* parent = nullptr);

    // Whether there is anything to tell; the notice is hidden otherwise.
    bool visible() const { return !message_.isEmpty(); }
    QString title() const { return title_; }
    // One paragraph per trouble, most pressing first.
    QString message() const { return message_; }
    QString symbol() const { return QStringLiteral("exclamationmark.triangle"); }
    // The title while the store file comes from a newer Tallybird: shown, never changed.
    static QString newerTitle() { return QStringLiteral("Lists from a newer Tallybird"); }
    // The title while the settings file's trouble is all there is to tell.
    static QString settingsTitle() { return QStringLiteral("Your settings could not be read"); }
    // The title while a failing sync is the most pressing news.
    static QString syncTitle() { return QStringLiteral("Your lists are not syncing"); }
    // Offered while saving fails and trying again could help (not when another process holds
    // the file or it cannot be locked at all).
    bool canTryAgain() const { return canTryAgain_; }
    static QString tryAgainTitle() { return QStringLiteral("Try Again"); }
    QString accessibleName() const { return title_; }
    QString accessibleDescription() const { return message_; }

    // Asks the store to write its whole state again; the notice follows what the save reports.
    void tryAgain();

    // A sync pass of the store ended; `failure` says why it could not be done. One failed pass
    // is told, in its own words, and stays told through the failing passes after it (the words
    // follow the latest) until a pass succeeds or sync is switched off. A pass that fails while
    // sync is off tells nothing: edits made meanwhile go when it is switched on again.
    void syncEnded(const std::optional<QString>& failure);

    // Whether quitting should ask first: changes are not in the store file, and since the store
    // can still write, trying again could yet put them there. A store that can never write (its
    // file could not be opened, no lock can be had, or another process took it over) has
    // nothing to try again: quitting then keeps the changes in a separate file without asking.
    bool quitAsksFirst() const;
    static QString quitTitle() { return QStringLiteral("Quit without saving?"); }
    static QString quitMessage() {
        return QStringLiteral("Your latest changes could not be saved. If you quit now, they "
                              "are kept in a separate file instead, which Tallybird names when "
                              "it next starts.");
    }
    static QString quitButton() { return QStringLiteral("Quit Anyway"); }
    static QString cancelButton() { return QStringLiteral("Cancel"); }

signals:
    // After every change of what the notice shows.
    void changed();

private:
    void refresh();

    ListStore& store_;
    const QStringList unsavedCopies_;
    // The store's own words for the last failed save, until a save succeeds.
    QString saveError_;
    // Why the last sync pass could not be done, until one succeeds or sync is switched off.
    std::optional<QString> syncFailure_;
    QString title_;
    QString message_;
    bool canTryAgain_ = false;
};
