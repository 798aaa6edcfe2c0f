#include "app/software_updates.h"

#include "platform/platform.h"
#include "support/error.h"

namespace tarnwick {

using platform::UpdaterProperty;

SoftwareUpdates::SoftwareUpdates(std::shared_ptr<platform::Updater> updater) {
    if (updater) {
        updater_ = std::move(updater);
    } else {
        controller_ = platform::current().updateFramework->makeStandardUpdaterController(false);
        updater_ = controller_->updater();
    }
    canCheckForUpdates.set(updater_->canCheckForUpdates());
    automaticallyChecksForUpdates.set(updater_->automaticallyChecksForUpdates());
    automaticallyDownloadsUpdates.set(updater_->automaticallyDownloadsUpdates());
    allowsAutomaticUpdates.set(updater_->allowsAutomaticUpdates());
    observe(UpdaterProperty::canCheckForUpdates, canCheckForUpdates);
    observe(UpdaterProperty::automaticallyChecksForUpdates, automaticallyChecksForUpdates);
    observe(UpdaterProperty::automaticallyDownloadsUpdates, automaticallyDownloadsUpdates);
    observe(UpdaterProperty::allowsAutomaticUpdates, allowsAutomaticUpdates);
}

void SoftwareUpdates::observe(UpdaterProperty property, Published<bool>& published) {
    observations_.push_back(updater_->observe(property, [alive = lifetime_.weak(), &published](std::optional<bool> value) {
        if (alive) published.set(value.value_or(false));
    }));
}

void SoftwareUpdates::start() {
    if (attemptedStart_) return;
    attemptedStart_ = true;
    try {
        updater_->startUpdater();
    } catch (const Error& error) {
        startupError.set(error.message());
    }
}

void SoftwareUpdates::checkForUpdates() {
    if (updater_->canCheckForUpdates()) updater_->checkForUpdates();
}

bool SoftwareUpdates::validateMenuItem() const { return updater_->canCheckForUpdates(); }

void SoftwareUpdates::performAction(std::string_view action, platform::ui::MenuItem*) {
    if (action == kCheckForUpdatesAction) checkForUpdates();
}

bool SoftwareUpdates::validateMenuItem(const platform::ui::MenuItem&) { return validateMenuItem(); }

void SoftwareUpdates::setAutomaticChecks(bool on) { updater_->setAutomaticallyChecksForUpdates(on); }

void SoftwareUpdates::setAutomaticDownloads(bool on) { updater_->setAutomaticallyDownloadsUpdates(on); }

}  // namespace tarnwick
