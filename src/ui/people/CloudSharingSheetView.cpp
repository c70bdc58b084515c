// The sharing sheet's view.
#include "CloudSharingSheetView.h"

#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QVBoxLayout>

CloudSharingSheetView::CloudSharingSheetView(CloudSharingSheet sheet, QWidget* parent)
    : SheetDialog(parent), sheet_(std::move(sheet)),
      title_(new TextLabel(sheet_.title(), DesignFont::system(CloudSharingSheet::titlePointSize),
                           Theme::Colour::onSurface)),
      message_(new TextLabel(sheet_.message(),
                             DesignFont::system(CloudSharingSheet::messagePointSize),
                             Theme::Colour::onSurfaceVariant)) {
    setObjectName(QStringLiteral("cloudSharingSheet"));
    setWindowTitle(sheet_.title());
    setMinimumWidth(leastWidth);

    title_->setAlignment(Qt::AlignHCenter);
    title_->setWordWrap(true);
    // The list's name is the user's text: the label shows it as it is, never as markup.
    message_->setAlignment(Qt::AlignHCenter);
    message_->setWordWrap(true);

    auto* stack = new QVBoxLayout;
    stack->setSpacing(lineSpacing);
    stack->addWidget(title_);
    stack->addWidget(message_);
    // A taller sheet keeps the two lines together in its middle; the stretches add no spacing.
    auto* sheetLayout = new QVBoxLayout(this);
    sheetLayout->setContentsMargins(edgePadding, edgePadding, edgePadding, edgePadding);
    sheetLayout->setSpacing(0);
    sheetLayout->addStretch(1);
    sheetLayout->addLayout(stack);
    sheetLayout->addStretch(1);
}
