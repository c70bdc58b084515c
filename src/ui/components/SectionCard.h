#pragma once

#include <QString>
#include <QWidget>

// A section of an editor sheet: a rounded card-coloured box around its content, and the
// section's small upper-case title above it.
class SectionCard : public QWidget {
    Q_OBJECT
public:
    // The card around `content`, padded by `padding` on every side.
    SectionCard(QWidget* content, int padding, QWidget* parent = nullptr);

    // The title (shown as given: callers pass it upper-cased) 8 above a card; a card with a
    // stretch takes the height the box is given beyond the title.
    static QWidget* titled(const QString& title, QWidget* card, int cardStretch = 0);

protected:
    void paintEvent(QPaintEvent* event) override;
};
