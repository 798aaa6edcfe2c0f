#include "installation/installer_disk_image.h"

#include "installation/installation_paths.h"
#include "platform/file_url.h"
#include "platform/platform.h"
#include "platform/property_list.h"
#include "support/error.h"
#include "support/json.h"
#include "support/text.h"

namespace tarnwick {

namespace fs = std::filesystem;

namespace {

const std::string* stringMember(const Value& object, const char* key) {
    auto value = object.find(key);
    return value ? value->asString() : nullptr;
}

bool isArrayOfDictionaries(const Value* value) {
    if (!value || !value->asArray()) return false;
    for (const auto& item : *value->asArray())
        if (!item.asDictionary()) return false;
    return true;
}

}  // namespace

std::optional<std::string> InstallerDiskImage::hdiutil(const std::vector<std::string>& arguments) {
    auto output = platform::current().processes->run(kToolPath, arguments, "/");
    if (!output || output->exitStatus != 0) return std::nullopt;
    return std::move(output->standardOutput);
}

std::optional<InstallerDiskImage> InstallerDiskImage::mounted(const fs::path& containing) {
    const fs::path app = paths::normalized(containing);
    if (paths::lastComponent(app) != "Tarnwick.app") return std::nullopt;
    auto values = platform::current().fileManager->volumeResourceValues(app);
    if (!values) return std::nullopt;
    if (!values->isReadOnly.value_or(false) || !values->volumeURL) return std::nullopt;
    const fs::path volume = paths::normalized(*values->volumeURL);
    if (paths::parent(app) != volume) return std::nullopt;
    if (!values->volumeUUIDString || values->volumeUUIDString->empty()) return std::nullopt;
    auto info = hdiutil({"info", "-plist"});
    if (!info) return std::nullopt;
    return match(volume, *values->volumeUUIDString, *info);
}

std::optional<InstallerDiskImage> InstallerDiskImage::match(const fs::path& volume, const std::string& volumeUUID,
                                                            std::string_view diskInfo) {
    Value root;
    try {
        root = platform::propertyListFromData(diskInfo);
    } catch (const Error&) {
        return std::nullopt;
    }
    if (!root.asDictionary()) return std::nullopt;
    const Value* images = root.find("images");
    if (!isArrayOfDictionaries(images)) return std::nullopt;

    std::vector<InstallerDiskImage> candidates;
    for (const auto& image : *images->asArray()) {
        auto writeable = image.find("writeable");
        if (!writeable || writeable->asBool() != false) continue;
        const std::string* imagePath = stringMember(image, "image-path");
        if (!imagePath || text::lowercased(fs::path(*imagePath).extension().string()) != ".dmg") continue;
        const Value* entities = image.find("system-entities");
        if (!isArrayOfDictionaries(entities)) continue;
        const Value* mounted = nullptr;
        int mountedCount = 0;
        for (const auto& entity : *entities->asArray()) {
            if (entity.find("mount-point")) {
                mounted = &entity;
                ++mountedCount;
            }
        }
        if (mountedCount != 1) continue;
        const std::string* mountPoint = stringMember(*mounted, "mount-point");
        if (!mountPoint || paths::normalized(*mountPoint) != volume) continue;
        const std::string* device = stringMember(*mounted, "dev-entry");
        if (!device || !device->starts_with("/dev/disk")) continue;
        InstallerDiskImage candidate{volume, *device, *imagePath, std::nullopt, volumeUUID};
        if (auto pid = image.find("hdid-pid"); pid && pid->isInteger()) candidate.attachmentPID = pid->toInt64();
        candidates.push_back(std::move(candidate));
    }
    if (candidates.size() != 1) return std::nullopt;
    return candidates.front();
}

InstallerDiskImage::Ejection InstallerDiskImage::ejectIfStillMounted() const {
    auto current = mounted(app());
    if (!current || *current != *this) return Ejection::notMounted;
    return hdiutil({"detach", device, "-quiet"}) ? Ejection::ejected : Ejection::detachFailed;
}

std::optional<std::string> InstallerDiskImage::json() const {
    Value object;
    object["mount"] = platform::fileURLString(mount, true);
    object["device"] = device;
    object["backingPath"] = backingPath;
    object["volumeUUID"] = volumeUUID;
    if (attachmentPID) object["attachmentPID"] = *attachmentPID;
    return json::write(object);
}

std::optional<InstallerDiskImage> InstallerDiskImage::fromJSON(std::string_view text) {
    auto parsed = json::parse(text);
    if (!parsed || !parsed->asDictionary()) return std::nullopt;
    const std::string* mountURL = stringMember(*parsed, "mount");
    const std::string* device = stringMember(*parsed, "device");
    const std::string* backingPath = stringMember(*parsed, "backingPath");
    const std::string* volumeUUID = stringMember(*parsed, "volumeUUID");
    if (!mountURL || !device || !backingPath || !volumeUUID) return std::nullopt;
    auto mount = platform::pathFromFileURL(*mountURL);
    if (!mount) return std::nullopt;
    InstallerDiskImage image{paths::standardized(*mount), *device, *backingPath, std::nullopt, *volumeUUID};
    if (auto pid = parsed->find("attachmentPID"); pid && !pid->isNull()) {
        if (!pid->isNumber() || !pid->toInt64()) return std::nullopt;
        image.attachmentPID = pid->toInt64();
    }
    return image;
}

}  // namespace tarnwick
