// The notes section's widgets.
#include "NotesSectionView.h"

#include "AuthorButton.h"
#include "NoteComposer.h"
#include "NoteRowView.h"
#include "ui/components/NoteField.h"
#include "ui/components/SymbolButton.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace {

// Room between a ringed note and its ring: the words never touch it.
constexpr int ringRoom = 6;

// The theme's focus ring, as its buttons draw it, standing over the page and taking no clicks.
class NoteRing : public QWidget {
public:
    explicit NoteRing(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Theme::Colour::primary.resolved(), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 8, 8);
    }
};

} // namespace

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

    // In the page around the section when there is one, which leaves room at the sides.
    ring_ = new NoteRing(parent ? parent : this);
    installEventFilter(this); // the section moving in the page moves the ring too

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
        const Focus focus = focusAmongRows();
        // Taken out of the list first: a row going with the keyboard sends its focus events to
        // the filter while the others are gone already.
        const QList<NoteRowView*> old = std::exchange(rows_, {});
        for (const NotesThreadModel::Row& row : face.rows) {
            auto* view = new NoteRowView(row, this);
            const QString id = row.id;
            connect(view, &NoteRowView::authorClicked, this, [this, id] { model_.editPerson(id); });
            connect(view, &NoteRowView::deleteClicked, this, [this, id] { model_.removeNote(id); });
            rowsLayout_->addWidget(view);
            rows_.append(view);
            view->installEventFilter(this);
        }
        shownRows_ = face.rows;
        rowsShown_ = true;
        // Before the old rows go, which would leave the keyboard nowhere.
        if (focus.row >= 0)
            giveFocusBack(focus, face);
        for (NoteRowView* row : old)
            delete row;
        placeRing();
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

NotesSectionView::Focus NotesSectionView::focusAmongRows() const {
    const QWidget* focused = QApplication::focusWidget();
    for (qsizetype i = 0; focused && i < rows_.size(); ++i) {
        NoteRowView* row = rows_.at(i);
        if (row != focused && !row->isAncestorOf(focused))
            continue;
        const Part part = focused == row->authorButton()   ? Part::author
                          : focused == row->deleteButton() ? Part::deleteButton
                                                           : Part::words;
        return {int(i), shownRows_.value(i).id, part};
    }
    return {};
}

void NotesSectionView::giveFocusBack(const Focus& focus, const NotesThreadModel::Face& face) {
    // The same note, and the same part of it, when it is still there; else the note that came
    // into its place (after a delete, the next one), the last one, or the composer.
    QWidget* target = nullptr;
    for (qsizetype i = 0; i < face.rows.size() && !target; ++i) {
        if (face.rows.at(i).id != focus.id)
            continue;
        NoteRowView* row = rows_.at(i);
        if (focus.part == Part::author)
            target = row->authorButton();
        else if (focus.part == Part::deleteButton)
            target = row->deleteButton();
        if (!target)
            target = row;
    }
    if (!target && !rows_.isEmpty())
        target = rows_.at(qMin(focus.row, int(rows_.size()) - 1));
    if (!target && face.showsComposer)
        target = &composer_->field();
    if (!target)
        return;
    // Shown now rather than at the next turn, as the layout would: a hidden control takes no
    // focus.
    for (QWidget* shown = target; shown && shown != this; shown = shown->parentWidget())
        shown->show();
    layout()->activate();
    target->setFocus(Qt::OtherFocusReason);
}

bool NotesSectionView::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Hide:
        if (watched == this || rows_.contains(watched))
            placeRing();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void NotesSectionView::placeRing() {
    NoteRowView* focused = nullptr;
    for (NoteRowView* row : std::as_const(rows_))
        if (row->hasFocus() && row->isVisible())
            focused = row;
    if (!focused) {
        ring_->hide();
        return;
    }
    QWidget* page = ring_->parentWidget();
    const QRect row(focused->mapTo(page, QPoint(0, 0)), focused->size());
    ring_->setGeometry(
        row.adjusted(-ringRoom, -ringRoom / 2, ringRoom, ringRoom / 2).intersected(page->rect()));
    ring_->raise();
    ring_->show();
}
