#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

#include "platform/file_manager.h"
#include "support/task.h"

namespace tarnwick {

// The identity of a folder: its file system's device number and its file number. Another
// process replacing a bundle between two steps changes it.
using FileIdentity = std::array<std::uint64_t, 2>;

// Replaces the copy at a destination by a verified copy of the source, staged beside it in a
// hidden workspace, so that the user always keeps a working copy and nothing that is not a
// verified copy of this app is ever replaced. The staged copy and the installed one trade
// places in one step, so even a killed installer leaves a copy at the destination; what a kill
// leaves in the workspace is cleared by InstallationLeftovers at the next start. The result can
// later be finished (the replaced copy is removed) or rolled back (the replaced copy comes back).
// Whether a move happened is decided by what lies at each place afterwards, not by the status
// the file system reported.
class ApplicationInstallationTransaction {
public:
    using Move = std::function<void(const std::filesystem::path& from, const std::filesystem::path& to)>;
    using Verify = std::function<void(const std::filesystem::path& bundle)>;
    using BeforePromotion = std::function<Task<void>()>;

    class Receipt {
    public:
        Receipt(std::filesystem::path destination, std::filesystem::path workspace,
                std::optional<std::filesystem::path> previous, FileIdentity identity,
                std::optional<FileIdentity> previousIdentity, platform::FileManager& files, Move move);
        Receipt(Receipt&&) = default;
        Receipt& operator=(Receipt&&) = default;
        Receipt(const Receipt&) = delete;
        Receipt& operator=(const Receipt&) = delete;

        // Puts the replaced copy back (or removes a first installation). Throws destinationChanged
        // when the items are not the ones this transaction moved; a failed rollback leaves the
        // receipt open and a later call tries again from the current files.
        void rollback();
        // Removes the replaced copy and the workspace.
        void finish();

        const std::filesystem::path& destination() const { return destination_; }
        const std::filesystem::path& workspace() const { return workspace_; }
        const std::optional<std::filesystem::path>& previous() const { return previous_; }
        const FileIdentity& identity() const { return identity_; }
        const std::optional<FileIdentity>& previousIdentity() const { return previousIdentity_; }
        bool completed() const { return completed_; }

    private:
        std::filesystem::path destination_;
        std::filesystem::path workspace_;
        std::optional<std::filesystem::path> previous_;
        FileIdentity identity_;
        std::optional<FileIdentity> previousIdentity_;
        platform::FileManager* files_;
        Move move_;
        bool completed_ = false;
    };

    // Without a file manager the platform's is used; without a move, the file manager's move.
    explicit ApplicationInstallationTransaction(platform::FileManager* fileManager = nullptr, Move move = nullptr);

    platform::FileManager& files() const { return *files_; }

    // Installs `source` at `destination`. `beforePromotion` runs once the staged copy is verified
    // and before the destination is touched (other copies are quit there); `verify` checks each
    // bundle the transaction relies on.
    Task<Receipt> install(std::filesystem::path source, std::filesystem::path destination,
                          BeforePromotion beforePromotion, Verify verify);

    // The identity of a folder, read without following a final link. Throws unsafeLocation for
    // anything but a folder with both numbers, or the file system's error.
    static FileIdentity identifier(const std::filesystem::path& path, platform::FileManager& files);
    // Whether the item itself can be looked at (a dangling link exists).
    static bool exists(const std::filesystem::path& path, platform::FileManager& files);
    // The identity of whatever item lies at the place, of any kind; nothing when there is none.
    static std::optional<FileIdentity> itemAt(const std::filesystem::path& path, platform::FileManager& files);
    // Runs a move or a swap of the item at `from` and decides by looking whether that item now
    // lies at `to`. A rename can take effect and still report failure (network volumes do), and
    // one that reports success may have done nothing: trusting the status would then restore
    // the wrong things. Throws the call's error, or destinationChanged when it reported success,
    // unless the item arrived.
    static void relocate(const std::function<void()>& call, const std::filesystem::path& from,
                         const std::filesystem::path& to, platform::FileManager& files);

    static constexpr const char* kWorkspacePrefix = ".Tarnwick-installation-";
    static constexpr const char* kStagedPrefix = ".Tarnwick-install-";
    static constexpr const char* kParkedName = "Previous.app";
    static constexpr const char* kRejectedPrefix = "Rejected-";

private:
    platform::FileManager* files_;
    Move move_;
};

}  // namespace tarnwick
