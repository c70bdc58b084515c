// The list screen's add bar: the draft, the focus and adding mode, the tag chips and the add.
#include "AddDraftRule.h"
#include "ListDetailModel.h"
#include "TagSuggester.h"

#include "model/Markdown.h"
#include "model/TagDraft.h"
#include "platform/Defaults.h"
#include "platform/PlatformWording.h"
#include "store/ListStore.h"
#include "ui/sound/SoundEffects.h"

#include <algorithm>

bool ListDetailModel::tagsDeclined() const {
    return store_.defaults().boolValue(QStringLiteral("tagsDeclined.") + listID_).value_or(false);
}

void ListDetailModel::feedSuggester() {
    if (suggesterFed_)
        return;
    TagSuggester::Inputs inputs;
    inputs.listTags = snapshot_.vocabulary;
    for (const TBItem& item : snapshot_.items) {
        const Parsed& p = parsed(item);
        if (!p.tags.isEmpty())
            inputs.existing.append({item.text, p.tags.first()});
    }
    suggester_->setInputs(std::move(inputs));
    suggesterFed_ = true;
}

std::optional<QString> ListDetailModel::proposedTag(bool fresh, bool* pending) {
    if (pending)
        *pending = false;
    if (!state_.adding)
        return std::nullopt;
    // Declining tags holds only while the list has no tagged item.
    if (tagsDeclined() && !hasTaggedItems_)
        return std::nullopt;
    feedSuggester();
    TagSuggester::Answer answer;
    if (fresh) {
        answer = suggester_->now(state_.draft);
    } else if (const auto known = suggester_->ask(state_.draft)) {
        answer = *known;
    } else {
        if (pending)
            *pending = true;
        return std::nullopt; // being worked out: ready() brings it
    }
    if (answer && state_.dismissedSuggestion == answer)
        return std::nullopt;
    return answer;
}

void ListDetailModel::updateAddBar() {
    AddBarFace face;
    face.draft = state_.draft;
    face.blank = AddDraftRule::isBlank(state_.draft);
    face.inputFocused = state_.inputFocused;
    face.namingTag = state_.namingTag;
    face.showsChipBar = mayWrite() && !(tagsDeclined() && !hasTaggedItems_);
    bool pending = false;
    face.suggestion = proposedTag(false, &pending);
    // While the new draft's proposal is worked out, the one shown stays: the chips and what the
    // reader is told change when the proposal does, not twice at every keystroke.
    std::optional<QString> shown = face.suggestion;
    if (pending && !face.blank && shownSuggestion_ != state_.dismissedSuggestion)
        shown = shownSuggestion_;
    shownSuggestion_ = shown;
    const QStringList draftTags = Markdown::tags(state_.draft);
    if (shown && !draftTags.contains(*shown))
        face.fieldHint = QStringLiteral("Suggested tag ") + *shown +
                         QStringLiteral(". Applied when you add the item.");
    if (face.showsChipBar) {
        for (const QString& tag : TagDraft::chips(snapshot_.vocabulary, state_.draft)) {
            AddBarFace::Chip chip;
            chip.tag = tag;
            chip.on = draftTags.contains(tag);
            chip.suggested = !chip.on && shown == tag;
            if (chip.suggested) {
                chip.accessibilityLabel = QStringLiteral("Suggested tag ") + tag;
                chip.accessibilityHint = PlatformWording::suggestedTagHint();
            } else {
                chip.accessibilityLabel =
                    (chip.on ? QStringLiteral("Remove tag ") : QStringLiteral("Tag with ")) + tag;
            }
            face.chips.append(chip);
        }
    }
    if (face == addBar_)
        return;
    addBar_ = std::move(face);
    emit addBarChanged();
}

void ListDetailModel::setDraft(const QString& draft) {
    if (state_.draft == draft)
        return;
    state_.draft = draft;
    updateAddBar();
}

// The four focus rules, each run only on a change of its state.
void ListDetailModel::setInputFocused(bool focused) {
    if (state_.inputFocused == focused)
        return;
    state_.inputFocused = focused;
    if (focused)
        setAdding(true);
    else if (!state_.namingTag && !state_.barButtonFocused)
        setAdding(false);
    updateAddBar();
}

void ListDetailModel::setBarButtonFocused(bool focused) {
    if (state_.barButtonFocused == focused)
        return;
    state_.barButtonFocused = focused;
    if (focused)
        setAdding(true);
    else if (!state_.inputFocused && !state_.namingTag)
        setAdding(false);
    updateAddBar();
}

void ListDetailModel::setAdding(bool adding) {
    if (state_.adding == adding)
        return;
    state_.adding = adding;
    if (!adding)
        setNamingTag(false);
}

void ListDetailModel::setNamingTag(bool naming) {
    if (state_.namingTag == naming)
        return;
    state_.namingTag = naming;
    if (!naming && state_.adding)
        setInputFocused(true);
}

void ListDetailModel::tapList() {
    setInputFocused(false);
}

void ListDetailModel::startNamingTag() {
    setNamingTag(true);
    updateAddBar();
}

void ListDetailModel::commitNewTag(const QString& typed) {
    setNamingTag(false);
    const std::optional<QString> tag = TagDraft::newTag(typed);
    if (tag && !Markdown::tags(state_.draft).contains(*tag))
        state_.draft = TagDraft::toggle(*tag, state_.draft);
    updateAddBar();
}

void ListDetailModel::pressChip(const QString& tag) {
    // The chip as it is shown: a marked chip turns its proposal down.
    const bool suggested = std::any_of(
        addBar_.chips.cbegin(), addBar_.chips.cend(),
        [&](const AddBarFace::Chip& chip) { return chip.tag == tag && chip.suggested; });
    if (suggested)
        state_.dismissedSuggestion = tag;
    else
        state_.draft = TagDraft::toggle(tag, state_.draft);
    updateAddBar();
}

void ListDetailModel::addDraft() {
    if (!mayWrite())
        return;
    QString text = AddDraftRule::itemText(state_.draft);
    if (text.isEmpty())
        return; // the draft keeps what it holds; no sound
    // The proposal is made from the draft as typed, against the list as it is now.
    if (refreshPending_)
        refreshNow();
    if (const std::optional<QString> tag = proposedTag(true))
        if (!Markdown::tags(text).contains(*tag))
            text = TagDraft::toggle(*tag, text);
    state_.dismissedSuggestion.reset();
    if (const std::optional<TBItem> added = store_.addItem(listID_, text))
        revealPending_ = added->id;
    SoundEffects::play(SoundEffect::itemAdded);
    state_.draft.clear();
    setInputFocused(true);
    updateAddBar();
}

bool ListDetailModel::pasteIntoAddBar(const QString& text) {
    if (!AddDraftRule::holdsSeveralLines(text))
        return false;
    // Lines never go into the one-line draft, also where nothing may be added.
    if (mayWrite())
        addPasted(text);
    return true;
}
