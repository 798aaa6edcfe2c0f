// The ejection launch's hand-off: "<installer pid>\n<app pid>\n<the image's JSON>" becomes the
// launch's argument vector (the JSON in Base64). Whatever it holds, the launch ejects only the
// image the installer ran from, and the hand-off's own encodings read back as what they wrote.

#include "fuzz_support.h"
#include "installation/base64.h"
#include "installation/installation_bootstrap.h"
#include "installation/installer_disk_image.h"
#include "installation/installer_ejection.h"
#include "installation_fixture.h"
#include "platform/file_url.h"

using namespace tarnwick;
namespace fs = std::filesystem;

namespace {

constexpr std::int32_t kInstallerPID = 4242;
constexpr std::int32_t kInstalledPID = 5001;

// The machine's folders, made once: the installed copy and the copy on the installer's volume.
const fs::path& machine() {
    static const fs::path root = [] {
        const fs::path folder = fuzz::scratchFolder() / "Machine";
        installation_test::makeBundle(folder / "Applications/Tarnwick.app");
        installation_test::makeBundle(folder / "Volumes/Tarnwick/Tarnwick.app");
        return folder;
    }();
    return root;
}

// The three fields of the input; a missing line leaves the real installer's or app's pid.
struct HandOff {
    std::string installer = std::to_string(kInstallerPID);
    std::string app = std::to_string(kInstalledPID);
    std::string json;
};

HandOff split(const std::string& input) {
    HandOff handOff;
    const auto first = input.find('\n');
    const auto second = first == std::string::npos ? std::string::npos : input.find('\n', first + 1);
    if (second == std::string::npos) {
        handOff.json = input;
        return handOff;
    }
    handOff.installer = input.substr(0, first);
    handOff.app = input.substr(first + 1, second - first - 1);
    handOff.json = input.substr(second + 1);
    return handOff;
}

// The machine's "/Volumes" is a folder of this run: the inputs name it as "file:///Volumes/".
std::string onThisMachine(std::string json) {
    constexpr std::string_view volumes = "file:///Volumes/";
    const std::string here = platform::fileURLString(machine() / "Volumes", true);
    for (auto at = json.find(volumes); at != std::string::npos; at = json.find(volumes, at + here.size()))
        json.replace(at, volumes.size(), here);
    return json;
}

void checkEncodings(const std::string& text) {
    // Unused bits of the last character are not checked, so only the bytes must read back.
    if (auto decoded = base64::decode(text))
        fuzz::require(base64::decode(base64::encode(*decoded)) == decoded, "Base64 reads back as what it wrote");
    if (auto path = platform::pathFromFileURL(text))
        fuzz::require(platform::pathFromFileURL(platform::fileURLString(*path, true)) == *path,
                      "the path of a file URL reads back from the URL written for it");
    if (auto image = InstallerDiskImage::fromJSON(text)) {
        auto written = image->json();
        fuzz::require(written.has_value(), "a hand-off that was read can be written");
        fuzz::require(InstallerDiskImage::fromJSON(*written) == image, "a hand-off reads back as what was written");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::preferMemoryForTemporaryFiles();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = fuzz::text(data, size);
    checkEncodings(input);
    const HandOff handOff = split(input);
    // Argument vectors hold no NUL.
    if (handOff.installer.find('\0') != std::string::npos || handOff.app.find('\0') != std::string::npos) return 0;

    testkit::TestEnvironment env;
    env.session.fileSystem.root = machine();
    const fs::path installed = machine() / "Applications/Tarnwick.app";
    const fs::path volume = machine() / "Volumes/Tarnwick";
    env.session.fileSystem.mainBundle = installed;
    env.session.system().processID = 6001;
    env.session.applications = {installation_test::copyAt(kInstallerPID, volume / "Tarnwick.app"),
                                installation_test::copyAt(kInstalledPID, installed)};
    sim::SimDiskImage disk;
    disk.imagePath = "/Users/ana/Downloads/Tarnwick-7.dmg";
    disk.mountPoint = volume;
    disk.volumeUUID = "0E6C9B52-8D1F-4C3A-B7E2-91A45F3D6C08";
    env.session.diskImageTool.images.push_back(disk);
    const auto attached = InstallerDiskImage::mounted(volume / "Tarnwick.app");
    fuzz::require(attached.has_value(), "the installer's image is found");
    env.session.terminateApplication(kInstallerPID);

    const std::string json = onThisMachine(handOff.json);
    const std::vector<std::string> arguments{(installed / "Contents/MacOS/Tarnwick").string(),
                                             InstallerEjection::argument, handOff.installer, handOff.app,
                                             base64::encode(json)};
    const auto outcome = ApplicationInstallationBootstrap::finishInstallerEject(arguments);
    if (outcome == InstallerEjection::Outcome::ejected)
        fuzz::require(InstallerDiskImage::fromJSON(json) == attached,
                      "only the image handed over, exactly as attached, is ejected");
    fuzz::require(env.session.diskImageTool.images.front().attached == (outcome != InstallerEjection::Outcome::ejected),
                  "the image is detached exactly when the launch reports it ejected");
    return 0;
}
