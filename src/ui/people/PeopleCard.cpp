// The people screens' cards.
#include "PeopleCard.h"

#include <QVBoxLayout>

PeopleCard::PeopleCard(int spacing, QWidget* parent) : SectionCard(new QWidget, 18, parent) {
    column_ = new QVBoxLayout(layout()->itemAt(0)->widget());
    column_->setContentsMargins(0, 0, 0, 0);
    column_->setSpacing(spacing);
}
