#include "applications/application_window_focus.h"
#include "model/feature_selection.h"
#include "platform/platform.h"

namespace tarnwick {

namespace {

bool isTrue(const Dictionary& session, const char* key) {
    auto it = session.find(key);
    return it != session.end() && it->second.asBool() == true;
}

}  // namespace

void ApplicationWindowFocus::checkSession() {
    auto& platform = platform::current();
    const auto dictionary = platform.windowServer->copySessionDictionary();
    const Dictionary* session = dictionary ? dictionary->asDictionary() : nullptr;
    if (!session) throw Failure(Failure::Case::session);

    const auto user = session->find("kCGSSessionUserIDKey");
    const bool sameUser = user != session->end() && user->second.isNumber() &&
                          user->second.toUInt32() == platform.system->userID();
    TarnwickSessionState state;
    state.active = isTrue(*session, "kCGSSessionOnConsoleKey") && isTrue(*session, "kCGSessionLoginDoneKey") && sameUser;
    state.sleeping = false;
    state.locked = isTrue(*session, "CGSSessionScreenIsLocked");
    if (state.suspended()) throw Failure(Failure::Case::session);
}

}  // namespace tarnwick
