#pragma once

#include <cstdio>
#include <string>

namespace tarnwick::testkit {

// A canonical UUID that carries a number a test can read: 0xB1 gives
// "00000000-0000-4000-8000-0000000000B1".
inline std::string uuidFor(int n) {
    char text[40];
    std::snprintf(text, sizeof text, "00000000-0000-4000-8000-%012X", n);
    return text;
}

}  // namespace tarnwick::testkit
