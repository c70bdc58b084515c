// A folding block of a settings card.
#include "SettingsDisclosure.h"

#include "SettingsPieces.h"
#include "ui/components/PaintedButton.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr int chevronWidth = 20;

// The title row: the label, then the chevron at the trailing edge.
class DisclosureTitle : public PaintedButton {
public:
    explicit DisclosureTitle(const QString& label, QWidget* parent)
        : PaintedButton(parent), turn_(this) {
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(18, 18, 18 + chevronWidth + 8, 18);
        auto* text = new TextLabel(label, DesignFont::system(17), Theme::Colour::onSurface, this);
        text->setWordWrap(true);
        text->setAttribute(Qt::WA_TransparentForMouseEvents);
        layout->addWidget(text);
        setMinimumHeight(44);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    }
    void setOpen(bool open) { turn_.setOpen(open); }
    bool isOpen() const { return turn_.isOpen(); }
    QSize sizeHint() const override { return layout()->sizeHint(); }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return layout()->totalHeightForWidth(width); }

protected:
    void paintFace(QPainter& painter) override {
        const QRectF chevron(width() - 18 - chevronWidth, 0, chevronWidth, height());
        turn_.paint(painter, chevron);
    }

private:
    ChevronTurn turn_;
};

} // namespace

SettingsDisclosure::SettingsDisclosure(const QString& label, QWidget* content, QWidget* parent)
    : QWidget(parent), title_(new DisclosureTitle(label, this)), body_(new QWidget(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(new SettingsRowDivider(16, this));
    layout->addWidget(title_);
    auto* body = new QVBoxLayout(body_);
    body->setContentsMargins(18, 0, 18, 18);
    body->addWidget(content);
    layout->addWidget(body_);
    body_->hide();
    connect(title_, &QAbstractButton::clicked, this, &SettingsDisclosure::toggleRequested);
}

void SettingsDisclosure::setOpen(bool open, const AccessibleSpec& accessible) {
    static_cast<DisclosureTitle*>(title_)->setOpen(open);
    title_->setAccessible(accessible);
    body_->setVisible(open);
}

bool SettingsDisclosure::isOpen() const {
    return static_cast<DisclosureTitle*>(title_)->isOpen();
}
