// The empty state block.
#include "EmptyState.h"

#include "PrimaryButton.h"
#include "SymbolView.h"
#include "TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QVBoxLayout>

EmptyState::EmptyState(EmptyStateContent content, QWidget* parent)
    : QWidget(parent), content_(std::move(content)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 32, 32, 32);
    layout->setSpacing(12);
    // Given more room than it needs, the block stays together in the middle: the room goes
    // above and below it, never into the button.
    layout->addStretch(1);
    // The large-title symbol stands over a 22-point title, so it is drawn half as large again
    // as the style's letters.
    layout->addWidget(new SymbolView(content_.systemImage,
                                     DesignFont::styleSize(TextStyle::largeTitle) * 1.5,
                                     Theme::Colour::onSurfaceVariant, this),
                      0, Qt::AlignHCenter);
    auto* title = new TextLabel(content_.title, DesignFont::system(22, QFont::DemiBold),
                                Theme::Colour::onSurface, this);
    title->setAlignment(Qt::AlignHCenter);
    title->setWordWrap(true);
    layout->addWidget(title);
    auto* message = new TextLabel(content_.message, DesignFont::system(15),
                                  Theme::Colour::onSurfaceVariant, this);
    message->setAlignment(Qt::AlignHCenter);
    message->setWordWrap(true);
    layout->addWidget(message);
    if (content_.showsButton()) {
        layout->addSpacing(4);
        auto* button = new PrimaryButton(*content_.actionTitle, false, this);
        connect(button, &QAbstractButton::clicked, this, [this] { content_.action(); });
        layout->addWidget(button, 0, Qt::AlignHCenter);
        button_ = button;
    }
    layout->addStretch(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}
