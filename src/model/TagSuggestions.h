#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Recognising what kind of list a new list is from its name or icon, and the starter tags offered
// for each kind.
namespace TagSuggestions {

enum class ListType { shopping, hardware, renovation, project };

// Every list type, in declaration order.
const QList<ListType>& allListTypes();

// The recognised types of a list with this name and icon symbol name, possibly none.
QList<ListType> types(const QString& name, const QString& icon);

// The starter tags offered for a list type, in shop-walk order.
QStringList starterTags(ListType type);

} // namespace TagSuggestions
