#pragma once

#include "platform/file_manager.h"

namespace tarnwick::sim {

class SimulatedSession;

// The file manager over the real file system: every operation touches real files. The session
// decides only where the standard folders are (its root and home), which folders count as not
// writable, and which folders are the volumes of attached disk images.
class SimFileManager : public platform::FileManager {
public:
    explicit SimFileManager(SimulatedSession& session) : session_(session) {}

    std::vector<std::filesystem::path> applicationsDirectories(unsigned domains) override;
    platform::ItemAttributes attributesOfItem(const std::filesystem::path& path) override;
    bool isWritableFile(const std::filesystem::path& path) override;
    void createDirectory(const std::filesystem::path& path, bool withIntermediates,
                         std::optional<unsigned> posixPermissions) override;
    void copyItem(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void moveItem(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void exchangeItems(const std::filesystem::path& first, const std::filesystem::path& second) override;
    void createFile(const std::filesystem::path& path, const std::string& contents) override;
    std::vector<std::string> contentsOfDirectory(const std::filesystem::path& path) override;
    void removeItem(const std::filesystem::path& path) override;
    bool removeEmptyDirectory(const std::filesystem::path& path) override;
    std::optional<platform::VolumeResourceValues> volumeResourceValues(const std::filesystem::path& path) override;

private:
    SimulatedSession& session_;
};

}  // namespace tarnwick::sim
