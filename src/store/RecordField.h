#pragma once

#include "model/TBItem.h"
#include "model/TBList.h"

#include <QLatin1String>
#include <QSet>
#include <QString>

#include <array>
#include <initializer_list>

// The synced fields of a list and of an item, each listed once: its name (the record field on
// the server and the change mark in the store alike), how two values of it compare and how one
// is copied. Everything that goes field by field (the full mark sets, which marks a confirmed
// save clears, the merge of a fetched record, the record mapping) walks these tables, and code
// names a field by its enumerator, so a misspelt field does not compile.

// In the order the record writer sets them.
enum class ListField {
    name,
    pinned,
    order,
    icon,
    colour,
    kind,
    createdAt,
    dueDate,
    completedRetention
};
enum class ItemField { text, done, order, pinned, completedAt, notes };

// The names of changed fields, as the store keeps them for sync.
using FieldSet = QSet<QString>;

template <typename Model, typename Id> struct RecordField {
    Id id;
    const char* name;
    bool (*same)(const Model& a, const Model& b);
    void (*copy)(Model& to, const Model& from);

    QLatin1String latin1Name() const { return QLatin1String(name); }
};

namespace RecordFieldDetail {

template <typename> struct MemberOf;
template <typename M, typename V> struct MemberOf<V M::*> { using Model = M; };
template <auto member> using ModelOf = typename MemberOf<decltype(member)>::Model;

template <auto member> bool same(const ModelOf<member>& a, const ModelOf<member>& b) {
    return a.*member == b.*member;
}
template <auto member> void copy(ModelOf<member>& to, const ModelOf<member>& from) {
    to.*member = from.*member;
}
template <auto member, typename Id>
constexpr RecordField<ModelOf<member>, Id> field(Id id, const char* name) {
    return {id, name, &same<member>, &copy<member>};
}

} // namespace RecordFieldDetail

namespace RecordFields {

using RecordFieldDetail::field;

// Two model members carry other names on the record: colourID is "colour" and
// completedRetentionRaw is "completedRetention".
inline constexpr std::array<RecordField<TBList, ListField>, 9> list{{
    field<&TBList::name>(ListField::name, "name"),
    field<&TBList::pinned>(ListField::pinned, "pinned"),
    field<&TBList::order>(ListField::order, "order"),
    field<&TBList::icon>(ListField::icon, "icon"),
    field<&TBList::colourID>(ListField::colour, "colour"),
    field<&TBList::kind>(ListField::kind, "kind"),
    field<&TBList::createdAt>(ListField::createdAt, "createdAt"),
    field<&TBList::dueDate>(ListField::dueDate, "dueDate"),
    field<&TBList::completedRetentionRaw>(ListField::completedRetention, "completedRetention"),
}};

// "notes" is never simply copied from the server: both sides' lines are merged.
inline constexpr std::array<RecordField<TBItem, ItemField>, 6> item{{
    field<&TBItem::text>(ItemField::text, "text"),
    field<&TBItem::done>(ItemField::done, "done"),
    field<&TBItem::order>(ItemField::order, "order"),
    field<&TBItem::pinned>(ItemField::pinned, "pinned"),
    field<&TBItem::completedAt>(ItemField::completedAt, "completedAt"),
    field<&TBItem::notes>(ItemField::notes, "notes"),
}};

// Each table holds its fields in enumerator order, so an enumerator is its row.
constexpr const RecordField<TBList, ListField>& of(ListField id) {
    return list[static_cast<size_t>(id)];
}
constexpr const RecordField<TBItem, ItemField>& of(ItemField id) {
    return item[static_cast<size_t>(id)];
}

inline QString name(ListField id) {
    return QString::fromLatin1(of(id).name);
}
inline QString name(ItemField id) {
    return QString::fromLatin1(of(id).name);
}

FieldSet marks(std::initializer_list<ListField> fields);
FieldSet marks(std::initializer_list<ItemField> fields);

template <typename Table> constexpr bool inEnumeratorOrder(const Table& table) {
    for (size_t i = 0; i < table.size(); ++i) {
        if (static_cast<size_t>(table[i].id) != i)
            return false;
    }
    return true;
}
static_assert(inEnumeratorOrder(list) && inEnumeratorOrder(item));

} // namespace RecordFields
