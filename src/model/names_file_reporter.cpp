#include "model/names_file_reporter.h"

#include <utility>

namespace tarnwick {

NamesFileReporter::NamesFileReporter(DesktopNamesModel& model, Tell tell)
    : file_(model.store().file()), tell_(std::move(tell)) {
    // The store never writes a file it could not read: every rename of the run fails for this
    // one cause, told here once.
    if (model.store().loadError()) {
        tell_(DesktopNamesModel::kNamesUnreadable);
        return;
    }
    saves_ = model.namesSaved.subscribe([this](const std::optional<std::string>& failure) { heard(failure); });
}

std::string NamesFileReporter::savedAgainSentence(const std::filesystem::path& file) {
    return "The names file \u201C" + file.string() + "\u201D is saved again.";
}

void NamesFileReporter::heard(const std::optional<std::string>& failure) {
    if (failure == told_) return;
    tell_(failure ? *failure : savedAgainSentence(file_));
    told_ = failure;
}

}  // namespace tarnwick
