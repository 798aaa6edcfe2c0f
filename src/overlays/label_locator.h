#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "overlays/label_recognition_worker.h"
#include "support/geometry.h"
#include "support/task.h"
#include "support/value.h"

namespace tarnwick {

// One bar's dictionary, handed from the locator to its caller. "frameCG" always holds doubles.
struct LabelBarResult {
    Dictionary metadata;
    explicit LabelBarResult(Dictionary metadata);
};

// The collaborators of a location run; the program's shared ones when left empty.
struct LabelLocatorServices {
    LabelRecognitionWorker* recognition = nullptr;
};

// Finds where Mission Control drew its native "Desktop N" captions, to the pixel: it lists the
// on-screen windows, takes the WindowManager's Spaces Bar windows (one per display), screenshots
// each at twice its point size and reads the captions with the rendered label reader, once or
// twice per bar (confirmation passes). At most two bars are worked on at once; every read runs
// on the one recognition worker.
struct LabelLocator {
    using OnDisplay = std::function<Task<void>(LabelBarResult)>;

    static constexpr const char* kPermissionRequired =
        "Screen Recording permission required for exact rendered text bounds";
    static constexpr const char* kListingTimedOut = "The on-screen windows could not be listed in time";
    // Longest wait for the window listing and for each screenshot: below the labels' placement
    // lifetime, so one stuck display cannot hold every display's labels down.
    static constexpr double kPlatformWaitLimit = 1.0;
    static constexpr double kPassInterval = 0.075;

    // The result dictionary: "bars" (one entry per bar, in the order they finished),
    // "overlayEnabled" false and the durations; or "unsupported" with a sentence when capture is
    // not allowed, the listing failed, or the run was cancelled. Never throws.
    //  - `display`: only bars wholly inside it; `displays`: only bars wholly inside one of them
    //    (an empty list admits none);
    //  - `regions`: the caption areas to read (screen points); nothing reads the whole bar;
    //  - `debug`: progress lines on standard error and the comparison reads;
    //  - `confirmationPasses`: 1 or 2 (clamped);
    //  - `onDisplay`: awaited with each successful pass of each bar as soon as it exists.
    static Task<Value> inspect(std::optional<Rect> display, std::optional<std::vector<Rect>> displays,
                               std::optional<std::vector<Rect>> regions, bool debug = false,
                               int confirmationPasses = 1, OnDisplay onDisplay = {},
                               LabelLocatorServices services = {});

    // Writes the line and a line feed to standard error at once, in debug mode only.
    static void trace(const std::string& message, bool debug);
};

}  // namespace tarnwick
