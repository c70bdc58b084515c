#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The icons a list can wear, in the groups the list editor shows them in.
namespace ListIcon {

struct Group {
    QString name;
    QStringList symbols;
};

const QList<Group>& groups();

// What a screen reader says for an icon: dots become blanks, every "fill" goes, the ends are
// trimmed ("fork.knife" reads "fork knife").
QString accessibilityLabel(const QString& symbol);

} // namespace ListIcon
