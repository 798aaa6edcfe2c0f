#pragma once

#include <functional>
#include <string>

#include "platform/file_manager.h"

namespace tarnwick::installation_test {

// Passes every operation to the real file manager, between two hooks that may throw: `before`
// makes the operation fail untouched, `after` makes one that took effect report a failure.
// The operations that change files are "createDirectory", "createFile", "copy", "move",
// "exchange", "remove" and "removeEmptyDirectory".
class ScriptedFileManager : public platform::FileManager {
public:
    using Hook = std::function<void(const std::string& operation, const std::filesystem::path& from,
                                    const std::filesystem::path& to)>;

    explicit ScriptedFileManager(platform::FileManager& real) : real_(real) {}

    Hook before;
    Hook after;

    std::vector<std::filesystem::path> applicationsDirectories(unsigned domains) override {
        return real_.applicationsDirectories(domains);
    }
    platform::ItemAttributes attributesOfItem(const std::filesystem::path& path) override {
        return real_.attributesOfItem(path);
    }
    bool isWritableFile(const std::filesystem::path& path) override { return real_.isWritableFile(path); }
    void createDirectory(const std::filesystem::path& path, bool intermediates, std::optional<unsigned> mode) override {
        around("createDirectory", path, {}, [&] { real_.createDirectory(path, intermediates, mode); });
    }
    void copyItem(const std::filesystem::path& from, const std::filesystem::path& to) override {
        around("copy", from, to, [&] { real_.copyItem(from, to); });
    }
    void moveItem(const std::filesystem::path& from, const std::filesystem::path& to) override {
        around("move", from, to, [&] { real_.moveItem(from, to); });
    }
    void exchangeItems(const std::filesystem::path& first, const std::filesystem::path& second) override {
        around("exchange", first, second, [&] { real_.exchangeItems(first, second); });
    }
    void createFile(const std::filesystem::path& path, const std::string& contents) override {
        around("createFile", path, {}, [&] { real_.createFile(path, contents); });
    }
    std::vector<std::string> contentsOfDirectory(const std::filesystem::path& path) override {
        return real_.contentsOfDirectory(path);
    }
    void removeItem(const std::filesystem::path& path) override {
        around("remove", path, {}, [&] { real_.removeItem(path); });
    }
    bool removeEmptyDirectory(const std::filesystem::path& path) override {
        bool removed = false;
        around("removeEmptyDirectory", path, {}, [&] { removed = real_.removeEmptyDirectory(path); });
        return removed;
    }
    std::optional<platform::VolumeResourceValues> volumeResourceValues(const std::filesystem::path& path) override {
        return real_.volumeResourceValues(path);
    }

private:
    template <typename Operation>
    void around(const std::string& operation, const std::filesystem::path& from, const std::filesystem::path& to,
                Operation&& perform) {
        if (before) before(operation, from, to);
        perform();
        if (after) after(operation, from, to);
    }
    platform::FileManager& real_;
};

}  // namespace tarnwick::installation_test
