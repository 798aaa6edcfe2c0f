#include "model/desktop_names_model.h"

#include <limits>

#include "model/desktop_catalog.h"
#include "model/desktop_catalog_unavailable.h"
#include "model/private_spaces.h"
#include "platform/platform.h"
#include "support/files.h"
#include "support/run_loop.h"
#include "support/uuid.h"

namespace tarnwick {

namespace {

constexpr const char* kDesktopGone = "This desktop is no longer available. Refresh the list.";
constexpr const char* kCouldNotSave = "Could not save this name. ";
constexpr const char* kSavedAmiss = "This name was saved. ";

// The screens as the system sees them, in screen order. A screen without a display id, or whose
// display yields no UUID, is left out.
std::vector<MonitorDescriptor> describeScreens() {
    auto& displays = *platform::current().displays;
    std::vector<MonitorDescriptor> descriptors;
    for (const auto& screen : displays.screens()) {
        auto number = screen.deviceDescription.find("NSScreenNumber");
        if (number == screen.deviceDescription.end()) continue;
        auto displayID = number->second.toUInt32();
        if (!displayID) continue;
        auto uuid = displays.uuidString(*displayID);
        if (!uuid) continue;
        descriptors.push_back(MonitorDescriptor{*uuid, screen.localizedName, displays.bounds(*displayID)});
    }
    return descriptors;
}

std::filesystem::path namesFile() { return platform::applicationSupportFolder() / "Tarnwick" / "names.json"; }

}  // namespace

DesktopNamesModel::DesktopNamesModel(std::unique_ptr<DisplayNameStore> displayNameStore)
    : displayNameStore_(displayNameStore ? std::move(displayNameStore)
                                         : std::make_unique<DisplayNameStore>()),
      nextRefresh_(-std::numeric_limits<double>::infinity()) {
    displayAliases.set(displayNameStore_->aliases());
    store_ = std::make_unique<DesktopNameStore>(namesFile());
    drafts.set(store_->names());
    refresh(true);

    auto weak = lifetime_.weak();
    auto onChange = [this, weak](const platform::Notification&) {
        if (weak) refresh(true);
    };
    auto& p = platform::current();
    observers_.push_back(p.workspaceNotificationCenter->addObserver(platform::notification_names::kActiveSpaceDidChange, onChange));
    observers_.push_back(p.notificationCenter->addObserver(platform::notification_names::kScreenParametersDidChange, onChange));
}

DesktopNamesModel::~DesktopNamesModel() = default;

void DesktopNamesModel::queueCatalogChanged() {
    auto weak = lifetime_.weak();
    RunLoop::main().post([this, weak] {
        if (weak && catalogChanged) catalogChanged();
    });
}

void DesktopNamesModel::refresh(bool force) {
    const double now = systemUptime();
    if (!force && now < nextRefresh_) return;
    nextRefresh_ = now + kRefreshInterval;

    std::optional<std::vector<DesktopMonitor>> parsed;
    std::string failure;
    try {
        auto descriptors = describeScreens();
        Value snapshot = PrivateSpaces::snapshot();
        const Value* raw = snapshot.find("rawManagedDisplays");
        bool wellFormed = raw && raw->asArray();
        if (wellFormed)
            for (const auto& display : *raw->asArray()) wellFormed = wellFormed && display.asDictionary();
        if (!wellFormed) throw DesktopCatalog::Unavailable(DesktopCatalog::kNotAvailable);
        parsed = DesktopCatalog::parse(*raw->asArray(), descriptors);
    } catch (const Error& error) {
        failure = error.what();
    }

    if (parsed) {
        if (monitors.get() != *parsed) {
            monitors.set(std::move(*parsed));
            queueCatalogChanged();
        }
        std::optional<std::string> message = store_->loadError() ? std::optional<std::string>(kNamesUnreadable) : saveError_;
        errorMessage.setIfChanged(std::move(message));
    } else {
        if (!monitors.get().empty()) {
            monitors.set({});
            queueCatalogChanged();
        }
        errorMessage.setIfChanged(failure);
    }
}

void DesktopNamesModel::refreshForUser() {
    refresh(true);
    queueCatalogChanged();
}

bool DesktopNamesModel::rename(const std::string& name, const std::string& uuid) {
    bool listed = false;
    for (const auto& monitor : monitors.get())
        for (const auto& desktop : monitor.desktops) listed = listed || desktop.id == uuid;
    if (!listed) {
        saveError_ = kDesktopGone;
        errorMessage.set(saveError_);
        return false;
    }

    auto updatedDrafts = drafts.get();
    updatedDrafts[uuid] = name;
    drafts.set(std::move(updatedDrafts));

    const auto before = store_->names();
    try {
        store_->set(name, uuid);
    } catch (const files::WrittenAmiss& written) {
        // Saved, and the store holds what the file does: said as saved, with where things are.
        saveError_ = std::string(kSavedAmiss) + written.what();
        errorMessage.set(saveError_);
        namesSaved.emit({true, saveError_});
        if (namesChanged) namesChanged();
        return true;
    } catch (const std::exception& error) {
        saveError_ = std::string(kCouldNotSave) + error.what();
        errorMessage.set(saveError_);
        namesSaved.emit({false, saveError_});
        return false;
    }
    saveError_.reset();
    errorMessage.set(std::nullopt);
    if (store_->names() == before) return true;  // nothing new went to the file
    namesSaved.emit({true, std::nullopt});
    if (namesChanged) namesChanged();
    return true;
}

std::string DesktopNamesModel::displayName(const DesktopMonitor& monitor) const {
    if (auto alias = displayAlias(monitor.id); alias && !alias->empty()) return *alias;
    return monitor.name;
}

std::optional<std::string> DesktopNamesModel::displayAlias(const std::string& id) const {
    auto canonical = uuid::canonical(id);
    if (!canonical) return std::nullopt;
    auto it = displayAliases->find(*canonical);
    if (it == displayAliases->end()) return std::nullopt;
    return it->second;
}

std::string DesktopNamesModel::displayNameDraft(const std::string& id) const {
    auto canonical = uuid::canonical(id);
    if (!canonical) return {};
    if (auto it = displayNameDrafts->find(*canonical); it != displayNameDrafts->end()) return it->second;
    if (auto it = displayAliases->find(*canonical); it != displayAliases->end()) return it->second;
    return {};
}

void DesktopNamesModel::editDisplayName(const std::string& text, const std::string& id) {
    displayNameStore_->edit(text, id);
    displayNameDrafts.set(displayNameStore_->pendingDrafts());
}

void DesktopNamesModel::commitDisplayName(const std::string& id) {
    displayNameStore_->commitDraft(id);
    publishDisplayNames();
}

void DesktopNamesModel::commitDisplayNames() {
    displayNameStore_->commitDrafts();
    publishDisplayNames();
}

void DesktopNamesModel::publishDisplayNames() {
    displayAliases.setIfChanged(displayNameStore_->aliases());
    displayNameDrafts.setIfChanged(displayNameStore_->pendingDrafts());
}

}  // namespace tarnwick
