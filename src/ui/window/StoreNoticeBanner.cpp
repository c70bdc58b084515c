// The notice band about the store file.
#include "ui/window/StoreNoticeBanner.h"

#include "ui/components/SymbolView.h"
#include "ui/components/TextButton.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"
#include "ui/window/StoreNoticeModel.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace {
// The band is the background tinted with the error colour, so it reads as a warning in both
// appearances without shouting over the lists.
constexpr double tintAlpha = 0.12;
constexpr int padding = 12;
} // namespace

StoreNoticeBanner::StoreNoticeBanner(StoreNoticeModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    using namespace Theme;
    setObjectName(QStringLiteral("storeNotice"));
    auto* symbol = new SymbolView(model_.symbol(), 20, Colour::error, this);
    title_ =
        new TextLabel(QString(), DesignFont::system(13, QFont::DemiBold), Colour::onSurface, this);
    message_ = new TextLabel(QString(), DesignFont::system(13), Colour::onSurfaceVariant, this);
    for (TextLabel* label : {title_, message_}) {
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    tryAgain_ = new TextButton(StoreNoticeModel::tryAgainTitle(),
                               {DesignFont::system(13, QFont::DemiBold), Colour::onPrimary,
                                QMargins(14, 5, 14, 5), 0, Colour::primary},
                               this);
    connect(tryAgain_, &QAbstractButton::clicked, this, [this] { model_.tryAgain(); });

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(title_);
    texts->addWidget(message_);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->setSpacing(padding);
    layout->addWidget(symbol, 0, Qt::AlignTop);
    layout->addLayout(texts, 1);
    layout->addWidget(tryAgain_, 0, Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);

    connect(&model_, &StoreNoticeModel::changed, this, &StoreNoticeBanner::refresh);
    refresh();
}

QWidget* StoreNoticeBanner::above(QWidget* content, StoreNoticeModel& model) {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(new StoreNoticeBanner(model, column));
    layout->addWidget(content, 1);
    return column;
}

void StoreNoticeBanner::refresh() {
    title_->setText(model_.title());
    message_->setText(model_.message());
    tryAgain_->setVisible(model_.canTryAgain());
    setAccessibleName(model_.accessibleName());
    setAccessibleDescription(model_.accessibleDescription());
    // A banner without a parent would become a window of its own.
    if (parentWidget())
        setVisible(model_.visible());
}

void StoreNoticeBanner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor background = Theme::Colour::background.resolved();
    QColor tint = Theme::Colour::error.resolved();
    tint.setAlphaF(tintAlpha);
    painter.fillRect(rect(), background);
    painter.fillRect(rect(), tint);
    painter.setPen(Theme::Colour::outlineVariant.resolved());
    painter.drawLine(rect().bottomLeft(), rect().bottomRight());
}
