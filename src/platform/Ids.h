#pragma once

#include <QString>

namespace Ids {
// A new random identifier: an upper-case UUID string such as "E621E1F8-C36C-495A-93FC-0C247A3E6E5F".
QString newId();
} // namespace Ids
