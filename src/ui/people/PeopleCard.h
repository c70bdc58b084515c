#pragma once

#include <QWidget>

class QVBoxLayout;

// A rounded card on the card colour, padded 18, whose content is a column: the explanation of
// the circles screen, the form of a circle, the sections of the person sheet.
class PeopleCard : public QWidget {
    Q_OBJECT

public:
    explicit PeopleCard(int spacing = 8, QWidget* parent = nullptr);

    QVBoxLayout* column() const { return column_; }

    // A titled section: the upper-case title, padded 4 at the leading side, over a card.
    static QWidget* section(const QString& title, PeopleCard* card);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVBoxLayout* column_;
};
