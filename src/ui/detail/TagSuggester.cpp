// The add bar's tag proposal, looked up off the keystroke.
#include "TagSuggester.h"

#include "lexicon/LexiconStore.h"

#include <QCoreApplication>

namespace {

// Enough for a draft typed and corrected; the answers of older drafts are dropped together.
constexpr qsizetype maxAnswersKept = 256;

TagSuggester::Answer lookUp(const QString& draft, const TagSuggester::Inputs& inputs) {
    return ItemTagger::suggestion(draft, inputs.listTags, inputs.existing, inputs.vocabulary);
}

} // namespace

TagSuggester::TagSuggester(QObject* parent) : QObject(parent), inputs_(std::make_shared<Inputs>()) {
    pool_.setMaxThreadCount(1);
}

TagSuggester::~TagSuggester() {
    pool_.waitForDone();
}

void TagSuggester::setInputs(Inputs inputs) {
    // The shared vocabulary is made on first use: here, not on the worker.
    if (!inputs.vocabulary)
        inputs.vocabulary = &LexiconStore::shared().vocabulary();
    inputs_ = std::make_shared<const Inputs>(std::move(inputs));
    ++version_;
    answers_.clear();
}

std::optional<TagSuggester::Answer> TagSuggester::ask(const QString& draft) {
    const auto found = answers_.constFind(draft);
    if (found != answers_.cend()) {
        wanted_.reset();
        return *found;
    }
    wanted_ = draft;
    if (!running_)
        start();
    return std::nullopt;
}

TagSuggester::Answer TagSuggester::now(const QString& draft) {
    const auto found = answers_.constFind(draft);
    if (found != answers_.cend())
        return *found;
    const Answer answer = lookUp(draft, *inputs_);
    if (answers_.size() >= maxAnswersKept)
        answers_.clear();
    answers_.insert(draft, answer);
    return answer;
}

void TagSuggester::settle() {
    while (running_) {
        pool_.waitForDone();
        QCoreApplication::sendPostedEvents(this);
    }
}

void TagSuggester::start() {
    if (!wanted_)
        return;
    running_ = true;
    const QString draft = *wanted_;
    const quint64 version = version_;
    std::shared_ptr<const Inputs> inputs = inputs_;
    // The destructor waits for the pool, so `this` outlives the job and its posted answer.
    pool_.start([this, draft, version, inputs] {
        const Answer answer = lookUp(draft, *inputs);
        QMetaObject::invokeMethod(
            this, [this, draft, version, answer] { take(draft, version, answer); },
            Qt::QueuedConnection);
    });
}

void TagSuggester::take(const QString& draft, quint64 version, const Answer& answer) {
    running_ = false;
    if (version == version_) {
        if (answers_.size() >= maxAnswersKept)
            answers_.clear();
        answers_.insert(draft, answer);
    }
    if (wanted_ && answers_.contains(*wanted_)) {
        wanted_.reset();
        emit ready();
        return;
    }
    start(); // a newer draft, or new inputs, came while this one was looked up
}
