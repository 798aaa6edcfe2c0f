// Reads the session file's keyboard sections: "hotKeys", "keyboard" and "loginItem".

#include <string>

#include "platform/sim/sim_hot_keys.h"
#include "platform/sim/sim_keyboard_layouts.h"
#include "platform/sim/sim_login_items.h"
#include "platform/sim/session_file_reading.h"
#include "platform/sim/simulated_session.h"
#include "support/error.h"

namespace tarnwick::sim {

using namespace session_file;

void SimulatedSession::loadKeyboardSections(const Dictionary& root) {
    if (auto section = member(root, "hotKeys")) {
        const Dictionary& hot = object(*section, "\"hotKeys\"");
        if (auto v = member(hot, "symbolic")) hotKeys_->symbolicHotKeys = *v;
        if (auto v = member(hot, "symbolicStatus")) hotKeys_->symbolicHotKeysStatus = status(*v, "hotKeys.symbolicStatus");
        if (auto v = member(hot, "installHandlerStatus"))
            hotKeys_->installHandlerStatus = status(*v, "hotKeys.installHandlerStatus");
        if (auto v = member(hot, "registerStatus")) hotKeys_->registerStatus = status(*v, "hotKeys.registerStatus");
        if (auto v = member(hot, "otherApplications")) {
            if (!v->asArray()) fail("hotKeys.otherApplications", "must be an array");
            for (size_t i = 0; i < v->asArray()->size(); ++i) {
                const std::string where = "hotKeys.otherApplications[" + std::to_string(i) + "]";
                const Dictionary& entry = object((*v->asArray())[i], where);
                auto keyCode = member(entry, "keyCode");
                auto modifiers = member(entry, "modifiers");
                if (!keyCode || !modifiers) fail(where, "needs \"keyCode\" and \"modifiers\"");
                std::string application = "another application";
                if (auto name = member(entry, "application")) application = text(*name, where + ".application");
                if (!hotKeys_->registerForOtherApplication(unsigned32(*keyCode, where + ".keyCode"),
                                                           unsigned32(*modifiers, where + ".modifiers"), application))
                    fail(where, "takes a combination that is already taken");
            }
        }
    }
    if (auto section = member(root, "keyboard")) {
        const Dictionary& keyboard = object(*section, "\"keyboard\"");
        if (auto v = member(keyboard, "layout")) {
            if (v->isNull()) {
                keyboardLayouts_->current.clear();
            } else {
                std::string id = text(*v, "keyboard.layout");
                if (!keyboardLayouts_->layout(id)) fail("keyboard.layout", "names no known keyboard layout");
                keyboardLayouts_->current = std::move(id);
            }
        }
        if (auto v = member(keyboard, "layoutData")) keyboardLayouts_->layoutDataAvailable = boolean(*v, "keyboard.layoutData");
        if (auto v = member(keyboard, "translateStatus"))
            keyboardLayouts_->translateStatus = status(*v, "keyboard.translateStatus");
        if (auto v = member(keyboard, "type")) keyboardLayouts_->type = unsigned32(*v, "keyboard.type");
    }
    if (auto section = member(root, "loginItem")) {
        const Dictionary& login = object(*section, "\"loginItem\"");
        if (auto v = member(login, "status")) {
            auto n = v->toInt32();
            if (!v->isNumber() || !n || *n < 0 || *n > 3) fail("loginItem.status", "must be 0, 1, 2 or 3");
            loginItem_->state = static_cast<platform::LoginItemStatus>(*n);
        }
        if (auto v = member(login, "approvalRequired")) loginItem_->approvalRequired = boolean(*v, "loginItem.approvalRequired");
        if (auto v = member(login, "registerError")) loginItem_->registerError = text(*v, "loginItem.registerError");
        if (auto v = member(login, "unregisterError")) loginItem_->unregisterError = text(*v, "loginItem.unregisterError");
    }
}

}  // namespace tarnwick::sim
