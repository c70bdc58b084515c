#pragma once

#include "NotesThreadModel.h"

#include <QList>
#include <QWidget>

class NoteComposer;
class NoteRowView;
class QVBoxLayout;
class SymbolButton;
class TextLabel;

// The notes section of the item editor: the caption, the rows, then on a list that may be
// edited the composer (or the limit text) and the last refusal. Everything comes from its
// NotesThreadModel; the rows are made again only when they change, and the keyboard stays among
// them (on the same note, or the next one once a note was deleted). A row the keyboard is on is
// ringed with room round its words, in the page around the section.
class NotesSectionView : public QWidget {
    Q_OBJECT
public:
    NotesSectionView(NotesThreadModel& model, QWidget* parent = nullptr);

    NoteComposer& composer() const { return *composer_; }
    SymbolButton& saveButton() const { return *save_; }
    const QList<NoteRowView*>& rows() const { return rows_; }
    TextLabel& limitLabel() const { return *limit_; }
    TextLabel& messageLabel() const { return *message_; }
    bool showsComposer() const;
    // The ring round the row that has the keyboard; hidden while none has it.
    QWidget& focusRing() const { return *ring_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Part { words, author, deleteButton };
    // Where the keyboard is among the rows: the row's place and note, and which part of it.
    struct Focus {
        int row = -1;
        QString id;
        Part part = Part::words;
    };
    Focus focusAmongRows() const;
    void giveFocusBack(const Focus& focus, const NotesThreadModel::Face& face);
    void placeRing();

    void refresh();
    void showDraft();

    NotesThreadModel& model_;
    QVBoxLayout* rowsLayout_;
    QList<NoteRowView*> rows_;
    QList<NotesThreadModel::Row> shownRows_;
    bool rowsShown_ = false;
    QWidget* composerRow_;
    NoteComposer* composer_;
    SymbolButton* save_;
    TextLabel* limit_;
    TextLabel* message_;
    QWidget* ring_;
};
