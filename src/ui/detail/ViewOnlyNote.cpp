// The foot of a read-only list.
#include "ViewOnlyNote.h"

#include "ui/components/Accessibility.h"
#include "ui/components/SymbolView.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QHBoxLayout>

QString ViewOnlyNote::text() {
    return QStringLiteral("View only \u2014 you can read this list but not change it.");
}

QString ViewOnlyNote::accessibilityLabel() {
    return QStringLiteral("View only. You can read this list but not change it.");
}

ViewOnlyNote::ViewOnlyNote(QWidget* parent) : FootStrip(parent) {
    setObjectName(QStringLiteral("view-only-note"));
    const QFont font = DesignFont::system(15);
    auto* column = new QWidget;
    auto* row = new QHBoxLayout(column);
    row->setContentsMargins(16, 12, 16, 12);
    row->setSpacing(8);
    auto* eye =
        new SymbolView(QStringLiteral("eye"), DesignFont::designSize(15, FontScaling::scaled),
                       Theme::Colour::onSurfaceVariant, column);
    Accessibility::hide(eye);
    auto* label = new TextLabel(text(), font, Theme::Colour::onSurfaceVariant, column);
    label->setWordWrap(true);
    row->addWidget(eye, 0, Qt::AlignVCenter);
    row->addWidget(label, 1);
    setColumn(column);
    Accessibility::apply(this, {accessibilityLabel(), {}, {}, AccessibleTrait::staticText, {}});
}
