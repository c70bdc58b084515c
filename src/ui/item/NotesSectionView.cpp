// The notes section's widgets.
#include "NotesSectionView.h"

#include "NoteComposer.h"
#include "NoteRowView.h"
#include "ui/components/NoteField.h"
#include "ui/components/SymbolButton.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

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
        for (NoteRowView* row : rows_)
            delete row;
        rows_.clear();
        placeRing();
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
