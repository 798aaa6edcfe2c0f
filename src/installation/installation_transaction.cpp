#include "installation/installation_transaction.h"

#include "installation/installation_error.h"
#include "installation/installation_paths.h"
#include "platform/platform.h"
#include "support/uuid.h"

namespace tarnwick {

namespace fs = std::filesystem;

namespace {
constexpr unsigned kWorkspacePermissions = 0700;
}

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
    files.createDirectory(workspace, false, kWorkspacePermissions);

    const fs::path staged = workspace / (kStagedPrefix + uuid::random() + ".app");
    const fs::path parkedName = workspace / kParkedName;
    std::optional<fs::path> parked;
    FileIdentity stagedIdentity{};
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
                move_(destination, parkedName);
                parked = parkedName;
                if (identifier(parkedName, files) != *previousIdentity)
                    throw ApplicationInstallationError::destinationChanged();
            }
            move_(staged, destination);
        } catch (...) {
            failure = std::current_exception();
        }
    }

    auto cleanUp = [&](bool keepWorkspace) {
        if (exists(staged, files)) {
            try {
                files.removeItem(staged);
            } catch (const Error&) {}
        }
        if (!keepWorkspace) files.removeEmptyDirectory(workspace);
    };

    if (failure) {
        // Whatever stood at the destination goes back when nothing took its place.
        if (parked && !exists(destination, files)) {
            try {
                files.moveItem(*parked, destination);
            } catch (...) {
                failure = std::current_exception();
            }
        }
        cleanUp(false);
        std::rethrow_exception(failure);
    }

    Receipt receipt(destination, workspace, parked, stagedIdentity, previousIdentity, files, move_);
    try {
        if (identifier(destination, files) != stagedIdentity) throw ApplicationInstallationError::destinationChanged();
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
        move_(destination_, rejected);
        auto putBack = [&] {
            if (!exists(destination_, files)) files.moveItem(rejected, destination_);
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
                files.moveItem(*previous_, destination_);
            } catch (...) {
                // The replaced copy cannot come back: keep the new one working instead.
                try {
                    putBack();
                } catch (const Error&) {}
                throw;
            }
        }
        files.removeItem(rejected);
    } else if (previous_) {
        files.moveItem(*previous_, destination_);
    }
    completed_ = true;
    files.removeEmptyDirectory(workspace_);
}

void ApplicationInstallationTransaction::Receipt::finish() {
    if (completed_) return;
    auto& files = *files_;
    if (previous_) {
        if (!previousIdentity_ || identifier(*previous_, files) != *previousIdentity_)
            throw ApplicationInstallationError::destinationChanged();
        files.removeItem(*previous_);
    }
    completed_ = true;
    files.removeEmptyDirectory(workspace_);
}

}  // namespace tarnwick
