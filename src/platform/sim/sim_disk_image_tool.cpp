#include "platform/property_list.h"
#include "platform/sim/sim_processes.h"
#include "platform/sim/simulated_session.h"

namespace tarnwick::sim {

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitBusy = 16;

Value listing(const SimDiskImageTool& tool) {
    Array images;
    for (const auto& image : tool.images) {
        if (!image.attached) continue;
        Value entry;
        entry["image-path"] = image.imagePath.string();
        entry["writeable"] = image.writeable;
        entry["image-encrypted"] = false;
        if (image.hdidPID) entry["hdid-pid"] = *image.hdidPID;
        Value scheme;
        scheme["content-hint"] = "GUID_partition_scheme";
        scheme["dev-entry"] = image.wholeDisk;
        Value volume;
        volume["content-hint"] = "Apple_HFS";
        volume["dev-entry"] = image.device;
        volume["mount-point"] = image.mountPoint.string();
        volume["volume-kind"] = "hfs";
        entry["system-entities"] = Value(Array{scheme, volume});
        images.push_back(std::move(entry));
    }
    Value root;
    root["framework"] = "680.0.1";
    root["images"] = Value(std::move(images));
    return root;
}

}  // namespace

platform::ProcessOutput runDiskImageTool(SimulatedSession& session, const std::vector<std::string>& arguments) {
    auto& tool = session.diskImageTool;
    tool.invocations.push_back(arguments);
    if (arguments.size() == 2 && arguments[0] == "info" && arguments[1] == "-plist") {
        if (tool.infoFails) return {"", kExitFailure};
        if (tool.infoOutput) return {*tool.infoOutput, 0};
        return {platform::dataFromPropertyList(listing(tool)).value_or(""), 0};
    }
    if (arguments.size() == 3 && arguments[0] == "detach" && arguments[2] == "-quiet") {
        for (auto& image : tool.images) {
            if (!image.attached || (image.device != arguments[1] && image.wholeDisk != arguments[1])) continue;
            switch (tool.detachAnswer) {
            case SimDetachAnswer::busy: return {"", kExitBusy};
            case SimDetachAnswer::fail: return {"", kExitFailure};
            case SimDetachAnswer::detach: image.attached = false; return {"", 0};
            }
        }
    }
    return {"", kExitFailure};
}

}  // namespace tarnwick::sim
