#include "model/preferences_save_reporter.h"

#include <utility>

namespace tarnwick {

PreferencesSaveReporter::PreferencesSaveReporter(platform::UserDefaults& defaults, Tell tell)
    : state_(std::make_shared<State>(defaults, std::move(tell))) {
    saves_ = defaults.observeSaves([weak = std::weak_ptr<State>(state_)] {
        if (auto state = weak.lock()) state->lookAtTheLastSave();
    });
    state_->lookAtTheLastSave();
}

std::string PreferencesSaveReporter::failureSentence(const platform::UserDefaults::SaveFailure& failure) {
    return "The preferences file \u201C" + failure.file.string() + "\u201D could not be saved. " + failure.sentence +
           " Changes to the settings are kept only until Tarnwick quits.";
}

std::string PreferencesSaveReporter::writtenAmissSentence(const platform::UserDefaults::SaveFailure& failure) {
    return "The settings were saved in the preferences file \u201C" + failure.file.string() + "\u201D. " +
           failure.sentence;
}

std::string PreferencesSaveReporter::savedAgainSentence(const std::filesystem::path& file) {
    return "The preferences file \u201C" + file.string() +
           "\u201D is saved again, with the changes to the settings made while it could not be.";
}

void PreferencesSaveReporter::State::lookAtTheLastSave() {
    // Told under the lock, so that what two threads' saves tell is in the order it happened.
    std::lock_guard lock(mutex);
    auto failure = defaults.saveFailure();
    if (failure == told) return;
    if (failure)
        tell(failure->written ? writtenAmissSentence(*failure) : failureSentence(*failure));
    else if (!told->written)  // a save written amiss held every change already, and said so
        tell(savedAgainSentence(told->file));
    told = std::move(failure);
}

}  // namespace tarnwick
