#pragma once

#include <optional>
#include <string>

#include "support/value.h"

namespace tarnwick::platform {

// A user-defaults domain.
class UserDefaults {
public:
    virtual ~UserDefaults() = default;
    virtual std::optional<Value> object(const std::string& key) = 0;
    virtual void set(const std::string& key, Value value) = 0;
    virtual void remove(const std::string& key) = 0;

    // Typed reads as the framework offers them; another type reads as nothing.
    std::optional<std::string> string(const std::string& key);
    std::optional<Array> array(const std::string& key);
    std::optional<Dictionary> dictionary(const std::string& key);
};

}  // namespace tarnwick::platform
