// The settings rows and their icon tile.
#include "SettingsRow.h"

#include "ui/components/Accessibility.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemeColour.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

constexpr int tileSide = 32;
constexpr double tileRadius = 8.96;
constexpr double tileGlyph = 14.4; // fixed: the tile keeps its size at every text scale

TextLabel* wrapping(const QString& text, double size, DynamicColour colour, QWidget* parent) {
    auto* label = new TextLabel(text, DesignFont::system(size), colour, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

SettingsIconTile::SettingsIconTile(const QString& icon, QWidget* parent)
    : QWidget(parent), icon_(icon) {
    setFixedSize(tileSide, tileSide);
    Accessibility::hide(this);
}

void SettingsIconTile::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath tile;
    tile.addRoundedRect(QRectF(rect()), tileRadius, tileRadius);
    painter.fillPath(tile, Theme::Colour::primary.resolved());
    Symbols::paint(painter, QRectF(rect()), icon_, tileGlyph, Theme::Colour::onPrimary.resolved());
}

SettingsRow::SettingsRow(const QString& icon, const std::optional<QString>& label,
                         const std::optional<QString>& detail, QWidget* trailing, QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(18, 12, 18, 12);
    layout->setSpacing(12);
    layout->addWidget(new SettingsIconTile(icon, this), 0, Qt::AlignVCenter);
    if (label) {
        auto* column = new QVBoxLayout;
        column->setSpacing(1);
        label_ = wrapping(*label, 17, Theme::Colour::onSurface, this);
        column->addWidget(label_);
        if (detail)
            column->addWidget(wrapping(*detail, 15, Theme::Colour::onSurfaceVariant, this));
        layout->addLayout(column, 1);
        layout->addSpacing(8); // the gap of at least 8 before the trailing content
    }
    if (trailing)
        layout->addWidget(trailing, label ? 0 : 1, Qt::AlignVCenter);
    setMinimumHeight(56);
}

SettingsSubRow::SettingsSubRow(const QString& label, QWidget* trailing, QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(62, 8, 18, 8);
    layout->setSpacing(8);
    layout->addWidget(wrapping(label, 17, Theme::Colour::onSurface, this), 1);
    if (trailing)
        layout->addWidget(trailing, 0, Qt::AlignVCenter);
    setMinimumHeight(44);
}
