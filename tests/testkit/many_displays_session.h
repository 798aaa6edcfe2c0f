#pragma once

#include <cstdio>
#include <string>

namespace tarnwick::testkit {

// A display or desktop UUID made from a kind and a number.
inline std::string numberedUUID(int kind, int n) {
    char text[40];
    std::snprintf(text, sizeof text, "%08X-0000-4000-8000-%012X", kind, n);
    return text;
}

// A session file of `displays` displays side by side (2560 x 1440 each, ids from 1), each with
// `desktops` desktops (space ids counted from 1 across displays, the first of each current), the
// WindowManager, 40 apps and `windows` windows spread over the desktops.
inline std::string manyDisplaysSession(int displays, int desktops, int windows) {
    std::string json = R"({"displays": [)";
    int space = 1;
    for (int d = 0; d < displays; ++d) {
        json += (d ? "," : "") + std::string(R"({"id": )") + std::to_string(d + 1) + R"(, "uuid": ")" +
                numberedUUID(0xD15, d) + R"(", "bounds": [)" + std::to_string(d * 2560) + ", 0, 2560, 1440], \"spaces\": [";
        for (int k = 0; k < desktops; ++k, ++space)
            json += (k ? "," : "") + std::string(R"({"id64": )") + std::to_string(space) + R"(, "uuid": ")" +
                    numberedUUID(0xDE5, space) + "\"}";
        json += "]}";
    }
    json += R"(], "applications": [{"pid": 120, "bundleID": "com.apple.WindowManager", "name": "WindowManager"})";
    for (int a = 0; a < 40; ++a)
        json += R"(, {"pid": )" + std::to_string(1000 + a) + R"(, "name": "App )" + std::to_string(a) +
                R"(", "bundleURL": "file:///Applications/App)" + std::to_string(a) + R"(.app/"})";
    json += R"(], "windows": [)";
    for (int w = 0; w < windows; ++w)
        json += (w ? "," : "") + std::string(R"({"id": )") + std::to_string(5000 + w) + R"(, "pid": )" +
                std::to_string(1000 + w % 40) + R"(, "bounds": [40, 60, 800, 600], "spaces": [)" +
                std::to_string(1 + w % (displays * desktops)) + "]}";
    return json + "]}";
}

}  // namespace tarnwick::testkit
