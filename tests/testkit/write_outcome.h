#pragma once

#include <functional>
#include <string>

#include "support/error.h"
#include "support/files.h"

namespace tarnwick::testkit {

// What a write through the file writer answered: "written", the sentence of its refusal, or
// "not refused but failed: " and the sentence of its failure.
inline std::string writeOutcome(const std::function<void()>& write) {
    try {
        write();
    } catch (const files::TargetRefused& refused) {
        return refused.what();
    } catch (const SystemError& error) {
        return std::string("not refused but failed: ") + error.what();
    }
    return "written";
}

}  // namespace tarnwick::testkit
