#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace tarnwick::testkit {

// The bytes of a file as they are; empty when it cannot be read.
inline std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        std::random_device device;
        path_ = std::filesystem::temp_directory_path() / ("tarnwick-test-" + std::to_string(device()) + "-" +
                                                          std::to_string(device()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code error;
        openToOwner(path_);
        std::filesystem::remove_all(path_, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    // Gives the owner every right on the folder and the folders in it (never through a link), so
    // that a folder a test closed, to list or to pass through, goes with the rest when the test is
    // not run by root.
    static void openToOwner(const std::filesystem::path& folder) {
        std::error_code error;
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     error);
        for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
            if (it->symlink_status(error).type() == std::filesystem::file_type::directory) openToOwner(it->path());
    }

    std::filesystem::path path_;
};

}  // namespace tarnwick::testkit
