#pragma once

#include "platform/JsonFwd.h"

#include <initializer_list>
#include <string_view>

// Finding what a store file's element holds that this program does not read, so that a file
// written by a later build is kept aside before a save leaves those members out.
namespace UnknownMembers {

// Whether `read`, an element as it stood in the file, holds a member (at any depth) that
// `written`, the same element as this program writes it again, lacks. A member that is null
// counts as absent, so dropping it loses nothing; neither do values written differently, which
// only the element's own reader decides on. `retired` names members of the element's top level
// that this program still knows and leaves out on purpose.
bool dropped(const Json& read, const Json& written,
             std::initializer_list<std::string_view> retired = {});

} // namespace UnknownMembers
