#include "model/preferences_save_reporter.h"

#include <utility>

namespace tarnwick {

PreferencesSaveReporter::PreferencesSaveReporter(platform::UserDefaults& defaults, Tell tell)
    : defaults_(defaults), tell_(std::move(tell)) {
    saves_ = defaults_.observeSaves([this] { lookAtTheLastSave(); });
    lookAtTheLastSave();
}

std::string PreferencesSaveReporter::failureSentence(const platform::UserDefaults::SaveFailure& failure) {
    return "The preferences file \u201C" + failure.file.string() + "\u201D could not be saved. " + failure.sentence +
           " Changes to the settings are kept only until Tarnwick quits.";
}

std::string PreferencesSaveReporter::savedAgainSentence(const std::filesystem::path& file) {
    return "The preferences file \u201C" + file.string() +
           "\u201D is saved again, with the changes to the settings made while it could not be.";
}

void PreferencesSaveReporter::lookAtTheLastSave() {
    // Told under the lock, so that what two threads' saves tell is in the order it happened.
    std::lock_guard lock(mutex_);
    auto failure = defaults_.saveFailure();
    if (failure == told_) return;
    tell_(failure ? failureSentence(*failure) : savedAgainSentence(told_->file));
    told_ = std::move(failure);
}

}  // namespace tarnwick
