// The texts of the window's notice about the store file, and when it shows.
#include "ui/window/StoreNoticeModel.h"

#include "intents/StoreNotice.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "store/UnsavedCopies.h"

#include <QPointer>
#include <QStringList>

StoreNoticeModel::StoreNoticeModel(ListStore& store, QObject* parent)
    : QObject(parent), store_(store), unsavedCopies_(UnsavedCopies::copies(store.fileURL())) {
    connect(&store_, &ListStore::saveFailed, this, [this](const QString& message) {
        saveError_ = message;
        refresh();
    });
    connect(&store_, &ListStore::saveRecovered, this, [this] {
        saveError_.clear();
        refresh();
    });
    connect(&store_, &ListStore::lockFailed, this, &StoreNoticeModel::refresh);
    connect(&store_, &ListStore::storeChanged, this, &StoreNoticeModel::refresh);
    connect(&store_, &ListStore::editRefused, this, &StoreNoticeModel::refresh);
    connect(&store_.defaults(), &Defaults::unreadableFileNoticeChanged, this,
            &StoreNoticeModel::refresh);
    // Sync switched off, here or by another process: whatever kept it from working no longer
    // matters, and the notice goes at once instead of at the next pass.
    connect(&store_.defaults(), &Defaults::changed, this, [this] {
        if (syncFailure_ && !store_.syncEnabled()) {
            syncFailure_.reset();
            refresh();
        }
    });
    refresh();
}

void StoreNoticeModel::syncEnded(const std::optional<QString>& failure) {
    syncFailure_ = failure && store_.syncEnabled() ? failure : std::nullopt;
    // refresh() tells only of a change: a pass failing as the one before did shows nothing new.
    refresh();
}

void StoreNoticeModel::tryAgain() {
    store_.persist();
    // A retry that succeeds without an earlier failure on record (a copy of an unreadable file
    // kept at last) announces nothing: look again once it is done.
    store_.whenSaved([self = QPointer<StoreNoticeModel>(this)](bool) {
        if (self)
            self->refresh();
    });
}

bool StoreNoticeModel::quitAsksFirst() const {
    return store_.holdsUnsavedChanges() && !store_.lockError();
}

namespace {

// The title while the copy kept of the store file is the most pressing thing to tell.
QString copyTitle(ListStore::FileCopyReason reason) {
    switch (reason) {
    case ListStore::FileCopyReason::olderLayout:
        return QStringLiteral("Your lists were upgraded");
    case ListStore::FileCopyReason::unknownMembers:
        return QStringLiteral("Your lists hold data this Tallybird does not read");
    case ListStore::FileCopyReason::unreadable:
        break;
    }
    return QStringLiteral("Your lists could not be read in full");
}

} // namespace

void StoreNoticeModel::refresh() {
    const QString file = store_.fileURL();
    const bool failing = !store_.lastSaveSucceeded();
    const bool notCopied = store_.unreadableNotCopied();
    QStringList paragraphs;
    QString title;
    if (store_.editRefusal()) {
        // Nothing is changed, so nothing goes unsaved either.
        paragraphs.append(*store_.editRefusal());
        title = newerTitle();
    } else if (store_.lockError()) {
        paragraphs.append(*store_.lockError());
        title = QStringLiteral("Your changes are not being saved");
    } else if (failing) {
        paragraphs.append(!saveError_.isEmpty()
                              ? saveError_
                              : QStringLiteral("Your lists could not be saved to “%1”.").arg(file));
        title = QStringLiteral("Your changes are not being saved");
    }
    if (notCopied) {
        paragraphs.append(QStringLiteral("The store file “%1” could not be opened, so your lists "
                                         "could not be read. Nothing is saved over it until "
                                         "a copy of it can be kept.")
                              .arg(file));
        if (title.isEmpty())
            title = QStringLiteral("Your lists could not be read");
    } else if (store_.unreadableCopy()) {
        paragraphs.append(StoreNotice::copyKept(store_));
        if (title.isEmpty())
            title = copyTitle(store_.fileCopyReason());
    }
    for (const QString& copy : unsavedCopies_)
        paragraphs.append(StoreNotice::unsavedCopy(copy));
    if (title.isEmpty() && !unsavedCopies_.isEmpty())
        title = QStringLiteral("Changes kept in a separate file");
    // Nothing is lost while sync fails: edits wait on this computer for the next pass.
    if (syncFailure_) {
        paragraphs.append(StoreNotice::syncFailed(*syncFailure_));
        if (title.isEmpty())
            title = syncTitle();
    }
    // The settings' own words, as the command line says them: where the file was moved to.
    if (const std::optional<QString> settings = store_.defaults().unreadableFileNotice()) {
        paragraphs.append(*settings);
        if (title.isEmpty())
            title = settingsTitle();
    }
    const QString message = paragraphs.join(QLatin1Char('\n'));
    const bool canTryAgain = !store_.lockError() && (failing || notCopied);
    if (title == title_ && message == message_ && canTryAgain == canTryAgain_)
        return;
    title_ = title;
    message_ = message;
    canTryAgain_ = canTryAgain;
    emit changed();
}
