#include "platform/property_list.h"

#include "support/error.h"
#include "support/json.h"

namespace tarnwick::platform {

Value propertyListFromData(std::string_view data) {
    auto parsed = json::parse(data);
    if (!parsed)
        throw SystemError(file_error::kDomain, property_list::kReadCorruptError,
                          "The data couldn\u2019t be read because it isn\u2019t in the correct format.");
    return std::move(*parsed);
}

std::optional<std::string> dataFromPropertyList(const Value& value) { return json::write(value, json::Style::pretty); }

}  // namespace tarnwick::platform
