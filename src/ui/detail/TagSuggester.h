#pragma once

#include "lexicon/ItemTagger.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <memory>
#include <optional>

struct LexiconVocabulary;

// Works out the tag to propose for the add bar's draft away from the keystroke: over thousands
// of tagged items the tagger takes tens of milliseconds, longer than a frame. A draft's answer
// is looked for on a worker thread, one look-up at a time (the latest draft asked for is the next
// one looked up), and ready() tells when the answer for the draft asked for last has come.
// Answers are kept per draft until the list's tags or tagged items change. Main thread only;
// the worker only reads a copy of the inputs.
class TagSuggester : public QObject {
    Q_OBJECT

public:
    // What the tagger is given besides the draft: the list's tags and its tagged items (each
    // with its text and first tag), and the vocabulary (none: the shared one).
    struct Inputs {
        QStringList listTags;
        QList<ItemTagger::TaggedItem> existing;
        const LexiconVocabulary* vocabulary = nullptr;
    };
    using Answer = std::optional<QString>;

    explicit TagSuggester(QObject* parent = nullptr);
    ~TagSuggester() override; // waits for a look-up under way

    // New inputs: every answer kept is dropped.
    void setInputs(Inputs inputs);
    // The answer for a draft when it is known already; otherwise none, and the draft is looked
    // up in the background.
    std::optional<Answer> ask(const QString& draft);
    // The answer for a draft, worked out here and now when it is not known.
    Answer now(const QString& draft);
    // Waits until no look-up is under way and delivers what came back (tests, benchmarks).
    void settle();

signals:
    void ready(); // the answer for the draft last asked for is known

private:
    void start();
    void take(const QString& draft, quint64 version, const Answer& answer);

    std::shared_ptr<const Inputs> inputs_;
    quint64 version_ = 0;
    QHash<QString, Answer> answers_;
    std::optional<QString> wanted_; // the draft asked for last, while its answer is not known
    bool running_ = false;
    QThreadPool pool_;
};
