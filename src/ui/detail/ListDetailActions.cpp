// The list screen's actions menu, paste, Markdown export and sheets.
#include "ListDetailModel.h"
#include "MarkdownExport.h"
#include "TagOrderModel.h"

#include "model/Markdown.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"

#include <QPointer>

QList<ListActionsMenu::Entry> ListDetailModel::menuEntries() const {
    QList<ListActionsMenu::Entry> entries =
        ListActionsMenu::entries(mayWrite(), snapshot_.vocabulary.size());
    // An entry whose sheet the window does not have is left out.
    entries.removeIf([this](const ListActionsMenu::Entry& entry) {
        return (entry.action == ListActionsMenu::Action::editList &&
                !offersSheet(Sheet::listEditor)) ||
               (entry.action == ListActionsMenu::Action::arrangeTags &&
                !offersSheet(Sheet::tagOrder));
    });
    return entries;
}

void ListDetailModel::arrangeTags() {
    if (!snapshot_.list || !offersSheet(Sheet::tagOrder))
        return;
    state_.arrangingTags = true;
    emit stateChanged();
}

void ListDetailModel::saveTagOrder(const QStringList& order) {
    state_.arrangingTags = false;
    if (snapshot_.list) {
        TagOrderModel::write(store_, listID_, order);
        refreshNow(); // the list regroups at once
    }
    emit stateChanged();
}

void ListDetailModel::pasteFromClipboard() {
    if (!mayWrite())
        return;
    const std::optional<QString> text = clipboard_ ? clipboard_() : std::nullopt;
    if (!text) {
        state_.message = QStringLiteral("The clipboard has no text.");
        emit stateChanged();
        return;
    }
    addPasted(*text);
}

void ListDetailModel::addPasted(const QString& text) {
    const Markdown::ImportResult imported = Markdown::parsePasted(text);
    const qsizetype count = imported.items.size();
    if (count == 0) {
        state_.message = QStringLiteral("There is nothing on the clipboard to add.");
    } else {
        // One store batch: one file write and one change announcement for all of them.
        store_.add(imported, listID_);
        state_.message = QStringLiteral("Added %1 item%2.")
                             .arg(count)
                             .arg(count == 1 ? QString() : QStringLiteral("s"));
    }
    emit stateChanged();
}

QString ListDetailModel::markdown() const {
    return store_.exportMarkdown(listID_);
}

QString ListDetailModel::exportFileName() const {
    return MarkdownExport::fileNameWithExtension(
        snapshot_.list ? std::optional<QString>(snapshot_.list->name) : std::nullopt);
}

void ListDetailModel::beginSave() {
    state_.showingFileExporter = true;
    emit stateChanged();
}

void ListDetailModel::finishSave(const std::optional<QString>& path) {
    state_.showingFileExporter = false;
    // A cancelled save says nothing; a failed one says so.
    if (path && !MarkdownExport::write(*path, markdown().toUtf8()))
        state_.message = QStringLiteral("Could not save the file.");
    emit stateChanged();
}

void ListDetailModel::presentShare() {
    if (!sharePreparer_)
        return;
    const quint64 generation = generation_;
    QPointer<ListDetailModel> self(this);
    sharePreparer_(listID_, [self, generation](std::optional<QString> error) {
        if (!self || self->generation_ != generation)
            return;
        if (error)
            self->state_.message = QStringLiteral("Could not start sharing. ") + *error;
        else
            self->state_.showingShareSheet = true;
        emit self->stateChanged();
    });
}
