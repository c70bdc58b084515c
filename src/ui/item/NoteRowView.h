#pragma once

#include "NotesThreadModel.h"

#include <QWidget>

class AuthorButton;
class SymbolButton;

// One note of the thread: another person's badge and name when it has them, the text wrapped
// in full, and the delete button on a note the user may remove. One element for screen readers
// that holds its buttons, and a stop of Tab of its own, so that the keyboard reaches the note's
// words and not only its buttons (NotesSectionView rings it then).
class NoteRowView : public QWidget {
    Q_OBJECT
public:
    NoteRowView(const NotesThreadModel::Row& row, QWidget* parent = nullptr);

    AuthorButton* authorButton() const { return author_; }
    SymbolButton* deleteButton() const { return delete_; }

signals:
    void authorClicked();
    void deleteClicked();

private:
    AuthorButton* author_ = nullptr;
    SymbolButton* delete_ = nullptr;
};
