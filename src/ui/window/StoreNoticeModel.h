#pragma once

#include <QObject>
#include <QString>

class ListStore;
struct StoreChange;

// What the window tells of trouble with the store file, from what the store signals and holds:
// saves that fail (until one succeeds again), a lock refused or taken over, and a store file
// that could not be read in full (with where its copy is kept) or not at all. It keeps every
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
    // Offered while saving fails and trying again could help (not when another process holds
    // the file or it cannot be locked at all).
    bool canTryAgain() const { return canTryAgain_; }
    static QString tryAgainTitle() { return QStringLiteral("Try Again"); }
    QString accessibleName() const { return title_; }
    QString accessibleDescription() const { return message_; }

    // Asks the store to write its whole state again; the notice follows what the save reports.
    void tryAgain();

    // Whether quitting now throws away changes that are not in the store file.
    bool quitLosesChanges() const;
    static QString quitTitle() { return QStringLiteral("Quit without saving?"); }
    static QString quitMessage() {
        return QStringLiteral("Your latest changes could not be saved. If you quit now, they "
                              "are lost.");
    }
    static QString quitButton() { return QStringLiteral("Quit Anyway"); }
    static QString cancelButton() { return QStringLiteral("Cancel"); }

signals:
    // After every change of what the notice shows.
    void changed();

private:
    void refresh();
    void noteStoreChange(const StoreChange& change);

    ListStore& store_;
    // The store's own words for the last failed save, until a save succeeds.
    QString saveError_;
    // Changes were made while the store could not write at all.
    bool changedWithoutLock_ = false;
    QString title_;
    QString message_;
    bool canTryAgain_ = false;
};
