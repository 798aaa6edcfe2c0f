#include "installation/installation_transaction.h"

#include "installation/installation_error.h"
#include "installation/installation_paths.h"
#include "installation/installation_workspace.h"
#include "platform/platform.h"
#include "support/uuid.h"

namespace tarnwick {

namespace fs = std::filesystem;

namespace {

// Removes an item; a removal that reports failure although the item is gone counts as done.
void removeLooking(const fs::path& path, platform::FileManager& files) {
    try {
        files.removeItem(path);
    } catch (...) {
        if (ApplicationInstallationTransaction::exists(path, files)) throw;
    }
}

}  // namespace

ApplicationInstallationTransaction::ApplicationInstallationTransaction(platform::FileManager* fileManager, Move move)
    : files_(fileManager ? fileManager : platform::current().fileManager), move_(std::move(move)) {
    if (!move_) {
        auto* files = files_;
        move_ = [files](const fs::path& from, const fs::path& to) { files->moveItem(from, to); };
    }
}

FileIdentity ApplicationInstallationTransaction::identifier(const fs::path& path, platform::FileManager& files) {
    const auto attributes = files.attributesOfItem(paths::withoutTrailingSlash(path));
    if (attributes.type != platform::FileType::directory || !attributes.systemNumber || !attributes.systemFileNumber)
        throw ApplicationInstallationError::unsafeLocation();
    return {*attributes.systemNumber, *attributes.systemFileNumber};
}

bool ApplicationInstallationTransaction::exists(const fs::path& path, platform::FileManager& files) {
    try {
        files.attributesOfItem(paths::withoutTrailingSlash(path));
        return true;
    } catch (const Error&) {
        return false;
    }
}

std::optional<FileIdentity> ApplicationInstallationTransaction::itemAt(const fs::path& path,
                                                                      platform::FileManager& files) {
    try {
        const auto attributes = files.attributesOfItem(paths::withoutTrailingSlash(path));
        if (!attributes.systemNumber || !attributes.systemFileNumber) return std::nullopt;
        return FileIdentity{*attributes.systemNumber, *attributes.systemFileNumber};
    } catch (const Error&) {
        return std::nullopt;
    }
}

void ApplicationInstallationTransaction::relocate(const std::function<void()>& call, const fs::path& from,
                                                  const fs::path& to, platform::FileManager& files) {
    const auto moving = itemAt(from, files);
    std::exception_ptr failure;
    try {
        call();
    } catch (...) {
        failure = std::current_exception();
    }
    if (moving && itemAt(to, files) == moving) return;
    if (failure) std::rethrow_exception(failure);
    throw ApplicationInstallationError::destinationChanged();
}

Task<ApplicationInstallationTransaction::Receipt> ApplicationInstallationTransaction::install(
    fs::path sourceURL, fs::path destinationURL, BeforePromotion beforePromotion, Verify verify) {
    auto& files = *files_;
    const fs::path source = paths::normalized(sourceURL);
    const fs::path destination = paths::standardized(destinationURL);
    const fs::path resolvedDestination =
        paths::standardized(paths::resolvingSymlinks(paths::parent(destination)) / paths::lastComponent(destination));

    // Copying a bundle into itself, or over a folder that holds it, destroys the source.
    const std::string sourcePath = source.string(), destinationPath = resolvedDestination.string();
    if (sourcePath == destinationPath || sourcePath.starts_with(destinationPath + "/") ||
        destinationPath.starts_with(sourcePath + "/"))
        throw ApplicationInstallationError::unsafeLocation();

    identifier(source, files);
    verify(source);

    // A copy of another app, or one that fails verification, is never replaced.
    std::optional<FileIdentity> previousIdentity;
    if (exists(destination, files)) {
        previousIdentity = identifier(destination, files);
        verify(destination);
    }

    const fs::path parent = paths::parent(destination);
    files.createDirectory(parent, true);
    const fs::path workspace = parent / (kWorkspacePrefix + uuid::random());
    InstallationWorkspace::create(workspace, files);

    const fs::path staged = workspace / (kStagedPrefix + uuid::random() + ".app");
    const fs::path parkedName = workspace / kParkedName;
    std::optional<FileIdentity> stagedIdentity;  // known once the staged copy is verified
    std::optional<fs::path> swappedOut;          // where the item taken from the destination lies
    std::optional<fs::path> parked;
    std::exception_ptr failure;

    try {
        files.copyItem(source, staged);
        verify(staged);
        stagedIdentity = identifier(staged, files);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!failure) {
        try {
            if (beforePromotion) co_await beforePromotion();
            co_await checkCancellation();
        } catch (...) {
            failure = std::current_exception();
        }
    }
    if (!failure) {
        try {
            if (previousIdentity) {
                if (identifier(destination, files) != *previousIdentity)
                    throw ApplicationInstallationError::destinationChanged();
                // Both copies trade places in one step: there is no instant without a copy at
                // the destination, whenever this process is stopped.
                relocate([&] { files.exchangeItems(staged, destination); }, staged, destination, files);
                swappedOut = staged;
                if (identifier(staged, files) != *previousIdentity)
                    throw ApplicationInstallationError::destinationChanged();
                relocate([&] { move_(staged, parkedName); }, staged, parkedName, files);
                swappedOut = parked = parkedName;
            } else {
                relocate([&] { move_(staged, destination); }, staged, destination, files);
            }
        } catch (...) {
            failure = std::current_exception();
        }
    }

    auto cleanUp = [&](bool keepWorkspace) {
        // The staged copy goes, wherever a failed swap left it; what stood at the destination
        // never does.
        for (const fs::path& item : {staged, parkedName}) {
            const auto found = itemAt(item, files);
            if (!found || !(stagedIdentity ? *found == *stagedIdentity : item == staged)) continue;
            try {
                files.removeItem(item);
            } catch (const Error&) {}
        }
        if (!keepWorkspace) InstallationWorkspace::removeIfEmpty(workspace, files);
    };

    if (failure) {
        // Whatever stood at the destination goes back when nothing, or only our copy, took its
        // place; anything else that arrived meanwhile stays.
        if (swappedOut) {
            try {
                if (!exists(destination, files))
                    relocate([&] { files.moveItem(*swappedOut, destination); }, *swappedOut, destination, files);
                else if (stagedIdentity && itemAt(destination, files) == stagedIdentity)
                    relocate([&] { files.exchangeItems(destination, *swappedOut); }, destination, *swappedOut,
                             files);
            } catch (...) {
                failure = std::current_exception();
            }
        }
        cleanUp(false);
        std::rethrow_exception(failure);
    }

    Receipt receipt(destination, workspace, parked, *stagedIdentity, previousIdentity, files, move_);
    try {
        if (identifier(destination, files) != *stagedIdentity) throw ApplicationInstallationError::destinationChanged();
        verify(destination);
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        try {
            receipt.rollback();
        } catch (...) {
            failure = std::current_exception();
        }
        cleanUp(true);
        std::rethrow_exception(failure);
    }
    cleanUp(true);
    co_return std::move(receipt);
}

// ---- the receipt

ApplicationInstallationTransaction::Receipt::Receipt(fs::path destination, fs::path workspace,
                                                     std::optional<fs::path> previous, FileIdentity identity,
                                                     std::optional<FileIdentity> previousIdentity,
                                                     platform::FileManager& files, Move move)
    : destination_(std::move(destination)),
      workspace_(std::move(workspace)),
      previous_(std::move(previous)),
      identity_(identity),
      previousIdentity_(previousIdentity),
      files_(&files),
      move_(std::move(move)) {}

void ApplicationInstallationTransaction::Receipt::rollback() {
    if (completed_) return;
    auto& files = *files_;
    // The parked copy is checked before anything moves: when it is not the copy that was
    // replaced, the new copy stays where it is rather than leaving the destination empty.
    if (previous_ && (!previousIdentity_ || identifier(*previous_, files) != *previousIdentity_))
        throw ApplicationInstallationError::destinationChanged();

    if (exists(destination_, files)) {
        const fs::path rejected = workspace_ / (kRejectedPrefix + uuid::random() + ".app");
        relocate([&] { move_(destination_, rejected); }, destination_, rejected, files);
        auto putBack = [&] {
            if (!exists(destination_, files))
                relocate([&] { files.moveItem(rejected, destination_); }, rejected, destination_, files);
        };
        FileIdentity rejectedIdentity;
        try {
            rejectedIdentity = identifier(rejected, files);
        } catch (...) {
            putBack();
            throw;
        }
        if (rejectedIdentity != identity_) {
            // Not the copy this transaction installed: it goes back untouched.
            putBack();
            throw ApplicationInstallationError::destinationChanged();
        }
        if (exists(destination_, files)) throw ApplicationInstallationError::destinationChanged();
        if (previous_) {
            try {
                relocate([&] { files.moveItem(*previous_, destination_); }, *previous_, destination_, files);
            } catch (...) {
                // The replaced copy cannot come back: keep the new one working instead.
                try {
                    putBack();
                } catch (const Error&) {}
                throw;
            }
        }
        removeLooking(rejected, files);
    } else if (previous_) {
        relocate([&] { files.moveItem(*previous_, destination_); }, *previous_, destination_, files);
    }
    completed_ = true;
    InstallationWorkspace::removeIfEmpty(workspace_, files);
}

void ApplicationInstallationTransaction::Receipt::finish() {
    if (completed_) return;
    auto& files = *files_;
    if (previous_) {
        if (!previousIdentity_ || identifier(*previous_, files) != *previousIdentity_)
            throw ApplicationInstallationError::destinationChanged();
        removeLooking(*previous_, files);
    }
    completed_ = true;
    InstallationWorkspace::removeIfEmpty(workspace_, files);
}

}  // namespace tarnwick
