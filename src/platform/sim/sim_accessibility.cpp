#include "platform/sim/sim_accessibility.h"

#include <cmath>

#include "platform/sim/simulated_session.h"

namespace tarnwick::sim {

namespace ax = platform::ax_error;

bool SimAccessibility::isProcessTrusted() {
    auto guard = session_.lock();
    return session_.accessibilityTrusted;
}

bool SimAccessibility::isProcessTrustedWithPrompt(bool prompt) {
    auto guard = session_.lock();
    if (prompt && !session_.accessibilityTrusted) {
        ++session_.accessibilityPrompts;
        if (session_.grantAccessibilityOnPrompt) session_.accessibilityTrusted = true;
    }
    return session_.accessibilityTrusted;
}

ElementRef SimAccessibility::createApplication(std::int32_t processID) {
    auto guard = session_.lock();
    ++applicationElements[processID];
    if (auto it = session_.explicitTreeRoots.find(processID); it != session_.explicitTreeRoots.end())
        return ElementRef{it->second};
    return ElementRef{session_.stableNode("app:" + std::to_string(processID), processID).id};
}

AXNode* SimAccessibility::resolve(ElementRef element) {
    AXNode* node = session_.findNode(element.id);
    if (!node) return nullptr;
    // Elements of a process that is gone, or that the session does not list, do not answer.
    const auto* app = session_.application(node->pid);
    if (!app || app->terminated) return nullptr;
    return node;
}

platform::AXError SimAccessibility::answer(ElementRef element, AXNode*& node) {
    if (globalError != ax::kSuccess) return globalError;
    if (!session_.accessibilityTrusted) return ax::kAPIDisabled;
    node = resolve(element);
    return node ? ax::kSuccess : ax::kCannotComplete;
}

bool SimAccessibility::deliver(std::uint64_t element, double latency) {
    double timeout = kDefaultTimeout;
    if (auto it = timeouts.find(element); it != timeouts.end() && it->second > 0) timeout = it->second;
    if (latency > timeout) {
        session_.clock().block(timeout);
        return false;
    }
    if (latency > 0) session_.clock().block(latency);
    return true;
}

platform::AXError SimAccessibility::setMessagingTimeout(ElementRef element, float seconds) {
    auto guard = session_.lock();
    if (!std::isfinite(seconds) || seconds < 0) return ax::kIllegalArgument;
    if (!session_.findNode(element.id)) return ax::kIllegalArgument;
    timeouts[element.id] = seconds;
    return ax::kSuccess;
}

platform::AXError SimAccessibility::copyAttributeValue(ElementRef element, const std::string& attribute, Value& value) {
    auto guard = session_.lock();
    ++attributeReads;
    if (globalError != ax::kSuccess) return globalError;
    if (!session_.accessibilityTrusted) return ax::kAPIDisabled;
    AXNode* node = resolve(element);
    if (!node) {
        deliver(element.id, kDefaultTimeout * 2);
        return ax::kCannotComplete;
    }
    auto it = node->attributes.find(attribute);
    if (it == node->attributes.end()) return ax::kAttributeUnsupported;
    if (!deliver(element.id, it->second.latency)) return ax::kCannotComplete;
    if (it->second.error != ax::kSuccess) return it->second.error;
    value = it->second.value;
    return ax::kSuccess;
}

platform::AXError SimAccessibility::copyAttributeNames(ElementRef element, std::vector<std::string>& names) {
    auto guard = session_.lock();
    AXNode* node = nullptr;
    if (auto status = answer(element, node); status != ax::kSuccess) return status;
    if (node->namesError != ax::kSuccess) return node->namesError;
    names.clear();
    for (const auto& [name, attribute] : node->attributes) names.push_back(name);
    return ax::kSuccess;
}

platform::AXError SimAccessibility::copyParameterizedAttributeNames(ElementRef element, std::vector<std::string>& names) {
    auto guard = session_.lock();
    AXNode* node = nullptr;
    if (auto status = answer(element, node); status != ax::kSuccess) return status;
    if (node->parameterizedNamesError != ax::kSuccess) return node->parameterizedNamesError;
    names = node->parameterizedNames;
    return ax::kSuccess;
}

platform::AXError SimAccessibility::isAttributeSettable(ElementRef element, const std::string& attribute, bool& settable) {
    auto guard = session_.lock();
    AXNode* node = nullptr;
    if (auto status = answer(element, node); status != ax::kSuccess) return status;
    auto it = node->attributes.find(attribute);
    if (it == node->attributes.end()) return ax::kAttributeUnsupported;
    if (it->second.settableError != ax::kSuccess) return it->second.settableError;
    settable = it->second.settable;
    return ax::kSuccess;
}

platform::AXError SimAccessibility::setAttributeValue(ElementRef element, const std::string& attribute, const Value& value) {
    auto guard = session_.lock();
    AXNode* node = nullptr;
    if (auto status = answer(element, node); status != ax::kSuccess) return status;
    auto it = node->attributes.find(attribute);
    if (it == node->attributes.end()) return ax::kAttributeUnsupported;
    if (!deliver(element.id, it->second.latency)) return ax::kCannotComplete;
    if (!it->second.settable) return ax::kFailure;
    if (node->onSet) {
        auto onSet = node->onSet;  // the write may rebuild the tree and replace the handler
        auto status = onSet(attribute, value);
        if (status != ax::kSuccess) return status;
    }
    if (AXNode* again = session_.findNode(element.id))  // the write may have rebuilt the tree
        if (auto a = again->attributes.find(attribute); a != again->attributes.end()) a->second.value = value;
    return ax::kSuccess;
}

platform::AXError SimAccessibility::performAction(ElementRef element, const std::string& action) {
    auto guard = session_.lock();
    AXNode* node = nullptr;
    if (auto status = answer(element, node); status != ax::kSuccess) return status;
    auto it = node->actions.find(action);
    if (it == node->actions.end()) return ax::kActionUnsupported;
    auto perform = it->second;  // the action may rebuild the tree
    return perform();
}

platform::AXError SimAccessibility::windowID(ElementRef element, std::uint32_t& windowID) {
    auto guard = session_.lock();
    AXNode* node = resolve(element);
    if (!node || !node->windowID) return ax::kFailure;
    windowID = *node->windowID;
    return ax::kSuccess;
}

}  // namespace tarnwick::sim
