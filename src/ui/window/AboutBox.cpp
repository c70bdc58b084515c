// The About box.
#include "ui/window/AboutBox.h"

#include "ui/components/TextButton.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/Theme.h"
#include "ui/theme/ThemeColour.h"
#include "ui/window/AppIcon.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int iconSide = 64;
// The window's own buttons and frame around the title in the title bar.
constexpr int titleBarRoom = 160;
} // namespace

AboutBox::AboutBox(const AboutContent& content, QWidget* parent) : SheetDialog(parent) {
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(content.windowTitle);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 20);
    layout->setSpacing(8);

    auto* icon = new QLabel(this);
    const qreal ratio = devicePixelRatioF();
    QPixmap picture = QPixmap::fromImage(AppIcon::render(int(iconSide * ratio)));
    picture.setDevicePixelRatio(ratio);
    icon->setPixmap(picture);
    icon->setFixedSize(iconSide, iconSide);
    layout->addWidget(icon, 0, Qt::AlignHCenter);

    const auto line = [&](const QString& text, const QFont& font, DynamicColour colour) {
        auto* label = new TextLabel(text, font, colour, this);
        label->setAlignment(Qt::AlignHCenter);
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(label);
        return label;
    };
    line(content.name, DesignFont::brand(28, FontScaling::scaled), Theme::Colour::primary);
    line(content.version, DesignFont::monospaced(12, QFont::Medium),
         Theme::Colour::onSurfaceVariant);
    layout->addSpacing(8);
    line(content.promise, DesignFont::system(17), Theme::Colour::onSurface);
    line(content.privacy, DesignFont::system(15), Theme::Colour::onSurfaceVariant);
    layout->addSpacing(8);

    done_ = new TextButton(content.closeTitle,
                           {DesignFont::system(17, QFont::DemiBold), Theme::Colour::primary,
                            QMargins(16, 0, 16, 0), 44, Theme::Colour::chip},
                           this);
    connect(done_, &QAbstractButton::clicked, this, &QDialog::accept);
    layout->addWidget(done_, 0, Qt::AlignHCenter);

    // As wide as the design asks at this text scale, and never narrower than its title needs
    // in the title bar; as high as the wrapped text then takes.
    const int titleWidth =
        QFontMetrics(QApplication::font()).horizontalAdvance(content.windowTitle) + titleBarRoom;
    const int width = std::max(int(baseWidth * Theme::textScaleFactor()), titleWidth);
    setFixedSize(width, heightForWidth(width));
}
