#pragma once

#include <filesystem>
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

    // The file a domain is kept in that could not be read when the domain was made, and what is
    // wrong with it ("it is a folder"). Such a domain keeps its changes in memory only and never
    // writes the file.
    struct Unreadable {
        std::filesystem::path file;
        std::string reason;
    };
    // Nothing for a domain that was read, or that is kept nowhere.
    virtual std::optional<Unreadable> unreadable() const { return std::nullopt; }
};

}  // namespace tarnwick::platform
