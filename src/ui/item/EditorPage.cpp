// The item editor's scrolling page.
#include "EditorPage.h"

#include "ui/components/ReadingColumn.h"
#include "ui/theme/ThemeColour.h"

#include <QEvent>
#include <QPainter>

EditorPage::EditorPage(QWidget* content, QWidget* parent) : QWidget(parent), content_(content) {
    content_->setParent(this);
    content_->installEventFilter(this);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

int EditorPage::heightForWidth(int width) const {
    const int column = ReadingColumn::columnRect(QRect(0, 0, width, 0)).width();
    return content_->hasHeightForWidth() ? content_->heightForWidth(column)
                                         : content_->sizeHint().height();
}

QSize EditorPage::sizeHint() const {
    return content_->sizeHint();
}

QSize EditorPage::minimumSizeHint() const {
    return {content_->minimumSizeHint().width(), 0};
}

bool EditorPage::eventFilter(QObject* watched, QEvent* event) {
    // The content grew or shrank (a note, a wrapped name): the scroll area asks again.
    if (watched == content_ && event->type() == QEvent::LayoutRequest) {
        place();
        updateGeometry();
    }
    return QWidget::eventFilter(watched, event);
}

void EditorPage::place() {
    const QRect column = ReadingColumn::columnRect(rect());
    content_->setGeometry(column.x(), 0, column.width(), qMax(height(), heightForWidth(width())));
}

void EditorPage::resizeEvent(QResizeEvent*) {
    place();
}

void EditorPage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Theme::Colour::background.resolved());
}
