#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/desktop_monitor.h"
#include "model/desktop_name_store.h"
#include "model/display_name_store.h"
#include "support/observable.h"

namespace tarnwick {

// The live model of the desktop catalog and of the user's names for desktops and displays.
// Main loop only. Refreshes rebuild the catalog from the screens and the window server's
// private desktop data; renames go through the names file.
class DesktopNamesModel {
public:
    explicit DesktopNamesModel(std::unique_ptr<DisplayNameStore> displayNameStore = nullptr);
    ~DesktopNamesModel();
    DesktopNamesModel(const DesktopNamesModel&) = delete;
    DesktopNamesModel& operator=(const DesktopNamesModel&) = delete;

    Published<std::vector<DesktopMonitor>> monitors;
    Published<std::map<std::string, std::string>> drafts;
    Published<std::optional<std::string>> errorMessage;
    Published<std::map<std::string, std::string>> displayAliases;
    Published<std::map<std::string, std::string>> displayNameDrafts;

    // Called after a rename changed the stored names.
    std::function<void()> namesChanged;
    // Called on a later turn of the main loop after the published catalog changed, and after a
    // refresh the user asked for.
    std::function<void()> catalogChanged;
    // How a rename's save went.
    struct NamesSave {
        bool written = true;  // the file holds the new names
        // Nothing for a plain write; else the message the window shows: why the save failed, or,
        // written, that the name was saved and where the write left what it found at the file's
        // name, since it was written where it should not have been.
        std::optional<std::string> message;
        bool operator==(const NamesSave&) const = default;
    };
    // Heard after each rename that went to the names file.
    Signal<NamesSave> namesSaved;

    const DesktopNameStore& store() const { return *store_; }
    // The message for a names file that could not be read, as the window shows it.
    static constexpr const char* kNamesUnreadable =
        "Saved names could not be read. Your saved file has been left unchanged.";

    // Rebuilds the catalog; unforced calls within half a second of the last refresh are skipped.
    void refresh(bool force);
    void refreshForUser();
    // Stores one desktop's name; true when stored (also where the file was written where it
    // should not have been: the window then says so, and where everything is).
    bool rename(const std::string& name, const std::string& uuid);

    std::string displayName(const DesktopMonitor& monitor) const;
    std::optional<std::string> displayAlias(const std::string& id) const;
    std::string displayNameDraft(const std::string& id) const;
    void editDisplayName(const std::string& text, const std::string& id);
    void commitDisplayName(const std::string& id);
    void commitDisplayNames();

    static constexpr double kRefreshInterval = 0.5;

private:
    void queueCatalogChanged();
    void publishDisplayNames();

    std::unique_ptr<DesktopNameStore> store_;
    std::unique_ptr<DisplayNameStore> displayNameStore_;
    double nextRefresh_;  // system uptime; the throttle must not follow wall-clock jumps
    std::optional<std::string> saveError_;  // what the window says of the last save, when not plain
    std::vector<Subscription> observers_;
    LifetimeToken lifetime_;
};

}  // namespace tarnwick
