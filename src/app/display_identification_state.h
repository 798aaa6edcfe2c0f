#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tarnwick {

// Decides whether a request to show a display's name may be shown and when a shown name has
// expired. Every begin, cancel and successful expiry starts a new generation, so work scheduled
// for an earlier showing finds a stale token and does nothing.
struct DisplayIdentificationState {
    struct Presentation {
        std::string displayID;  // the display's UUID, canonical upper case
        int token = 0;          // the generation at which it began
        double deadline = 0;    // system uptime after which it may expire
        friend bool operator==(const Presentation&, const Presentation&) = default;
    };

    static constexpr double kDuration = 2.0;

    int generation = 0;
    std::optional<Presentation> current;

    DisplayIdentificationState() = default;
    explicit DisplayIdentificationState(std::optional<Presentation> current) : current(std::move(current)) {}

    // A new generation with nothing shown, then the presentation of the display when its id
    // parses as a UUID (either case) and exactly one connected display has it; shown until now
    // + 2 s. Nothing for a time that is not finite.
    std::optional<Presentation> begin(const std::string& displayID, const std::vector<std::string>& connectedIDs,
                                      double now);
    void cancel();
    // True, ending the presentation, when the token is the current one and the deadline has
    // come; otherwise nothing changes.
    bool expire(int token, double now);
};

}  // namespace tarnwick
