// The notes section's widgets.
#include "NotesSectionView.h"

#include "NoteComposer.h"
#include "NoteRowView.h"
#include "ui/components/NoteField.h"
#include "ui/components/SymbolButton.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

NotesSectionView::NotesSectionView(NotesThreadModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(new TextLabel(NotesThreadModel::caption, DesignFont::smallHeading(),
                                    Theme::Colour::onSurfaceVariant, this));
    rowsLayout_ = new QVBoxLayout;
    rowsLayout_->setSpacing(8);
    layout->addLayout(rowsLayout_);

    composerRow_ = new QWidget(this);
    auto* composerLayout = new QHBoxLayout(composerRow_);
    composerLayout->setContentsMargins(0, 0, 0, 0);
    composerLayout->setSpacing(8);
    composer_ = new NoteComposer(NotesThreadModel::placeholder, composerRow_);
    composerLayout->addWidget(composer_, 1, Qt::AlignVCenter);
    save_ = new SymbolButton(QStringLiteral("plus.circle.fill"),
                             DesignFont::styleSize(TextStyle::title3), Theme::Colour::primary,
                             NotesThreadModel::saveLabel, composerRow_);
    composerLayout->addWidget(save_, 0, Qt::AlignVCenter);
    layout->addWidget(composerRow_);

    limit_ =
        new TextLabel(QString(), DesignFont::system(15), Theme::Colour::onSurfaceVariant, this);
    limit_->setWordWrap(true);
    layout->addWidget(limit_);
    message_ =
        new TextLabel(QString(), DesignFont::system(15), Theme::Colour::onSurfaceVariant, this);
    message_->setWordWrap(true);
    layout->addWidget(message_);

    NoteField& field = composer_->field();
    connect(&field, &QPlainTextEdit::textChanged, this,
            [this, &field] { model_.setDraft(field.text()); });
    connect(&field, &NoteField::submitted, &model_, &NotesThreadModel::commitNote);
    connect(save_, &QAbstractButton::clicked, &model_, &NotesThreadModel::commitNote);
    connect(&model_, &NotesThreadModel::draftReplaced, this, &NotesSectionView::showDraft);
    connect(&model_, &NotesThreadModel::changed, this, &NotesSectionView::refresh);
    showDraft();
    refresh();
}

bool NotesSectionView::showsComposer() const {
    return !composerRow_->isHidden();
}

void NotesSectionView::showDraft() {
    NoteField& field = composer_->field();
    if (field.text() == model_.draft())
        return;
    field.setText(model_.draft());
    field.moveCursor(QTextCursor::End);
}

void NotesSectionView::refresh() {
    const NotesThreadModel::Face face = model_.face();
    if (!rowsShown_ || face.rows != shownRows_) {
        for (NoteRowView* row : rows_)
            delete row;
        rows_.clear();
        for (const NotesThreadModel::Row& row : face.rows) {
            auto* view = new NoteRowView(row, this);
            const QString id = row.id;
            connect(view, &NoteRowView::authorClicked, this, [this, id] { model_.editPerson(id); });
            connect(view, &NoteRowView::deleteClicked, this, [this, id] { model_.removeNote(id); });
            rowsLayout_->addWidget(view);
            rows_.append(view);
        }
        shownRows_ = face.rows;
        rowsShown_ = true;
    }
    composerRow_->setVisible(face.showsComposer);
    composer_->setPlaceholderShown(face.showsPlaceholder);
    save_->setEnabled(face.canSave);
    save_->setColour(face.canSave ? Theme::Colour::primary : Theme::Colour::outlineVariant);
    limit_->setText(face.limitText.value_or(QString()));
    limit_->setVisible(face.limitText.has_value());
    message_->setText(face.message.value_or(QString()));
    message_->setVisible(face.message.has_value());
}
