#include "model/display_name_store.h"

#include <vector>

#include "platform/platform.h"
#include "support/text.h"
#include "support/uuid.h"

namespace tarnwick {

DisplayNameStore::DisplayNameStore() : DisplayNameStore(*platform::current().userDefaults) {}

DisplayNameStore::DisplayNameStore(platform::UserDefaults& defaults) : defaults_(&defaults) {}

DisplayNameStore::Aliases DisplayNameStore::aliases() const {
    Aliases cleaned;
    const auto stored = defaults_->dictionary(aliasesKey);
    if (!stored) return cleaned;
    // Keys arrive in byte order. When several spellings name one display the first one wins:
    // that is the canonical (upper-case) spelling when present, as it sorts before the others.
    for (const auto& [key, value] : *stored) {
        const auto id = uuid::canonical(key);
        if (!id || !value.asString()) continue;
        std::string name = text::trimmed(*value.asString());
        if (name.empty()) continue;
        cleaned.emplace(*id, std::move(name));
    }
    return cleaned;
}

std::string DisplayNameStore::name(const std::string& id, const std::string& native) const {
    const auto canonical = uuid::canonical(id);
    if (!canonical) return native;
    const Aliases current = aliases();
    auto found = current.find(*canonical);
    return found == current.end() ? native : found->second;
}

void DisplayNameStore::set(const std::string& name, const std::string& id) {
    const auto canonical = uuid::canonical(id);
    if (!canonical) return;
    const Aliases current = aliases();
    Aliases updated = current;
    std::string trimmedName = text::trimmed(name);
    if (trimmedName.empty())
        updated.erase(*canonical);
    else
        updated[*canonical] = std::move(trimmedName);
    if (updated == current) return;
    if (updated.empty()) {
        defaults_->remove(aliasesKey);
        return;
    }
    // Storing the cleaned dictionary also drops entries that aliases() skips.
    Dictionary stored;
    for (const auto& [key, value] : updated) stored.emplace(key, Value(value));
    defaults_->set(aliasesKey, Value(std::move(stored)));
}

std::string DisplayNameStore::draft(const std::string& id) const {
    const auto canonical = uuid::canonical(id);
    if (!canonical) return {};
    if (auto pending = pendingDrafts_.find(*canonical); pending != pendingDrafts_.end()) return pending->second;
    const Aliases current = aliases();
    auto found = current.find(*canonical);
    return found == current.end() ? std::string() : found->second;
}

void DisplayNameStore::edit(const std::string& text, const std::string& id) {
    if (const auto canonical = uuid::canonical(id)) pendingDrafts_[*canonical] = text;
}

void DisplayNameStore::commitDraft(const std::string& id) {
    const auto canonical = uuid::canonical(id);
    if (!canonical) return;
    auto pending = pendingDrafts_.find(*canonical);
    if (pending == pendingDrafts_.end()) return;
    const std::string text = std::move(pending->second);
    pendingDrafts_.erase(pending);
    set(text, *canonical);
}

void DisplayNameStore::commitDrafts() {
    std::vector<std::string> ids;
    for (const auto& [id, text] : pendingDrafts_) ids.push_back(id);
    for (const auto& id : ids) {
        if (!uuid::parse(id)) continue;
        auto pending = pendingDrafts_.find(id);
        if (pending == pendingDrafts_.end()) continue;
        const std::string text = std::move(pending->second);
        pendingDrafts_.erase(pending);
        set(text, id);
    }
}

}  // namespace tarnwick
