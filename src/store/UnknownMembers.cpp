// Comparing an element read from the store file with the same element written again.
#include "UnknownMembers.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace {

bool holdsMembers(const Json& value) {
    if (value.is_object())
        return std::any_of(value.begin(), value.end(), [](const Json& v) { return !v.is_null(); });
    if (value.is_array())
        return std::any_of(value.begin(), value.end(), holdsMembers);
    return false;
}

bool droppedAt(const Json& read, const Json& written,
               std::initializer_list<std::string_view> retired) {
    if (read.is_object()) {
        if (!written.is_object())
            return holdsMembers(read);
        for (auto it = read.begin(); it != read.end(); ++it) {
            if (it.value().is_null())
                continue;
            const std::string_view key = it.key();
            if (std::find(retired.begin(), retired.end(), key) != retired.end())
                continue;
            const auto kept = written.find(it.key());
            if (kept == written.end() || droppedAt(it.value(), *kept, {}))
                return true;
        }
        return false;
    }
    if (read.is_array()) {
        // Elements are paired by place; when the reader merged or dropped some (a set of
        // names), only scalars can have gone, unless the elements themselves hold members.
        if (!written.is_array() || written.size() != read.size())
            return holdsMembers(read);
        for (size_t i = 0; i < read.size(); ++i) {
            if (droppedAt(read[i], written[i], {}))
                return true;
        }
        return false;
    }
    return false;
}

} // namespace

bool UnknownMembers::dropped(const Json& read, const Json& written,
                             std::initializer_list<std::string_view> retired) {
    return droppedAt(read, written, retired);
}
