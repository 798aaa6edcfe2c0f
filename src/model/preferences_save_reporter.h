#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "platform/user_defaults.h"
#include "support/observable.h"

namespace tarnwick {

// Tells a person when the settings stop being saved and why, once for each cause: a failing
// save repeats at every change and at every window moved, and the same sentence each time would
// bury the first. It also tells when they are saved again, since from then on the changes of
// the run are in the file after all, and tells a save that went through where it should not
// have as saved, with the writer's sentence of where everything is.
class PreferencesSaveReporter {
public:
    using Tell = std::function<void(const std::string& sentence)>;

    // A failure of a save made before this reporter existed is told at once.
    PreferencesSaveReporter(platform::UserDefaults& defaults, Tell tell);
    PreferencesSaveReporter(const PreferencesSaveReporter&) = delete;
    PreferencesSaveReporter& operator=(const PreferencesSaveReporter&) = delete;

    static std::string failureSentence(const platform::UserDefaults::SaveFailure& failure);
    // A save that went through where it should not have (SaveFailure::written): the settings are
    // saved, and the writer's sentence says where everything is.
    static std::string writtenAmissSentence(const platform::UserDefaults::SaveFailure& failure);
    static std::string savedAgainSentence(const std::filesystem::path& file);

private:
    // Shared with the domain's observer, which a save on another thread may be calling while
    // the reporter goes.
    struct State {
        State(platform::UserDefaults& defaults, Tell tell) : defaults(defaults), tell(std::move(tell)) {}

        platform::UserDefaults& defaults;
        Tell tell;
        std::mutex mutex;  // saves may come from more than one thread
        std::optional<platform::UserDefaults::SaveFailure> told;

        void lookAtTheLastSave();
    };

    std::shared_ptr<State> state_;
    Subscription saves_;
};

}  // namespace tarnwick
