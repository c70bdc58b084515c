// The add bar.
#include "AddItemBar.h"

#include "ListDetailModel.h"
#include "TagChipBar.h"
#include "ui/components/Accessibility.h"
#include "ui/components/AddItemField.h"
#include "ui/components/SymbolButton.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

namespace {

// The field's capsule on the input colour, with the placeholder drawn under the field's text
// while the draft is blank (the field itself is transparent).
class Capsule : public QWidget {
public:
    explicit Capsule(QWidget* parent) : QWidget(parent) { setFixedHeight(44); }
    void setPlaceholderShown(bool shown) {
        if (shown != placeholder_) {
            placeholder_ = shown;
            update();
        }
    }
    bool placeholderShown() const { return placeholder_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath capsule;
        capsule.addRoundedRect(QRectF(rect()), height() / 2.0, height() / 2.0);
        painter.fillPath(capsule, Theme::Colour::inputField.resolved());
        if (placeholder_) {
            painter.setFont(DesignFont::system(15));
            painter.setPen(Theme::Colour::onSurfaceVariant.resolved());
            // QLineEdit insets its text by 2 pixels: the placeholder starts where typing does.
            painter.drawText(rect().adjusted(16 + 2, 0, -16, 0), Qt::AlignVCenter | Qt::AlignLeft,
                             QString::fromLatin1(AddBarFace::placeholder));
        }
    }

private:
    bool placeholder_ = true;
};

} // namespace

AddItemBar::AddItemBar(ListDetailModel& screen, QWidget* parent)
    : FootStrip(parent), screen_(screen) {
    setObjectName(QStringLiteral("add-item-bar"));
    auto* column = new QWidget;
    auto* stack = new QVBoxLayout(column);
    stack->setContentsMargins(0, 12, 0, 12);
    stack->setSpacing(8);

    chips_ = new TagChipBar(screen_, column);
    stack->addWidget(chips_);

    auto* fieldRow = new QHBoxLayout;
    fieldRow->setContentsMargins(16, 0, 16, 0);
    fieldRow->setSpacing(12);
    capsule_ = new Capsule(column);
    auto* inCapsule = new QHBoxLayout(capsule_);
    inCapsule->setContentsMargins(16, 0, 16, 0);
    field_ = new AddItemField(false, capsule_);
    inCapsule->addWidget(field_);
    fieldRow->addWidget(capsule_, 1);
    // The plus follows the title 3 style, drawn a size up: the icon font's plus is slighter
    // than the system's.
    plus_ = new SymbolButton(QStringLiteral("plus"), DesignFont::styleSize(TextStyle::title2),
                             Theme::Colour::onSurfaceVariant,
                             QString::fromLatin1(AddBarFace::plusLabel), column);
    fieldRow->addWidget(plus_);
    stack->addLayout(fieldRow);

    setColumn(column);

    connect(field_, &QLineEdit::textEdited, &screen_, &ListDetailModel::setDraft);
    field_->setPasteHandler([this](const QString& text) { return screen_.pasteIntoAddBar(text); });
    connect(field_, &AddItemField::submitted, &screen_, &ListDetailModel::addDraft);
    connect(field_, &AddItemField::focusedChanged, this, [this](bool focused) {
        // Told first where the keyboard went: on to the bar's buttons, adding goes on.
        if (!focused)
            screen_.setBarButtonFocused(isBarButton(QApplication::focusWidget()));
        screen_.setInputFocused(focused);
    });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        // A menu or another window takes the keyboard only for a while.
        if (now && now->window() == window())
            screen_.setBarButtonFocused(isBarButton(now));
    });
    connect(plus_, &QAbstractButton::clicked, &screen_, &ListDetailModel::addDraft);
    connect(&screen_, &ListDetailModel::addBarChanged, this, &AddItemBar::follow);
    follow();
}

bool AddItemBar::isBarButton(const QWidget* widget) const {
    return qobject_cast<const QAbstractButton*>(widget) && isAncestorOf(widget);
}

bool AddItemBar::showsPlaceholder() const {
    return static_cast<Capsule*>(capsule_)->placeholderShown();
}

void AddItemBar::follow() {
    const AddBarFace& face = screen_.addBar();
    if (field_->text() != face.draft)
        field_->setText(face.draft);
    static_cast<Capsule*>(capsule_)->setPlaceholderShown(face.blank);
    // The field takes the keyboard before the plus, which may have it, is disabled: the focus
    // does not pass on to the next control meanwhile.
    if (face.inputFocused && plus_->hasFocus())
        field_->setFocused(true);
    plus_->setEnabled(!face.blank);
    plus_->setColour(face.blank ? Theme::Colour::onSurfaceVariant : Theme::Colour::onAccent);
    plus_->setCircle(face.blank ? Theme::Colour::chip : Theme::Colour::accentBold);
    if (chips_->isHidden() == face.showsChipBar) {
        chips_->setVisible(face.showsChipBar);
        // Heard by the layouts even while the pane is not shown yet, so it comes up at its
        // new height.
        for (QWidget* widget = chips_->parentWidget(); widget && widget != parentWidget();
             widget = widget->parentWidget())
            if (widget->layout())
                widget->layout()->invalidate();
    }
    if (face.showsChipBar)
        chips_->follow(face);
    field_->setFocused(face.inputFocused);
    // The proposed tag is said once, as it is proposed: the field's description changes only
    // with the proposal.
    Accessibility::apply(field_, {field_->accessibleName(), face.fieldHint, {}, {}, {}});
}
