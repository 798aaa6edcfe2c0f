#pragma once

#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "model/desktop_names_model.h"
#include "support/observable.h"

namespace tarnwick {

// Tells a person, outside the names window, of a names file that could not be read at start
// and of renames that cannot be saved: someone who never opens that window would otherwise never
// learn of either. Each failure is told once for each cause, in the words the window shows (an
// unreadable file with its name and why before them), since
// renaming one desktop after another on a full disk would repeat it; and once more when a name is
// saved again. A name written where it should not have been is told as saved, with where the
// write left everything. Main loop only, as the model.
class NamesFileReporter {
public:
    using Tell = std::function<void(const std::string& sentence)>;

    // An unreadable names file is told at once, and the renames it refuses are not told again.
    NamesFileReporter(DesktopNamesModel& model, Tell tell);
    NamesFileReporter(const NamesFileReporter&) = delete;
    NamesFileReporter& operator=(const NamesFileReporter&) = delete;

    static std::string unreadableSentence(const std::filesystem::path& file, const std::string& reason);
    static std::string savedAgainSentence(const std::filesystem::path& file);

private:
    void heard(const DesktopNamesModel::NamesSave& save);

    std::filesystem::path file_;
    Tell tell_;
    std::optional<std::string> told_;  // the failure told last, until a save succeeds
    Subscription saves_;
};

}  // namespace tarnwick
