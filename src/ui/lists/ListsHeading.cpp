// The lists page's heading.
#include "ListsHeading.h"

#include "LabelButton.h"
#include "ListsScreenModel.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

ListsHeading::ListsHeading(ListsScreenModel& screen, QWidget* parent)
    : QWidget(parent), screen_(screen) {
    using namespace Theme;
    title_ = new TextLabel(ListsScreenModel::heading(), DesignFont::brand(28, FontScaling::scaled),
                           Colour::primary);
    // At large text sizes in a narrow sidebar the title wraps rather than widening the page.
    title_->setWordWrap(true);
    summary_ =
        new LabelButton(screen_.summaryText(), {DesignFont::system(15), Colour::onSurfaceVariant,
                                                QMargins(), 18, Qt::AlignLeft | Qt::AlignVCenter});
    summary_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // The line's text starts at its edge, level with the title.
    summary_->setFocusRingOutside();
    LabelButton::Look pill{DesignFont::system(15, QFont::DemiBold), Colour::primary,
                           QMargins(12, 0, 12, 0), 32};
    pill.shape = LabelButton::Shape::capsule;
    pill.fill = Colour::chip;
    edit_ = new LabelButton(screen_.editButtonTitle(), pill);
    edit_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->setContentsMargins(0, 0, 0, 0);
    texts->addWidget(title_);
    texts->addWidget(summary_);

    // The pill's text sits on the title's first baseline.
    const QFontMetrics titleMetrics(title_->font());
    const QFontMetrics pillMetrics(edit_->font());
    const int pillHeight = edit_->sizeHint().height();
    const int pillBaseline = (pillHeight - pillMetrics.height()) / 2 + pillMetrics.ascent();
    const int offset = titleMetrics.ascent() - pillBaseline;
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(16, 18 + std::max(0, -offset), 16, 12);
    row->setSpacing(8);
    row->addLayout(texts, 1);
    auto* pillColumn = new QVBoxLayout;
    pillColumn->setContentsMargins(0, std::max(0, offset), 0, 0);
    pillColumn->addWidget(edit_);
    pillColumn->addStretch();
    row->addLayout(pillColumn);

    connect(summary_, &QAbstractButton::clicked, &screen_, &ListsScreenModel::advanceSummary);
    connect(edit_, &QAbstractButton::clicked, &screen_, &ListsScreenModel::toggleEditing);
    connect(&screen_, &ListsScreenModel::changed, this, &ListsHeading::sync);
    sync();
}

void ListsHeading::sync() {
    summary_->setTitle(screen_.summaryText());
    summary_->setAccessible({screen_.summaryAccessibilityLabel(),
                             ListsScreenModel::summaryAccessibilityHint(),
                             {},
                             {},
                             {}});
    edit_->setVisible(screen_.showsEditButton());
    edit_->setTitle(screen_.editButtonTitle());
    edit_->setAccessible({screen_.editButtonAccessibilityLabel(), {}, {}, {}, {}});
}

void ListsHeading::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Theme::Colour::sidebarSurface.resolved());
}
