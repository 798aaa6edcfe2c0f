#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "support/observable.h"
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

    // The file whose last save failed, and the writer's sentence that says why ("The file
    // “x.json” couldn’t be saved because ..."). The domain keeps its changes in memory and
    // tries again at the next one. Where `written`, the save went through but not as it should
    // have (files::WrittenAmiss): the file holds the settings, and the sentence says where what
    // the write found at its name went.
    struct SaveFailure {
        std::filesystem::path file;
        std::string sentence;
        bool written = false;
        bool operator==(const SaveFailure&) const = default;
    };
    // Nothing while saves succeed, before the first, and for a domain kept nowhere.
    virtual std::optional<SaveFailure> saveFailure() const { return std::nullopt; }
    // Hears each save of the domain's file once it succeeded or failed, on the thread that
    // changed the domain and never while the domain is locked, so it may read the domain.
    [[nodiscard]] virtual Subscription observeSaves(std::function<void()> observer) {
        (void)observer;
        return {};
    }
};

}  // namespace tarnwick::platform
