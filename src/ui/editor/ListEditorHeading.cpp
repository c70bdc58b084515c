// The list editor's heading.
#include "ListEditorHeading.h"

#include "ListEditorModel.h"

#include "ui/components/Accessibility.h"
#include "ui/components/ListBadge.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

ListEditorHeading::ListEditorHeading(const ListEditorModel& model, QWidget* parent)
    : QWidget(parent), model_(model), badge_(new ListBadge(model.preview(), 56, this)),
      name_(new TextLabel({}, DesignFont::system(22, QFont::DemiBold), Theme::Colour::onSurface,
                          this)),
      kind_(new TextLabel({}, DesignFont::smallHeading(), Theme::Colour::onSurfaceVariant, this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);
    layout->addWidget(badge_, 0, Qt::AlignVCenter);
    auto* lines = new QVBoxLayout;
    lines->setSpacing(2);
    name_->setWordWrap(true);
    lines->addWidget(name_);
    lines->addWidget(kind_);
    layout->addLayout(lines, 1);
    for (QWidget* part : {static_cast<QWidget*>(badge_), static_cast<QWidget*>(name_),
                          static_cast<QWidget*>(kind_)})
        Accessibility::hide(part);
    sync();
}

void ListEditorHeading::sync() {
    badge_->setList(model_.preview());
    name_->setText(model_.headingName());
    kind_->setText(model_.kindCaption());
    Accessibility::apply(
        this, {model_.headingAccessibilityLabel(), {}, {}, AccessibleTrait::staticText, {}});
}
