#include "model/names_file_reporter.h"

#include <utility>

namespace tarnwick {

NamesFileReporter::NamesFileReporter(DesktopNamesModel& model, Tell tell)
    : file_(model.store().file()), tell_(std::move(tell)) {
    // The store never writes a file it could not read: every rename of the run fails for this
    // one cause, told here once.
    if (const auto& error = model.store().loadError()) {
        tell_(unreadableSentence(file_, error));
        return;
    }
    saves_ = model.namesSaved.subscribe([this](const std::optional<std::string>& failure) { heard(failure); });
}

std::string NamesFileReporter::unreadableSentence(const std::filesystem::path& file, const std::exception_ptr& error) {
    // The window says only that the names could not be read; a log line is read apart from any
    // window, so it names the file, and why where the reason says more than that.
    std::string reason;
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        reason = e.what();
    } catch (...) {
    }
    if (reason == DesktopNameStore::kUnreadable) reason.clear();
    while (!reason.empty() && (reason.back() == '.' || reason.back() == ' ')) reason.pop_back();
    return "Saved names could not be read from \u201C" + file.string() + "\u201D" + (reason.empty() ? "" : ": " + reason) +
           ". Your saved file has been left unchanged.";
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
