#pragma once

#include <map>
#include <string>

#include "platform/user_defaults.h"

namespace tarnwick {

// The names the user gave displays (display aliases), keyed by display UUID in the user defaults,
// and the unsaved edits of those names.
class DisplayNameStore {
public:
    using Aliases = std::map<std::string, std::string>;

    static constexpr const char* aliasesKey = "displayAliases";

    // The standard user defaults of the installed platform.
    DisplayNameStore();
    explicit DisplayNameStore(platform::UserDefaults& defaults);

    // Canonical display UUID to trimmed, non-empty name, read from the defaults on every call;
    // entries with another key or value are skipped.
    Aliases aliases() const;

    // The alias of the display, else the native name.
    std::string name(const std::string& id, const std::string& native) const;

    // Stores the trimmed name as the display's alias, or removes the alias when it is blank.
    // An id that is not a UUID changes nothing.
    void set(const std::string& name, const std::string& id);

    // Canonical display UUID to the text being edited, exactly as typed; in memory only.
    const Aliases& pendingDrafts() const { return pendingDrafts_; }
    void setPendingDrafts(Aliases drafts) { pendingDrafts_ = std::move(drafts); }

    // The text for the display's alias field: its draft, else its alias, else "".
    std::string draft(const std::string& id) const;
    void edit(const std::string& text, const std::string& id);
    // Saves the display's draft, if it has one, as its alias (a blank draft removes the alias).
    void commitDraft(const std::string& id);
    void commitDrafts();

private:
    platform::UserDefaults* defaults_;
    Aliases pendingDrafts_;
};

}  // namespace tarnwick
