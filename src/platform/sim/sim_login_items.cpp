#include "platform/sim/sim_login_items.h"

#include "support/error.h"

namespace tarnwick::sim {

namespace {
constexpr long kFailureCode = 1;
}

platform::LoginItemStatus SimLoginItem::status() {
    ++statusReads;
    return state;
}

void SimLoginItem::registerApp() {
    ++registerCalls;
    if (registerError) throw SystemError(kLoginItemErrorDomain, kFailureCode, *registerError);
    state = approvalRequired ? platform::LoginItemStatus::requiresApproval : platform::LoginItemStatus::enabled;
}

void SimLoginItem::unregisterApp() {
    ++unregisterCalls;
    if (unregisterError) throw SystemError(kLoginItemErrorDomain, kFailureCode, *unregisterError);
    state = platform::LoginItemStatus::notRegistered;
}

}  // namespace tarnwick::sim
