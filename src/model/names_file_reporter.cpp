#include "model/names_file_reporter.h"

#include <utility>

namespace tarnwick {

NamesFileReporter::NamesFileReporter(DesktopNamesModel& model, Tell tell)
    : file_(model.store().file()), tell_(std::move(tell)) {
    // The store never writes a file it could not read: every rename of the run fails for this
    // one cause, told here once.
    if (model.store().loadError()) {
        tell_(unreadableSentence(file_, model.store().loadReason()));
        return;
    }
    saves_ = model.namesSaved.subscribe([this](const DesktopNamesModel::NamesSave& save) { heard(save); });
}

std::string NamesFileReporter::unreadableSentence(const std::filesystem::path& file, const std::string& reason) {
    // The window says only that the names could not be read; a log line is read apart from any
    // window, so it names the file and why.
    return "Saved names could not be read from \u201C" + file.string() + "\u201D" + (reason.empty() ? "" : ": " + reason) +
           ". Your saved file has been left unchanged.";
}

std::string NamesFileReporter::savedAgainSentence(const std::filesystem::path& file) {
    return "The names file \u201C" + file.string() + "\u201D is saved again.";
}

void NamesFileReporter::heard(const DesktopNamesModel::NamesSave& save) {
    if (!save.written) {
        if (save.message == told_) return;
        tell_(*save.message);
        told_ = save.message;
        return;
    }
    // Written where it should not have been: told each time, as where things are differs each
    // time; and said as saved, so no "saved again" follows.
    if (save.message)
        tell_(*save.message);
    else if (told_)
        tell_(savedAgainSentence(file_));
    told_.reset();
}

}  // namespace tarnwick
