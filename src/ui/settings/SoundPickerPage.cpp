// The sound picker page.
#include "SoundPickerPage.h"

#include "SettingsPageHeader.h"
#include "SettingsPieces.h"
#include "ui/components/FocusOrder.h"
#include "ui/components/OverlayScrollBar.h"
#include "ui/components/SymbolView.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

TextLabel* note(const QString& text, QWidget* parent) {
    auto* label =
        new TextLabel(text, DesignFont::system(15), Theme::Colour::onSurfaceVariant, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

SoundPickerPage::SoundPickerPage(SoundEffect effect, Defaults& defaults, QWidget* parent)
    : QWidget(parent), model_(effect, defaults) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* header = new SettingsPageHeader(model_.title(), this);
    connect(header, &SettingsPageHeader::backRequested, this, &SoundPickerPage::backRequested);
    layout->addWidget(header);

    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    new OverlayScrollBar(scroll);
    // The page scrolls to whatever control Tab reaches; the area itself is no stop, which would
    // have no name and show nothing.
    scroll->setFocusPolicy(Qt::NoFocus);
    FocusOrder::keepInSight(scroll);
    auto* column = new QWidget;
    auto* stack = new QVBoxLayout(column);
    stack->setContentsMargins(0, 16, 0, 16);
    stack->setSpacing(8);
    auto* explanation = note(model_.explanation(), column);
    explanation->setContentsMargins(16, 0, 16, 4);
    stack->addWidget(explanation);

    auto* card = new SettingsCard(column);
    for (const SoundPickerModel::Row& row : model_.rows()) {
        auto* face = new QWidget;
        auto* line = new QHBoxLayout(face);
        line->setContentsMargins(16, 8, 16, 8);
        line->setSpacing(16);
        line->addWidget(
            new TextLabel(row.label, DesignFont::system(17), Theme::Colour::onSurface, face), 1);
        auto* mark = new SymbolView(QStringLiteral("checkmark"),
                                    DesignFont::designSize(17, FontScaling::scaled),
                                    Theme::Colour::primary, face);
        line->addWidget(mark);
        face->setMinimumHeight(44 + 16);
        auto* button = new SettingsLink(face, card);
        const QString id = row.id;
        connect(button, &QAbstractButton::clicked, this, [this, id] {
            model_.choose(id);
            refresh();
        });
        card->layout()->addWidget(button);
        if (row.dividerAfter)
            card->layout()->addWidget(new SettingsRowDivider(16, card));
        buttons_.append(button);
        marks_.append(mark);
    }
    auto* cardRow = new QHBoxLayout;
    cardRow->setContentsMargins(16, 0, 16, 0);
    cardRow->addWidget(card);
    stack->addLayout(cardRow);

    auto* closing = note(SoundPickerModel::closingNote(), column);
    closing->setContentsMargins(16, 8, 16, 0);
    stack->addWidget(closing);
    stack->addStretch(1);
    scroll->setWidget(column);
    scroll->viewport()->setAutoFillBackground(false);
    column->setAutoFillBackground(false);
    layout->addWidget(scroll, 1);
    refresh();
}

void SoundPickerPage::refresh() {
    const QList<SoundPickerModel::Row> rows = model_.rows();
    for (qsizetype i = 0; i < rows.size() && i < buttons_.size(); ++i) {
        marks_[i]->setVisible(rows[i].chosen);
        static_cast<SettingsLink*>(buttons_[i])->setAccessible(rows[i].accessible);
    }
}
