#pragma once

#include "ui/components/SectionCard.h"

class QVBoxLayout;

// A section card padded 18 whose content is a column: the explanation of the circles screen,
// the form of a circle, the sections of the person sheet.
class PeopleCard : public SectionCard {
    Q_OBJECT

public:
    explicit PeopleCard(int spacing = 8, QWidget* parent = nullptr);

    QVBoxLayout* column() const { return column_; }

    // A titled section: the upper-case title, padded 4 at the leading side, over a card.
    static QWidget* section(const QString& title, PeopleCard* card) { return titled(title, card); }

private:
    QVBoxLayout* column_;
};
