// Reads the session file's self-installation keys ("fileSystem", "diskImages", "alertAnswers").

#include "platform/sim/session_file_reading.h"
#include "platform/sim/simulated_session.h"
#include "support/error.h"

namespace tarnwick::sim {

namespace fs = std::filesystem;

using namespace session_file;

fs::path SimulatedSession::machinePath(const fs::path& path) const {
    return fileSystem.root / (path.is_absolute() ? path.relative_path() : path);
}

void SimulatedSession::loadInstallationState(const Dictionary& root) {
    // "~/x" lies in the home folder; other paths are the machine's, under the root folder.
    auto location = [this](const std::string& path) {
        if (path == "~" || path.starts_with("~/")) return system_.home / path.substr(std::min<size_t>(path.size(), 2));
        return machinePath(path);
    };
    if (auto v = member(root, "fileSystem")) {
        if (!v->asDictionary()) fail("\"fileSystem\"", "must be an object");
        const Dictionary& object = *v->asDictionary();
        if (auto r = member(object, "root")) {
            fs::path folder = text(*r, "fileSystem.root");
            fileSystem.root = folder.is_absolute() ? folder : system_.home / folder;
        }
        if (auto b = member(object, "mainBundle")) fileSystem.mainBundle = location(text(*b, "fileSystem.mainBundle"));
        if (auto list = member(object, "unwritable")) {
            if (!list->asArray()) fail("fileSystem.unwritable", "must be an array");
            for (const auto& item : *list->asArray())
                fileSystem.unwritableFolders.insert(location(text(item, "fileSystem.unwritable")));
        }
    }
    if (auto v = member(root, "diskImages")) {
        if (!v->asArray()) fail("\"diskImages\"", "must be an array");
        diskImageTool.images.clear();
        for (size_t i = 0; i < v->asArray()->size(); ++i) {
            const std::string where = "diskImages[" + std::to_string(i) + "]";
            const Value& item = (*v->asArray())[i];
            if (!item.asDictionary()) fail(where, "must be an object");
            const Dictionary& object = *item.asDictionary();
            auto image = member(object, "image");
            auto mount = member(object, "mountPoint");
            auto uuid = member(object, "volumeUUID");
            if (!image || !mount || !uuid) fail(where, "needs \"image\", \"mountPoint\" and \"volumeUUID\"");
            SimDiskImage disk;
            disk.imagePath = location(text(*image, where + ".image"));
            disk.mountPoint = location(text(*mount, where + ".mountPoint"));
            disk.volumeUUID = text(*uuid, where + ".volumeUUID");
            if (auto d = member(object, "device")) disk.device = text(*d, where + ".device");
            if (auto d = member(object, "wholeDisk")) disk.wholeDisk = text(*d, where + ".wholeDisk");
            if (auto w = member(object, "writeable")) {
                if (!w->isBool()) fail(where + ".writeable", "must be true or false");
                disk.writeable = *w->asBool();
            }
            if (auto p = member(object, "hdidPID")) {
                if (!p->isNumber() || !p->toInt64()) fail(where + ".hdidPID", "must be a whole number");
                disk.hdidPID = *p->toInt64();
            }
            diskImageTool.images.push_back(std::move(disk));
        }
    }
    if (auto v = member(root, "alertAnswers")) {
        if (!v->asArray()) fail("\"alertAnswers\"", "must be an array");
        const Array& items = *v->asArray();
        for (size_t i = 0; i < items.size(); ++i) {
            const std::string where = "alertAnswers[" + std::to_string(i) + "]";
            if (items[i].asString()) {
                alertScript.answers.push_back(text(items[i], where));
                continue;
            }
            // {"button": title, "text": what the user types into the alert's field first}
            if (!items[i].asDictionary()) fail(where, "must be a button title or an object");
            const Dictionary& answer = *items[i].asDictionary();
            const Value* button = member(answer, "button");
            if (!button) fail(where, "needs \"button\"");
            std::optional<std::string> typed;
            if (auto t = member(answer, "text")) typed = text(*t, where + ".text");
            alertScript.answers.push_back(SimAlertAnswer(text(*button, where + ".button"), std::move(typed)));
        }
    }
}

}  // namespace tarnwick::sim
