#pragma once

#include <QList>
#include <QString>

// The icons a list can wear, in the groups the list editor shows them in.
namespace ListIcon {

struct Icon {
    QString symbol; // the name the list stores
    QString name;   // what a person calls the picture, as a screen reader says it
};

struct Group {
    QString name;
    QList<Icon> icons;
};

const QList<Group>& groups();

// What a screen reader says for an icon: the catalogue's name for it ("laptopcomputer" reads
// "Laptop"). A symbol outside the catalogue (a list from a newer device) reads as its words: dots
// become blanks, every "fill" goes, the ends are trimmed ("fork.knife" reads "fork knife").
QString accessibilityLabel(const QString& symbol);

} // namespace ListIcon
