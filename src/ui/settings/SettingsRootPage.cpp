// The settings sheet's first page.
#include "SettingsRootPage.h"

#include "SettingsDisclosure.h"
#include "SettingsPieces.h"
#include "SettingsRow.h"
#include "SoundPickerModel.h"
#include "ui/components/Accessibility.h"
#include "ui/components/FocusOrder.h"
#include "ui/components/OverlayScrollBar.h"
#include "ui/components/ReadingColumn.h"
#include "ui/components/SegmentedPicker.h"
#include "ui/components/SettingsHeaderBar.h"
#include "ui/components/SingleLineField.h"
#include "ui/components/SymbolView.h"
#include "ui/components/TextButton.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

using namespace Theme;

TextLabel* wrapping(const QString& text, const QFont& font, DynamicColour colour) {
    auto* label = new TextLabel(text, font, colour);
    label->setWordWrap(true);
    return label;
}

// Content padded the way the cards pad their texts.
QWidget* padded(QWidget* content, QMargins margins) {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(margins);
    layout->setSpacing(0);
    layout->addWidget(content);
    return box;
}

SettingsCard* card(const QList<QWidget*>& rows) {
    auto* card = new SettingsCard;
    for (QWidget* row : rows)
        card->layout()->addWidget(row);
    return card;
}

// A trailing pair: a control and the chevron that folds its row's explanation.
QWidget* pair(QWidget* first, QWidget* second) {
    auto* box = new QWidget;
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(first, 1);
    layout->addWidget(second);
    return box;
}

} // namespace

SettingsRootPage::SettingsRootPage(SettingsModel& model, bool circlesOpen, QWidget* parent)
    : QWidget(parent), model_(model), circlesOpen_(circlesOpen),
      header_(new SettingsHeaderBar(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    connect(header_, &SettingsHeaderBar::doneRequested, this, &SettingsRootPage::doneRequested);
    layout->addWidget(header_);

    auto* column = new QWidget;
    auto* stack = new QVBoxLayout(column);
    stack->setContentsMargins(16, 16, 16, 16);
    stack->setSpacing(24);
    for (SettingsSection each : model_.sections())
        stack->addWidget(section(each));
    stack->addStretch(1);

    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    new OverlayScrollBar(scroll); // shown whenever there is more to see
    // The page scrolls to whatever control Tab reaches; the area itself is no stop, which would
    // have no name and show nothing.
    scroll->setFocusPolicy(Qt::NoFocus);
    FocusOrder::keepInSight(scroll);
    scroll->setWidget(new ReadingColumn(column, Colour::background));
    layout->addWidget(scroll, 1);

    connect(&model_, &SettingsModel::changed, this, &SettingsRootPage::refresh);
    refresh();
}

void SettingsRootPage::refresh() {
    for (const auto& refresher : refreshers_)
        refresher();
}

QWidget* SettingsRootPage::section(SettingsSection section) {
    switch (section) {
    case SettingsSection::account:
        return account();
    case SettingsSection::sync:
        return titled(section, {sync()});
    case SettingsSection::sharing:
        return titled(section, {sharing()});
    case SettingsSection::voice:
        return titled(section, {voice()});
    case SettingsSection::sounds:
        return titled(section, {sounds()});
    case SettingsSection::appearance:
        return titled(section, {appearance()});
    case SettingsSection::about:
        break;
    }
    return titled(section, about());
}

QWidget* SettingsRootPage::titled(SettingsSection section, QList<QWidget*> cards) {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto* title = new TextLabel(SettingsModel::sectionHeading(section), DesignFont::smallHeading(),
                                Colour::onSurfaceVariant);
    title->setContentsMargins(4, 0, 0, 0);
    Accessibility::apply(
        title, {SettingsModel::sectionTitle(section), {}, {}, AccessibleTrait::header, {}});
    layout->addWidget(title);
    for (QWidget* each : cards)
        layout->addWidget(each);
    return box;
}

QWidget* SettingsRootPage::chevron(SettingsExplanation explanation) {
    auto* button = new SettingsDisclosureChevron;
    connect(button, &QAbstractButton::clicked, &model_,
            [this, explanation] { model_.toggle(explanation); });
    refreshers_.append([this, button, explanation] {
        button->setOpen(model_.isOpen(explanation));
        button->setAccessible(model_.disclosureAccessible(explanation));
    });
    return button;
}

QWidget* SettingsRootPage::explanation(SettingsExplanation explanation) {
    QWidget* text = padded(wrapping(SettingsModel::explanationText(explanation),
                                    DesignFont::system(15), Colour::onSurfaceVariant),
                           QMargins(18, 0, 18, 18));
    refreshers_.append([this, text, explanation] { text->setVisible(model_.isOpen(explanation)); });
    return text;
}

QWidget* SettingsRootPage::disclosure(SettingsExplanation explanation, QWidget* content) {
    auto* fold = new SettingsDisclosure(SettingsModel::disclosureLabel(explanation), content);
    connect(fold, &SettingsDisclosure::toggleRequested, &model_,
            [this, explanation] { model_.toggle(explanation); });
    refreshers_.append([this, fold, explanation] {
        fold->setOpen(model_.isOpen(explanation), model_.disclosureAccessible(explanation));
    });
    return fold;
}

QWidget* SettingsRootPage::account() {
    auto* field = new SingleLineField;
    field->setPlaceholderText(SettingsModel::namePlaceholder());
    field->setFont(DesignFont::system(17));
    field->setFrame(false);
    field->setAlignment(Qt::AlignLeading | Qt::AlignVCenter);
    field->setText(model_.authorName());
    Accessibility::apply(field, {SettingsModel::namePlaceholder(), {}, {}, {}, {}});
    connect(field, &QLineEdit::textChanged, &model_, [this](const QString& text) {
        if (text != model_.authorName())
            model_.setAuthorName(text);
    });
    refreshers_.append([this, field] {
        if (field->text() != model_.authorName())
            field->setText(model_.authorName());
    });
    auto* row = new SettingsRow(QStringLiteral("person"), std::nullopt, std::nullopt,
                                pair(field, chevron(SettingsExplanation::name)));
    auto* note = padded(
        wrapping(SettingsModel::accountNote(), DesignFont::system(15), Colour::onSurfaceVariant),
        QMargins(18, 18, 18, 18));
    return card({row, explanation(SettingsExplanation::name), new SettingsRowDivider, note});
}

QWidget* SettingsRootPage::sync() {
    auto* toggle = new SettingsSwitch;
    toggle->setAccessible(SettingsModel::syncAccessible());
    connect(toggle, &QAbstractButton::clicked, &model_, [this](bool on) { model_.setSyncOn(on); });
    refreshers_.append([this, toggle] { toggle->setChecked(model_.syncOn()); });
    auto* row =
        new SettingsRow(QStringLiteral("arrow.triangle.2.circlepath"), SettingsModel::syncLabel(),
                        std::nullopt, pair(toggle, chevron(SettingsExplanation::sync)));
    return card({row, explanation(SettingsExplanation::sync)});
}

QWidget* SettingsRootPage::sharing() {
    auto* badge = new SettingsCountBadge(0);
    auto* trailing = new QWidget;
    auto* line = new QHBoxLayout(trailing);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(8);
    line->addWidget(badge);
    if (circlesOpen_) {
        line->addWidget(new SymbolView(QStringLiteral("chevron.right"), settingsChevronPoints(),
                                       Colour::onSurfaceVariant));
    }
    auto* row = new SettingsRow(QStringLiteral("person.2"), SettingsModel::circlesLabel(),
                                SettingsModel::circlesDetail(), trailing);
    QWidget* shown = row;
    if (circlesOpen_) {
        auto* link = new SettingsLink(row);
        connect(link, &QAbstractButton::clicked, this, &SettingsRootPage::circlesRequested);
        refreshers_.append([this, link] { link->setAccessible(model_.circlesAccessible()); });
        shown = link;
    } else {
        refreshers_.append([this, row] { Accessibility::apply(row, model_.circlesAccessible()); });
    }
    refreshers_.append([this, badge] {
        badge->setCount(model_.circleCount());
        badge->setVisible(model_.circleCount() > 0);
    });
    return card({shown});
}

QWidget* SettingsRootPage::voice() {
    QList<QWidget*> rows;
    for (const SettingsModel::VoiceRow& each : model_.voiceRows()) {
        auto* face = new QWidget;
        auto* line = new QHBoxLayout(face);
        line->setContentsMargins(18, 18, 18, 18);
        line->setSpacing(16);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(2);
        texts->addWidget(wrapping(each.title, DesignFont::system(17), Colour::onSurface));
        texts->addWidget(
            wrapping(each.description, DesignFont::system(15), Colour::onSurfaceVariant));
        line->addLayout(texts, 1);
        auto* mark =
            new SymbolView(QStringLiteral("checkmark"),
                           DesignFont::designSize(17, FontScaling::scaled), Colour::primary);
        line->addWidget(mark, 0, Qt::AlignTop);
        auto* link = new SettingsLink(face);
        const VoiceActivation activation = each.activation;
        connect(link, &QAbstractButton::clicked, &model_,
                [this, activation] { model_.chooseActivation(activation); });
        refreshers_.append([this, link, mark, activation] {
            for (const SettingsModel::VoiceRow& row : model_.voiceRows()) {
                if (row.activation != activation)
                    continue;
                // Kept in the layout while hidden, so the texts never shift.
                QSizePolicy keep = mark->sizePolicy();
                keep.setRetainSizeWhenHidden(true);
                mark->setSizePolicy(keep);
                mark->setVisible(row.chosen);
                link->setAccessible(row.accessible);
            }
        });
        rows.append(link);
        if (each.dividerAfter)
            rows.append(new SettingsRowDivider(16));
    }
    auto* microphone = wrapping(SettingsModel::explanationText(SettingsExplanation::microphone),
                                DesignFont::system(15), Colour::onSurfaceVariant);
    rows.append(disclosure(SettingsExplanation::microphone, microphone));
    return card(rows);
}

QWidget* SettingsRootPage::sounds() {
    auto* toggle = new SettingsSwitch;
    toggle->setAccessible(SettingsModel::soundsAccessible());
    connect(toggle, &QAbstractButton::clicked, &model_, [this](bool on) { model_.setSoundOn(on); });
    refreshers_.append([this, toggle] { toggle->setChecked(model_.soundOn()); });
    QList<QWidget*> rows{new SettingsRow(QStringLiteral("speaker.wave.2"),
                                         SettingsModel::soundsLabel(), std::nullopt,
                                         pair(toggle, chevron(SettingsExplanation::sounds))),
                         explanation(SettingsExplanation::sounds)};
    for (SoundEffect effect : {SoundEffect::itemAdded, SoundEffect::itemCompleted}) {
        auto* value = new TextLabel(QString(), DesignFont::monospaced(12, QFont::Medium),
                                    Colour::onSurfaceVariant);
        auto* trailing = new QWidget;
        auto* line = new QHBoxLayout(trailing);
        line->setContentsMargins(0, 0, 0, 0);
        line->setSpacing(8);
        line->addWidget(value);
        line->addWidget(new SymbolView(QStringLiteral("chevron.right"), settingsChevronPoints(),
                                       Colour::onSurfaceVariant));
        auto* link =
            new SettingsLink(new SettingsSubRow(SoundPickerModel::effectLabel(effect), trailing));
        connect(link, &QAbstractButton::clicked, this,
                [this, effect] { emit soundPickerRequested(effect); });
        auto* divider = new SettingsRowDivider;
        refreshers_.append([this, effect, value, link, divider] {
            bool shown = false;
            for (const SettingsModel::SoundRow& row : model_.soundRows()) {
                if (row.effect != effect)
                    continue;
                shown = true;
                value->setText(row.choiceLabel);
                link->setAccessible(row.accessible);
            }
            link->setVisible(shown);
            divider->setVisible(shown);
        });
        rows << divider << link;
    }
    return card(rows);
}

QWidget* SettingsRootPage::appearance() {
    auto* picker = new SegmentedPicker(SettingsModel::appearanceTitles());
    Accessibility::apply(picker, {SettingsModel::appearanceLabel(), {}, {}, {}, {}});
    connect(picker, &SegmentedPicker::selectionChanged, &model_,
            [this](int index) { model_.setAppearance(Appearance(index)); });
    refreshers_.append([this, picker] { picker->setSelected(int(model_.appearance())); });
    return card({padded(picker, QMargins(18, 18, 18, 18))});
}

QList<QWidget*> SettingsRootPage::about() {
    auto* first = new QWidget;
    auto* texts = new QVBoxLayout(first);
    texts->setContentsMargins(18, 18, 18, 18);
    texts->setSpacing(8);
    texts->addWidget(wrapping(SettingsModel::promise(), DesignFont::system(17), Colour::onSurface));
    texts->addWidget(
        wrapping(SettingsModel::privacy(), DesignFont::system(15), Colour::onSurfaceVariant));
    auto* version = wrapping(model_.versionLine(), DesignFont::monospaced(12, QFont::Medium),
                             Colour::onSurfaceVariant);
    version->setContentsMargins(0, 4, 0, 0);
    texts->addWidget(version);
    auto* note = wrapping(QString(), DesignFont::system(15), Colour::onSurfaceVariant);
    texts->addWidget(note);
    refreshers_.append([this, note] {
        const std::optional<QString> text = model_.identityNote();
        note->setText(text.value_or(QString()));
        note->setVisible(text.has_value());
    });
    if (model_.showsVoiceDiagnostics()) {
        auto* copy = new TextButton(QString(), {DesignFont::system(15), Colour::primary,
                                                QMargins(0, 0, 0, 0), 44, std::nullopt});
        connect(copy, &QAbstractButton::clicked, &model_, [this] { model_.copyVoiceLog(); });
        refreshers_.append([this, copy] {
            copy->setTitle(model_.copyLogTitle());
            copy->setAccessible(model_.copyLogAccessible());
        });
        texts->addWidget(copy, 0, Qt::AlignLeading);

        auto* engine = new QComboBox;
        engine->setFont(DesignFont::system(15));
        for (const SettingsModel::EngineOption& option : SettingsModel::engineOptions())
            engine->addItem(option.title);
        Accessibility::apply(
            engine, {SettingsModel::engineTitle(), SettingsModel::engineHint(), {}, {}, {}});
        connect(engine, &QComboBox::activated, &model_,
                [this](int index) { model_.chooseEngine(index); });
        refreshers_.append([this, engine] { engine->setCurrentIndex(model_.chosenEngineIndex()); });
        auto* engineRow = pair(
            new TextLabel(SettingsModel::engineTitle(), DesignFont::system(15), Colour::onSurface),
            engine);
        engineRow->setMinimumHeight(44);
        texts->addWidget(engineRow);
    }

    auto* details = new QWidget;
    auto* lines = new QVBoxLayout(details);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(8);
    auto* report =
        wrapping(QString(), DesignFont::monospaced(12, QFont::Medium), Colour::onSurface);
    auto* diagnosis = wrapping(QString(), DesignFont::system(15), Colour::onSurfaceVariant);
    lines->addWidget(report);
    lines->addWidget(diagnosis);
    refreshers_.append([this, report, diagnosis] {
        report->setText(model_.identityReport());
        Accessibility::apply(report, {model_.identityAccessibleLabel(), {}, {}, {}, {}});
        const std::optional<QString> text = model_.diagnosis();
        diagnosis->setText(text.value_or(QString()));
        diagnosis->setVisible(text.has_value());
    });
    return {card({first}), card({disclosure(SettingsExplanation::technicalDetails, details)})};
}
