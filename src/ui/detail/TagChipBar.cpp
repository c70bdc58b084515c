// The add bar's tag chips.
#include "TagChipBar.h"

#include "ListDetailModel.h"
#include "ui/components/SingleLineField.h"
#include "ui/components/SymbolButton.h"
#include "ui/components/TagChip.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QHash>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

namespace {

// The new-tag field: a small rounded box in the chips' font with its own placeholder.
class NewTagField : public SingleLineField {
public:
    NewTagField() {
        setFrame(false);
        setFont(DesignFont::monospaced(12, QFont::Medium));
        QPalette palette;
        palette.setColor(QPalette::Base, Qt::transparent);
        palette.setColor(QPalette::Text, Theme::Colour::onSurface.resolved());
        setPalette(palette);
        setTextMargins(8, 0, 8, 0);
        setMinimumSize(88, 44);
        setPlaceholderText(QString()); // drawn below, in the theme's colour
        setAccessibleName(QString::fromLatin1(AddBarFace::newTagLabel));
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        {
            QPainter painter(this);
            painter.setRenderHint(QPainter::Antialiasing);
            QPainterPath box;
            box.addRoundedRect(QRectF(rect()), 8, 8);
            painter.fillPath(box, Theme::Colour::inputField.resolved());
            if (text().isEmpty()) {
                painter.setPen(Theme::Colour::onSurfaceVariant.resolved());
                painter.setFont(font());
                painter.drawText(rect().adjusted(8 + 2, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft,
                                 QString::fromLatin1(AddBarFace::newTagPlaceholder));
            }
        }
        SingleLineField::paintEvent(event);
    }
};

} // namespace

TagChipBar::TagChipBar(ListDetailModel& screen, QWidget* parent)
    : SidewaysScrollArea(parent), screen_(screen) {
    setWidgetResizable(true);
    setFocusPolicy(Qt::NoFocus);
    viewport()->setAutoFillBackground(false);
    strip_ = new QWidget;
    row_ = new QHBoxLayout(strip_);
    row_->setContentsMargins(16, 0, 16, 0);
    row_->setSpacing(8);

    newTagButton_ = new SymbolButton(
        QStringLiteral("plus"), DesignFont::styleSize(TextStyle::footnote),
        Theme::Colour::onSurfaceVariant, QString::fromLatin1(AddBarFace::newTagLabel), strip_);
    connect(newTagButton_, &QAbstractButton::clicked, &screen_, &ListDetailModel::startNamingTag);
    newTagField_ = new NewTagField;
    newTagField_->setParent(strip_);
    newTagField_->hide();
    newTagField_->installEventFilter(this);
    row_->addWidget(newTagButton_, 0, Qt::AlignVCenter);
    row_->addWidget(newTagField_, 0, Qt::AlignVCenter);
    row_->addStretch(1);
    setWidget(strip_);
    strip_->setAutoFillBackground(false);
    // Chips cut at an edge show there is more, on the add bar's card.
    setEdgeCues(Theme::Colour::card);
}

QList<TagChip*> TagChipBar::chips() const {
    return chipWidgets_;
}

namespace {

// What a screen reader is told of a chip: its name, hint and selected trait.
AccessibleSpec specOf(const AddBarFace::Chip& chip) {
    AccessibleTraits traits = AccessibleTrait::button;
    if (chip.selected())
        traits |= AccessibleTrait::selected;
    return {chip.accessibilityLabel, chip.accessibilityHint, {}, traits, {}};
}

} // namespace

void TagChipBar::follow(const AddBarFace& face) {
    if (face.chips != shown_)
        followChips(face.chips);
    // Each time a tag is proposed (a proposal goes while the draft's own is worked out, and
    // comes back), not on every change of the bar.
    if (face.suggestion != revealedSuggestion_) {
        revealedSuggestion_ = face.suggestion;
        if (face.suggestion)
            QTimer::singleShot(0, this, &TagChipBar::revealSuggestion);
    }
    if (face.namingTag != newTagField_->isVisible()) {
        // What is shown first takes the focus from what goes: the focus never passes on to a
        // control outside the bar meanwhile.
        if (face.namingTag) {
            newTagField_->clear();
            newTagField_->show();
            newTagField_->setFocus(Qt::OtherFocusReason); // shown: it takes the focus
            newTagButton_->hide();
            ensureWidgetVisible(newTagField_);
        } else {
            newTagButton_->show();
            newTagField_->hide();
        }
    }
}

void TagChipBar::followChips(const QList<AddBarFace::Chip>& chips) {
    // Chips are kept by their tag: a chip that stays is told only what changed of it, so a
    // screen reader hears of the chips that changed, and the keyboard stays on its chip.
    QHash<QString, TagChip*> kept;
    for (TagChip* widget : std::as_const(chipWidgets_))
        kept.insert(widget->tag(), widget);
    QWidget* focus = QApplication::focusWidget();
    const int focusPlace = int(chipWidgets_.indexOf(qobject_cast<TagChip*>(focus)));
    const bool ringed = focusPlace >= 0 && chipWidgets_.at(focusPlace)->showsFocusRing();
    QList<TagChip*> next;
    for (int i = 0; i < chips.size(); ++i) {
        const AddBarFace::Chip& chip = chips.at(i);
        TagChip* widget = kept.take(chip.tag);
        if (widget) {
            widget->setFace(chip.selected(), specOf(chip));
        } else {
            widget = new TagChip(chip.tag, chip.selected(), specOf(chip), strip_);
            widget->setFocusGround(Theme::Colour::card); // the add bar's
            const QString tag = chip.tag;
            connect(widget, &QAbstractButton::clicked, &screen_,
                    [this, tag] { screen_.pressChip(tag); });
        }
        if (row_->indexOf(widget) != i) {
            row_->removeWidget(widget);
            row_->insertWidget(i, widget, 0, Qt::AlignVCenter);
        }
        // Shown now, not when the layout's queued call comes round: the layout places only
        // shown chips, and a proposed chip is revealed where it was placed.
        widget->show();
        next.append(widget);
    }
    chipWidgets_ = next;
    shown_ = chips;
    // The keyboard's chip went: the chip that took its place has it (or the new-tag button),
    // before the old one is hidden, which would hand the focus on out of the bar.
    if (focusPlace >= 0 && kept.contains(qobject_cast<TagChip*>(focus)->tag())) {
        QWidget* to = chipWidgets_.isEmpty()
                          ? static_cast<QWidget*>(newTagButton_)
                          : chipWidgets_.at(std::min(focusPlace, int(chipWidgets_.size()) - 1));
        to->setFocus(ringed ? Qt::OtherFocusReason : Qt::MouseFocusReason);
    }
    // A chip may be the sender whose click led here: it goes once its signal is over.
    for (TagChip* old : std::as_const(kept)) {
        row_->removeWidget(old);
        old->hide();
        old->deleteLater();
    }
}

void TagChipBar::revealSuggestion() {
    for (int i = 0; i < chipWidgets_.size() && i < shown_.size(); ++i) {
        if (!shown_.at(i).suggested)
            continue;
        strip_->layout()->activate();
        // Clear of the cue that would otherwise fade it out.
        ensureWidgetVisible(chipWidgets_.at(i), cueWidth, 0);
        return;
    }
}

void TagChipBar::commit() {
    // The field is emptied first, so the commit of its losing the focus finds nothing.
    const QString typed = newTagField_->text();
    newTagField_->clear();
    screen_.commitNewTag(typed);
}

bool TagChipBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == newTagField_) {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                commit();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            // A menu or another window takes the focus only for a while.
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
                newTagField_->isVisible())
                commit();
        }
    }
    return QScrollArea::eventFilter(watched, event);
}

int TagChipBar::heightForWidth(int) const {
    return strip_->sizeHint().height();
}

QSize TagChipBar::sizeHint() const {
    return {400, strip_->sizeHint().height()};
}

QSize TagChipBar::minimumSizeHint() const {
    return {0, strip_->sizeHint().height()};
}
