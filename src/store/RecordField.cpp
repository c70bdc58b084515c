// Mark sets named by field enumerators.
#include "RecordField.h"

namespace RecordFields {

namespace {

template <typename Id> FieldSet namesOf(std::initializer_list<Id> fields) {
    FieldSet out;
    out.reserve(qsizetype(fields.size()));
    for (const Id id : fields)
        out.insert(name(id));
    return out;
}

} // namespace

FieldSet marks(std::initializer_list<ListField> fields) {
    return namesOf(fields);
}

FieldSet marks(std::initializer_list<ItemField> fields) {
    return namesOf(fields);
}

} // namespace RecordFields
