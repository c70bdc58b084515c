// The person name sheet.
#include "PersonAliasSheet.h"

#include "PeopleCard.h"
#include "PeopleNavBar.h"
#include "PersonAliasModel.h"
#include "ui/components/Accessibility.h"
#include "ui/components/ContactCircle.h"
#include "ui/components/FocusOrder.h"
#include "ui/components/PaintedButton.h"
#include "ui/components/SingleLineField.h"
#include "ui/components/SymbolView.h"
#include "ui/components/TextLabel.h"
#include "ui/lists/LabelButton.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

using namespace Theme;

TextLabel* note(const QString& text) {
    auto* label = new TextLabel(text, DesignFont::system(15), Colour::onSurfaceVariant);
    label->setWordWrap(true);
    return label;
}

// The starting path's card: the whole card is the button; its symbol and two lines are laid out
// inside it and wrap as they need.
class PathButton : public PaintedButton {
public:
    PathButton() {
        setMinimumHeight(44);
        // A button takes its size hint as its least width: this one wraps its lines instead.
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }

protected:
    void paintFace(QPainter& painter) override {
        QPainterPath card;
        card.addRoundedRect(QRectF(rect()), 12, 12);
        painter.fillPath(card, Colour::card.resolved());
    }
    QPainterPath focusShape() const override {
        QPainterPath card;
        card.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 12, 12);
        return card;
    }
};

LabelButton* linkButton(const QString& title, double size) {
    LabelButton::Look look{DesignFont::system(size), Colour::primary, QMargins(0, 0, 0, 0), 44};
    look.alignment = Qt::AlignLeft | Qt::AlignVCenter;
    return new LabelButton(title, look);
}

} // namespace

PersonAliasSheet::PersonAliasSheet(ListStore& store, const QString& personID,
                                   const QString& storedName, QWidget* parent)
    : SheetDialog(parent), model_(new PersonAliasModel(store, personID, storedName, this)) {
    setObjectName(QStringLiteral("personAliasSheet"));
    setWindowTitle(PersonAliasModel::title());
    resize(440, 560);
    build();
    connect(model_, &PersonAliasModel::changed, this, &PersonAliasSheet::sync);
    sync();
}

void PersonAliasSheet::build() {
    bar_ = new PeopleNavBar(PeopleNavBar::Leading::cancel, PersonAliasModel::cancelTitle(),
                            PersonAliasModel::title());
    cancel_ = bar_->leadingButton();
    done_ =
        new LabelButton(PersonAliasModel::doneTitle(), {DesignFont::system(17, QFont::DemiBold),
                                                        Colour::primary, QMargins(8, 0, 8, 0), 44});
    done_->setAccessible({PersonAliasModel::doneLabel(), {}, {}, {}, {}});
    bar_->setTrailing(done_);
    connect(bar_, &PeopleNavBar::leadingClicked, this, &QDialog::reject);
    connect(done_, &QAbstractButton::clicked, this, [this] {
        model_->save();
        accept();
    });

    // The heading: the person's circle, the name shown for them, and who they say they are.
    heading_ = new QWidget;
    auto* headingRow = new QHBoxLayout(heading_);
    headingRow->setContentsMargins(0, 0, 0, 0);
    headingRow->setSpacing(16);
    circle_ = new ContactCircle(model_->resolved(), 56);
    headingRow->addWidget(circle_, 0, Qt::AlignVCenter);
    auto* names = new QVBoxLayout;
    names->setSpacing(2);
    name_ = new TextLabel(QString(), DesignFont::system(22, QFont::DemiBold), Colour::onSurface);
    name_->setWordWrap(true);
    note_ = note(QString());
    names->addWidget(name_);
    names->addWidget(note_);
    headingRow->addLayout(names, 1);
    // Read as one element, by the label sync() gives the heading.
    for (QWidget* part : {static_cast<QWidget*>(circle_), static_cast<QWidget*>(name_),
                          static_cast<QWidget*>(note_)})
        Accessibility::hide(part);

    // The starting path: one card that is the button, and the privacy note.
    pathSection_ = new QWidget;
    auto* pathColumn = new QVBoxLayout(pathSection_);
    pathColumn->setContentsMargins(0, 0, 0, 0);
    pathColumn->setSpacing(16);
    path_ = new PathButton;
    path_->setAccessible({PersonAliasModel::pathLabel(), {}, {}, {}, {}});
    auto* pathInside = new QHBoxLayout(path_);
    pathInside->setContentsMargins(18, 18, 18, 18);
    pathInside->setSpacing(16);
    auto* symbol = new SymbolView(PersonAliasModel::pathSymbol(), 20, Colour::primary);
    Accessibility::hide(symbol);
    pathInside->addWidget(symbol, 0, Qt::AlignTop);
    auto* pathText = new QVBoxLayout;
    pathText->setSpacing(2);
    auto* pathTitle =
        new TextLabel(PersonAliasModel::pathTitle(), DesignFont::system(17), Colour::onSurface);
    auto* pathDetail = note(PersonAliasModel::pathDetail());
    for (QWidget* inside : {static_cast<QWidget*>(symbol), static_cast<QWidget*>(pathTitle),
                            static_cast<QWidget*>(pathDetail)})
        inside->setAttribute(Qt::WA_TransparentForMouseEvents);
    pathText->addWidget(pathTitle);
    pathText->addWidget(pathDetail);
    pathInside->addLayout(pathText, 1);
    pathColumn->addWidget(path_);
    pathColumn->addWidget(note(PersonAliasModel::privacyNote()));
    connect(path_, &QAbstractButton::clicked, model_, &PersonAliasModel::createProfile);

    // The details: the nickname and the photo.
    details_ = new QWidget;
    auto* detailColumn = new QVBoxLayout(details_);
    detailColumn->setContentsMargins(0, 0, 0, 0);
    detailColumn->setSpacing(24);
    auto* nicknameCard = new PeopleCard(8);
    nickname_ = new SingleLineField;
    nickname_->setRoundedBorder(true);
    nickname_->setFont(DesignFont::system(17));
    nickname_->setAccessibleName(PersonAliasModel::nicknameLabel());
    useTheirName_ = linkButton(PersonAliasModel::useTheirNameTitle(), 15);
    useTheirName_->setAccessible({PersonAliasModel::useTheirNameLabel(), {}, {}, {}, {}});
    nicknameCard->column()->addWidget(nickname_);
    nicknameCard->column()->addWidget(useTheirName_);
    nicknameCard->column()->addWidget(note(PersonAliasModel::privacyNote()));
    detailColumn->addWidget(PeopleCard::section(PersonAliasModel::nicknameSection(), nicknameCard));
    auto* photoCard = new PeopleCard(8);
    removePhoto_ = linkButton(PersonAliasModel::removePhotoTitle(), 17);
    photoNote_ = note(QString());
    photoCard->column()->addWidget(removePhoto_);
    photoCard->column()->addWidget(photoNote_);
    detailColumn->addWidget(PeopleCard::section(PersonAliasModel::photoSection(), photoCard));
    // Return in the field does nothing: only "Done" saves.
    connect(nickname_, &QLineEdit::textChanged, model_, &PersonAliasModel::setAlias);
    connect(useTheirName_, &QAbstractButton::clicked, model_, &PersonAliasModel::useTheirName);
    connect(removePhoto_, &QAbstractButton::clicked, model_, &PersonAliasModel::removePhoto);

    auto* column = new QWidget;
    auto* columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(16, 16, 16, 16);
    columnLayout->setSpacing(24);
    columnLayout->addWidget(heading_);
    columnLayout->addWidget(pathSection_);
    columnLayout->addWidget(details_);
    columnLayout->addStretch(1);
    auto* scroll = new QScrollArea;
    scroll->setWidget(column);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The sheet's background shows through; a style sheet would restyle the fields inside.
    scroll->viewport()->setAutoFillBackground(false);
    column->setAutoFillBackground(false);
    // Tab goes to the controls and the page follows it; the area itself would be a stop with no
    // name that shows nothing.
    scroll->setFocusPolicy(Qt::NoFocus);
    FocusOrder::keepInSight(scroll);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar_);
    layout->addWidget(scroll, 1);
}

void PersonAliasSheet::sync() {
    const bool started = model_->started();
    done_->setVisible(started);
    pathSection_->setVisible(!started);
    details_->setVisible(started);
    circle_->setDisplay(model_->resolved());
    name_->setText(model_->headingName());
    const std::optional<QString> headingNote = model_->headingNote();
    note_->setVisible(headingNote.has_value());
    note_->setText(headingNote.value_or(QString()));
    Accessibility::apply(heading_, {model_->headingLabel(), {}, {}, {}, {}});
    if (nickname_->text() != model_->alias())
        nickname_->setText(model_->alias());
    nickname_->setPlaceholderText(model_->placeholder());
    useTheirName_->setVisible(model_->showsUseTheirName());
    removePhoto_->setVisible(model_->hasPhoto());
    photoNote_->setText(model_->photoNote());
}
