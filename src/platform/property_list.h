#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "support/value.h"

namespace tarnwick::platform {

// Property lists: the platform's data format for manifests and tool output. Here they are
// written as JSON.
namespace property_list {
inline constexpr long kReadCorruptError = 3840;
}

// Parses property-list data; throws SystemError (code 3840) when it is not a property list.
Value propertyListFromData(std::string_view data);
// Serialises a property list; nothing when the value cannot be written.
std::optional<std::string> dataFromPropertyList(const Value& value);

}  // namespace tarnwick::platform
