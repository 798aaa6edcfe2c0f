#include "platform/ui/shaped_text_cache.h"

namespace tarnwick::platform::ui {

namespace {
// What an entry costs beyond its text and clusters: the list node, the index slot, the control block.
constexpr std::size_t kEntryOverhead = 160;
}  // namespace

std::shared_ptr<const ShapedText> ShapedTextCache::find(std::size_t face, std::string_view text) {
    std::lock_guard lock(mutex_);
    const auto found = index_.find(Key{face, text});
    if (found == index_.end()) return nullptr;
    recent_.splice(recent_.begin(), recent_, found->second);
    return found->second->shaped;
}

std::shared_ptr<const ShapedText> ShapedTextCache::insert(std::size_t face, std::string_view text,
                                                          std::shared_ptr<const ShapedText> shaped) {
    std::lock_guard lock(mutex_);
    // Another thread may have shaped it meanwhile: keep the one already held.
    if (const auto found = index_.find(Key{face, text}); found != index_.end()) return found->second->shaped;
    const std::size_t bytes = kEntryOverhead + text.size() + shaped->memoryBytes();
    if (bytes > capacity_) return shaped;  // too large to keep: it would push out everything else
    recent_.push_front(Entry{face, std::string(text), shaped, bytes});
    index_.emplace(Key{face, recent_.front().text}, recent_.begin());
    bytes_ += bytes;
    evict();
    return shaped;
}

void ShapedTextCache::evict() {
    while (bytes_ > capacity_ && !recent_.empty()) {
        const Entry& last = recent_.back();
        index_.erase(Key{last.face, last.text});
        bytes_ -= last.bytes;
        recent_.pop_back();
    }
}

std::size_t ShapedTextCache::memoryBytes() const {
    std::lock_guard lock(mutex_);
    return bytes_;
}

std::size_t ShapedTextCache::entries() const {
    std::lock_guard lock(mutex_);
    return recent_.size();
}

}  // namespace tarnwick::platform::ui
