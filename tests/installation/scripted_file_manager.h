#pragma once

#include <functional>
#include <string>

#include "platform/file_manager.h"

namespace tarnwick::installation_test {

// Passes every operation to the real file manager, after a hook that may throw to make the
// operation fail ("copy", "move", "remove", "createDirectory").
class ScriptedFileManager : public platform::FileManager {
public:
    explicit ScriptedFileManager(platform::FileManager& real) : real_(real) {}

    std::function<void(const std::string& operation, const std::filesystem::path& from,
                       const std::filesystem::path& to)>
        before;

    std::vector<std::filesystem::path> applicationsDirectories(unsigned domains) override {
        return real_.applicationsDirectories(domains);
    }
    platform::ItemAttributes attributesOfItem(const std::filesystem::path& path) override {
        return real_.attributesOfItem(path);
    }
    bool isWritableFile(const std::filesystem::path& path) override { return real_.isWritableFile(path); }
    void createDirectory(const std::filesystem::path& path, bool intermediates, std::optional<unsigned> mode) override {
        hook("createDirectory", path, {});
        real_.createDirectory(path, intermediates, mode);
    }
    void copyItem(const std::filesystem::path& from, const std::filesystem::path& to) override {
        hook("copy", from, to);
        real_.copyItem(from, to);
    }
    void moveItem(const std::filesystem::path& from, const std::filesystem::path& to) override {
        hook("move", from, to);
        real_.moveItem(from, to);
    }
    void removeItem(const std::filesystem::path& path) override {
        hook("remove", path, {});
        real_.removeItem(path);
    }
    bool removeEmptyDirectory(const std::filesystem::path& path) override { return real_.removeEmptyDirectory(path); }
    std::optional<platform::VolumeResourceValues> volumeResourceValues(const std::filesystem::path& path) override {
        return real_.volumeResourceValues(path);
    }

private:
    void hook(const std::string& operation, const std::filesystem::path& from, const std::filesystem::path& to) {
        if (before) before(operation, from, to);
    }
    platform::FileManager& real_;
};

}  // namespace tarnwick::installation_test
