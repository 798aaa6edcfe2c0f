#pragma once

#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/ui/shaped_text.h"

namespace tarnwick::platform::ui {

// The texts shaped lately, by face and text, so a layout pass that measures a text again and
// again (at several widths, then to draw it) shapes it once. Bounded by the memory its entries
// take, the least recently used going first; safe from any thread.
class ShapedTextCache {
public:
    static constexpr std::size_t kDefaultCapacityBytes = std::size_t{3} << 20;

    explicit ShapedTextCache(std::size_t capacityBytes = kDefaultCapacityBytes) : capacity_(capacityBytes) {}

    // The text shaped in the face (an index the caller gives its faces), shaped by `shape` when
    // the cache does not hold it. A template, so a lookup that hits allocates nothing.
    template <class Shape>
    std::shared_ptr<const ShapedText> get(std::size_t face, std::string_view text, const Shape& shape) {
        if (auto found = find(face, text)) return found;
        // Shaped outside the lock: other threads keep measuring meanwhile.
        return insert(face, text, shape());
    }

    // The text shaped in the face when the cache holds it (counted as a use), else nothing.
    std::shared_ptr<const ShapedText> find(std::size_t face, std::string_view text);

    std::size_t memoryBytes() const;
    std::size_t entries() const;

private:
    struct Key {
        std::size_t face;
        std::string_view text;
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const {
            return std::hash<std::string_view>{}(key.text) ^ (key.face * 0x9E3779B97F4A7C15ull);
        }
    };
    struct Entry {
        std::size_t face;
        std::string text;
        std::shared_ptr<const ShapedText> shaped;
        std::size_t bytes;
    };

    std::shared_ptr<const ShapedText> insert(std::size_t face, std::string_view text,
                                             std::shared_ptr<const ShapedText> shaped);
    void evict();

    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::list<Entry> recent_;  // most recently used first
    std::unordered_map<Key, std::list<Entry>::iterator, KeyHash> index_;  // keys view the entries' texts
    std::size_t bytes_ = 0;
};

}  // namespace tarnwick::platform::ui
