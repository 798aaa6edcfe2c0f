#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/user_defaults.h"

namespace tarnwick::sim {

// A user-defaults domain held in memory, optionally backed by a JSON file: every change is
// written through atomically, so the domain survives the process. Values JSON cannot hold
// (dates, bytes, URLs, non-finite numbers) are stored as tagged objects.
class MemoryUserDefaults final : public platform::UserDefaults {
public:
    MemoryUserDefaults() = default;
    // Loads the file when it exists; an unreadable file is left alone and the domain starts empty
    // and unsaved, so the file is never overwritten: unreadable() says which file and why. A
    // FIFO, a folder or a socket at the path is never opened. A file that holds a tagged value
    // that does not fit its tag, or an object that holds a key twice, is unreadable too. A save
    // never writes what the reader would refuse (nesting past json::kMaximumDepth): it fails and
    // keeps the file as it was.
    explicit MemoryUserDefaults(std::filesystem::path file);

    std::optional<Value> object(const std::string& key) override;
    void set(const std::string& key, Value value) override;
    void remove(const std::string& key) override;
    std::optional<Unreadable> unreadable() const override;
    std::optional<SaveFailure> saveFailure() const override;
    [[nodiscard]] Subscription observeSaves(std::function<void()> observer) override;

    // No saved domain existed when it was created (a domain held only in memory counts as one):
    // the session file's defaults are the initial content of such a domain only.
    bool startedFresh() const { return startedFresh_; }

    // For tests and the session file: the whole domain at once.
    void replaceAll(Dictionary values);
    Dictionary snapshot() const;
    // How many times a key was written (set or removed) since creation.
    int writeCount(const std::string& key) const;
    int totalWrites() const;

private:
    // Saves the domain to its file, when it has one, and says whether it tried; the caller tells
    // the observers once the lock is released.
    bool persist();
    void tellObservers();

    struct Observers {
        std::mutex mutex;
        int next = 0;
        std::map<int, std::function<void()>> list;
    };

    mutable std::mutex mutex_;
    Dictionary values_;
    std::map<std::string, int> writes_;
    int totalWrites_ = 0;
    std::optional<std::filesystem::path> file_;
    bool startedFresh_ = true;
    std::optional<Unreadable> unreadable_;
    std::optional<SaveFailure> saveFailure_;
    // Shared with the subscriptions, which may outlive the domain.
    std::shared_ptr<Observers> observers_ = std::make_shared<Observers>();
};

// Encoding of a defaults value as JSON and back: tagged objects {"$type": "date" | "url" |
// "bytes" | "double" | "dictionary", "value": ...} for what JSON cannot hold, "dictionary" wrapping
// a dictionary whose own keys are "$type" and "value" and whose "$type" names one of these tags,
// which would otherwise read as a tagged value. Any other dictionary is written as it is (one of
// another "$type" reads back as the dictionary it is), so decode(encode(v)) is v, and a file read
// and written back nests no deeper than it did. A tagged object whose "value" does not fit its
// type decodes as the plain dictionary it is; readers refuse such a value first
// (findMalformedDefaultsTag), since writing it back would change what it stands for.
Value encodeDefaultsValue(const Value& value);
Value decodeDefaultsValue(const Value& value);

// The first tagged object of a known type whose "value" does not fit: where it is below the
// value (".key[2].value") and what the "value" must be.
struct MalformedDefaultsTag {
    std::string path;
    std::string expectation;
};
std::optional<MalformedDefaultsTag> findMalformedDefaultsTag(const Value& value);

}  // namespace tarnwick::sim
